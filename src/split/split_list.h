#pragma once

#include "split/split_run.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The hand-made split plan: rows that follow one another without gaps, each with
// an output name, a tooltip and a save flag. Points are kept in TimePoints (first 0,
// last the source duration); the per-row fields belong to row positions, not to
// spans, so inserting a point moves none of them and removing a row moves only
// the save flags. Rows are numbered from 1; slot 0 of the per-row lists is unused.
class SplitList {
public:
    // One row spanning the whole source, named after it with the output extension.
    void Reset(double sourceDuration, const QString& sourceFile, const QString& outputExt);

    // Rows that may leave gaps, as an imported list does: each gap becomes an
    // unticked row of its own with a default name, so the list still runs from 0
    // to the source's end. Tips are "No tip".
    void Assign(const QList<SplitRow>& rows, double sourceDuration, const QString& sourceFile,
                const QString& outputExt);

    int PartCount() const { return static_cast<int>(TimePoints.size()) - 1; }
    // The output name a row gets when nobody renamed it: holiday-2.mpg.
    QString DefaultName(int row) const;

    // Adds a point where it splits a row strictly inside, or after the last
    // point; returns whether it added one. The editor sets whole seconds.
    bool InsertSplitPoint(double seconds);
    // A split point at the time shown: insert, then the last row gets back its
    // default name, "No tip" and a tick, whether or not a point was added.
    void SetPoint(double seconds);
    // Points found in the content: each is inserted, and the rows this adds at the
    // end of the list get their default names, "No tip" and a tick, as Set gives.
    void AddFoundPoints(const QList<double>& seconds);
    // Merges row `row` into its neighbour: row 1 into row 2, any other into the row
    // above. Nothing happens with one row or a row outside the list.
    void Remove(int row);

    // Retimes, renames and re-tips row `row`, or says why not (nothing changes then).
    // Times are whole seconds; neighbours may become zero long but never overlap.
    // The name keeps what was typed before its extension and gets `outputExt`.
    QString EditRow(int row, int64_t start, int64_t stop, const QString& rename, const QString& tip,
                    const QString& outputExt);

    // The texts of row `row` as the list shows them: part, start, end, length, name.
    QStringList RowTexts(int row) const;

    // Rows as the split run takes them.
    QList<SplitRow> rows() const;

    QVector<double> TimePoints;
    QStringList SelectionNames;
    QStringList SelectionTips;
    QVector<bool> SelectionSaved;

private:
    void resizeRows(int count);

    QString source;
    QString extension;
};
