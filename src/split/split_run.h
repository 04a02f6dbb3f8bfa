#pragma once

#include "common/track_choice.h"
#include "formats/format_settings.h"
#include "split/part_sizer.h"
#include "split/split_plan.h"

#include <QList>
#include <QStringList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class TVideoEdit;

// One row of the hand-made split list: its span of the source, its output file
// name (without folder) and whether it is written.
struct SplitRow {
    double start = 0;
    double stop = 0;
    QString fileName;
    bool save = true;
};

// What every part of a run shares.
struct SplitSetup {
    QString source;
    double sourceDuration = 0;
    QString outputPath;  // ends in the folder separator
    QString outputExt;   // without the dot
    int selectedFormat = 8;
    FormatSettings formats;
    QStringList otherInputs;  // files read besides the source (a list), never written over
    KeptTracks keptTracks;    // the source's sound and subtitle tracks when not all go in
};

// The files a split would write into setup.outputPath: every ticked row's, or
// `count` numbered parts in the modes that number them.
QStringList PlannedPartFiles(const SplitSetup& setup, SplitMode mode, int count, const QList<SplitRow>& rows);

// Writes the parts of a split plan one after another on one engine. Each part is
// one render; the engine's completion starts the next, so the run is a chain of
// engine events with no loop of its own. Gauges: gauge1 is the current part in
// percent, gauge2 the whole run with ten units per part.
class SplitRun : public QObject {
    Q_OBJECT
public:
    explicit SplitRun(TVideoEdit& engine, QObject* parent = nullptr);

    void StartSplitByAmount(const SplitSetup& setup, int count);
    void StartSplitByTime(const SplitSetup& setup, double length);
    void StartSplitBySettings(const SplitSetup& setup, const QList<SplitRow>& rows);
    // Parts of at most maxBytes each, every one but the last at least 85 % of it.
    // The count is an estimate that each written part refines. A bound too small
    // for one second of the format fails at once, before anything is written.
    void StartSplitBySize(const SplitSetup& setup, int64_t maxBytes);
    // Ends the running render; nothing more of this run happens.
    void Stop();

    bool running() const { return active; }
    SplitMode mode() const { return splitMode; }
    int PartCount() const { return partCount; }
    double PartLength() const { return partLength; }
    int CurrentPart() const { return currentPart; }
    int gauge1() const { return g1; }
    int gauge2() const { return g2; }
    int gauge2Maximum() const { return 10 * std::max(partCount, 0); }
    // The file the current part is written to.
    QString currentFile() const { return currentOutput; }
    // Parts of a split by size rendered a second time (or more) to meet the bound.
    int ReRenders() const { return reRenders; }
    // What the engine said of how it renders the current part; empty before it
    // has said anything and once the run has ended.
    QString note() const { return currentNote; }
    // The parts written so far by this run, in order.
    const QStringList& writtenFiles() const { return written; }

signals:
    void progressChanged(int gauge1, int gauge2, int gauge2Maximum);
    // "Current Part: Part n"
    void partStarted(int part);
    // Every part is written (or skipped); the gauges are full.
    void finished();
    // A part could not be written; the run has ended.
    void failed(const QString& message);
    // A part of a split by size is written and kept at this size.
    void partWritten(int part, const QString& file, qint64 bytes);
    void noteChanged(const QString& note);

private:
    void VE1Processing(double curPos, double duration);
    void VE1Complete();
    void VE1Error(const QString& message);
    void FinishSplit();

    void begin(const SplitSetup& setup, SplitMode mode);
    // Every part this run would write, checked before the first is: a name that is
    // only an extension or a part that is the source itself ends the run at once.
    bool partsCanBeWritten();
    // Renders part n: the first part of a run applies the format, later ones keep it.
    void startFirstPart(double start, double stop, const QString& file);
    void startNextPart(double start, double stop, const QString& file);
    // The first ticked row after `after`, advancing gauge2 over skipped rows; 0 when none.
    int nextTickedRow(int after);
    QString equalPartFile(int n) const;
    // The split by size: measures the part just written and redoes it or moves on.
    void sizedPartComplete();
    void renderSizedPart(bool first);
    void fail(const QString& message);
    void setGauges(int gauge1, int gauge2);
    void setNote(const QString& note);

    TVideoEdit& engine;
    SplitSetup setup;
    QList<SplitRow> rows;
    SplitMode splitMode = NoSplitMode;
    int partCount = 0;
    double partLength = 0;
    int currentPart = 0;
    int g1 = 0;
    int g2 = 0;
    bool active = false;
    QString currentOutput;
    QString currentNote;
    QStringList written;

    std::optional<PartSizer> sizer;
    double frameRate = 25;
    int64_t totalFrames = 0;
    int64_t partStartFrame = 0;
    int64_t partFrames = 0;
    int longerTries = 0;
    int reRenders = 0;
};
