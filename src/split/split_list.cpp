#include "split/split_list.h"

#include "split/split_plan.h"

#include <algorithm>

void SplitList::Reset(double sourceDuration, const QString& sourceFile, const QString& outputExt) {
    source = sourceFile;
    extension = outputExt;
    TimePoints = {0, sourceDuration};
    SelectionNames = QStringList(2);
    SelectionTips = QStringList(2);
    SelectionSaved = QVector<bool>(2, false);
    SelectionNames[1] = DefaultName(1);
    SelectionTips[1] = "No tip";
    SelectionSaved[1] = true;
}

void SplitList::Assign(const QList<SplitRow>& given, double sourceDuration, const QString& sourceFile,
                       const QString& outputExt) {
    Reset(sourceDuration, sourceFile, outputExt);
    QList<SplitRow> rows;
    double at = 0;
    for (const SplitRow& r : given) {
        if (r.start > at) rows.append({at, r.start, QString(), false});
        rows.append(r);
        at = r.stop;
    }
    // Times kept to the millisecond may end a hair before the source does; that
    // is the same end, not a gap.
    if (!rows.isEmpty() && sourceDuration - at < 0.05) rows.last().stop = std::max(at, sourceDuration);
    else if (at < sourceDuration) rows.append({at, sourceDuration, QString(), false});
    TimePoints = {0};
    for (const SplitRow& r : rows) TimePoints.append(r.stop);
    resizeRows(rows.size());
    for (int k = 1; k <= rows.size(); ++k) {
        const SplitRow& r = rows[k - 1];
        SelectionNames[k] = r.fileName.isEmpty() ? DefaultName(k) : r.fileName;
        SelectionTips[k] = "No tip";
        SelectionSaved[k] = r.save;
    }
}

QString SplitList::DefaultName(int row) const { return PartFileName(source, row, extension.toLower()); }

void SplitList::resizeRows(int count) {
    SelectionNames.resize(count + 1);
    SelectionTips.resize(count + 1);
    SelectionSaved.resize(count + 1);
}

bool SplitList::InsertSplitPoint(double t) {
    const int n = PartCount();
    for (int i = n; i >= 1; --i) {
        if (TimePoints[i - 1] < t && t < TimePoints[i]) {
            TimePoints.insert(i, t);
            return true;
        }
    }
    if (n >= 0 && !TimePoints.isEmpty() && t > TimePoints.last()) {
        TimePoints.append(t);
        return true;
    }
    return false;
}

void SplitList::SetPoint(double seconds) {
    InsertSplitPoint(seconds);
    const int n = PartCount();
    if (n < 1) return;
    resizeRows(n);
    SelectionNames[n] = DefaultName(n);
    SelectionTips[n] = "No tip";
    SelectionSaved[n] = true;
}

void SplitList::AddFoundPoints(const QList<double>& seconds) {
    const int before = PartCount();
    for (double t : seconds) InsertSplitPoint(t);
    const int after = PartCount();
    resizeRows(after);
    for (int row = std::max(before, 0) + 1; row <= after; ++row) {
        SelectionNames[row] = DefaultName(row);
        SelectionTips[row] = "No tip";
        SelectionSaved[row] = true;
    }
}

void SplitList::Remove(int row) {
    const int n = PartCount();
    if (n <= 1 || row < 1 || row > n) return;
    // Row 1 merges with the row below; any other row into the row above. Either
    // way the point that starts the later of the two goes.
    const int point = row == 1 ? 1 : row - 1;
    TimePoints.remove(point);
    for (int k = row; k < n; ++k) SelectionSaved[k] = SelectionSaved[k + 1];
    resizeRows(n - 1);
}

QString SplitList::EditRow(int row, int64_t start, int64_t stop, const QString& rename, const QString& tip,
                           const QString& outputExt) {
    const int n = PartCount();
    if (row < 1 || row > n) return QString();
    // The dialog shows whole seconds; a split point left as shown keeps the frame
    // it was marked at. The ends of the list take what was typed.
    const auto kept = [&](int point, int64_t typed) {
        const bool inner = point > 0 && point < n;
        return inner && RoundHalfEven(TimePoints[point]) == typed ? TimePoints[point] : static_cast<double>(typed);
    };
    const double from = kept(row - 1, start);
    const double to = kept(row, stop);
    if (from >= to) return "The Start Time should be smaller than Stop Time!";
    if (row > 1 && from < TimePoints[row - 2]) return "The Start Time is not appropriate!";
    if (row < n && to > TimePoints[row + 1]) return "The Stop Time is not appropriate!";
    if (rename.isEmpty()) return "File name can not be blank!";
    TimePoints[row - 1] = from;
    TimePoints[row] = to;
    SelectionNames[row] = WithoutExtension(rename) + "." + outputExt;
    SelectionTips[row] = tip;
    return QString();
}

QStringList SplitList::RowTexts(int row) const {
    const double start = TimePoints[row - 1];
    const double stop = TimePoints[row];
    return {QString::number(row), FormatClock(RoundHalfEven(start)), FormatClock(RoundHalfEven(stop)),
            FormatClock(RoundHalfEven(stop - start)), SelectionNames.value(row)};
}

QList<SplitRow> SplitList::rows() const {
    QList<SplitRow> out;
    for (int k = 1; k <= PartCount(); ++k) {
        out.append({TimePoints[k - 1], TimePoints[k], SelectionNames.value(k), SelectionSaved.value(k, true)});
    }
    return out;
}
