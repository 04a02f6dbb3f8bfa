#pragma once

#include "common/file_filters.h"
#include "common/run_clock.h"
#include "common/track_choice.h"
#include "formats/format_settings.h"
#include "formats/output_format.h"
#include "split/duration_probe_thread.h"
#include "split/split_list.h"
#include "split/split_point_editor.h"
#include "split/split_plan.h"
#include "split/split_run.h"

#include <QList>
#include <QObject>
#include <QUrl>

class SplitPage;
class TMediaPlayer;
class TVideoEdit;
class QWidget;

// The three-step split wizard: source, format and folder; split mode; summary and
// run. It drives the split page's controls and the split engine, and checks every
// choice with a message before it moves on. A child of `window` when one is given.
class SplitWizard : public QObject {
    Q_OBJECT
public:
    SplitWizard(SplitPage& page, TVideoEdit& engine, OutputSelection& output, QString& outputPath,
                const FormatSettings& formats, QWidget* window);
    ~SplitWizard() override;

    // How a source's duration is measured (off the UI thread).
    TGetFileDuration::Probe probe;
    // How a source's tracks are read, on the same thread; none: nothing to choose.
    std::function<std::vector<SourceTrack>(const QString& file)> readTracks;
    // The preview player, stopped before a run and on Exit; may be absent.
    void setPreviewPlayer(TMediaPlayer* player);
    OpenDialogSetup OpenDialog1;

    QString SourceFileName;
    double SourceDuration = 0;
    SplitMode splitMode = NoSplitMode;
    int PartCount = 0;
    double PartLength = 0;
    int64_t MaxPartBytes = 0;
    SplitList splitList;
    // The tracks ticked in each source chosen so far, for the program's run.
    TrackChoices trackChoices;
    SplitPointEditor editor;

    bool running() const { return run.running(); }
    // A duration is being measured for the file chosen last.
    bool probing() const { return waitingForProbe; }
    // The window is closing: stop a running split and abandon a probe.
    void Shutdown();

    void SpeedBtnOpenClick();
    // Files dropped on step 1: one video file is taken as if chosen in the open
    // dialog; anything else is refused with a message naming it.
    void DropFiles(const QList<QUrl>& urls);
    void RBSameClick();
    void RBSavePathClick();
    void SpeedBtnSavePathClick();
    void BitBtnNextClick();
    void BitBtnBackClick();
    void BitBtnCancelSplitClick();
    void TabSheet3Show();
    void RBAmountClick();
    void RBTimeClick();
    void RBManualClick();
    void RBSizeClick();
    void EdSizeChange();
    int64_t typedPartSize() const;
    // How many parts of at most `bytes` the format's rate predicts for the source.
    int64_t estimatedSizeParts(int64_t bytes) const;
    void EdAmountChange();
    void EdMinChange();
    void DrawSplitChart(int count);
    void FillSplitSummary();
    void ResetSplitList();
    void EnableSplitEditor();
    void DisableSplitEditor();

signals:
    // The waiting window shows while a duration is being measured.
    void probeStarted();
    void probeFinished();
    void settingsRequested();
    // Exit: the Getting Started page comes back.
    void exitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openSource(const QString& file);
    void EnableModeBoxes(bool amount, bool time, bool size = false);
    void leaveStep1();
    void leaveStep2();
    void startSplit();
    void probeEnded();
    void abandonProbe();
    void onProbeMeasured(int generation, double seconds);
    void showTracks(const QString& file, const std::vector<SourceTrack>& tracks);
    void onProbeFailed(int generation, const QString& message);
    void onRunFinished();
    void onRunFailed(const QString& message);
    void restoreAfterRun();
    // The files the run about to start would write.
    QStringList plannedFiles() const;
    // The bars and the line under them once the run has ended this way.
    void showRunEnd(const QString& barFormat, const QString& times);
    SplitSetup setup() const;

    SplitPage& page;
    TVideoEdit& engine;
    OutputSelection& output;
    QString& outputPath;
    const FormatSettings& formats;
    QWidget* window;
    SplitRun run;
    RunClock clock;
    // Names the file chosen last; a probe's result counts only with the same number.
    int probeGeneration = 0;
    bool waitingForProbe = false;
};
