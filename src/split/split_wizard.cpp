#include "split/split_wizard.h"

#include "common/folder_dialog.h"
#include "common/folders.h"
#include "common/guarded_handler.h"
#include "common/media_filters.h"
#include "common/messages.h"
#include "common/note_label.h"
#include "common/track_list.h"
#include "engine/media_player.h"
#include "engine/quillmark_error.h"
#include "engine/video_edit.h"
#include "split/part_sizer.h"
#include "split/pie_chart.h"
#include "split/split_page.h"
#include "split/split_point_panel.h"

#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QTabWidget>
#include <QTimer>
#include <QDir>
#include <QGroupBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

// A whole number as the step-2 boxes accept it: digits only, no sign.
bool readCount(const QString& text, int64_t& value) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 0) return false;
    value = v;
    return true;
}

}  // namespace

SplitWizard::SplitWizard(SplitPage& p, TVideoEdit& videoEdit, OutputSelection& out, QString& path,
                         const FormatSettings& formatSettings, QWidget* owner)
    : QObject(owner), editor(*p.GroupBoxManual, splitList, owner), page(p), engine(videoEdit), output(out), outputPath(path),
      formats(formatSettings), window(owner), run(videoEdit) {
    const auto guard = GuardedHandlers(window, this);
    connect(page.SpeedBtnOpen, &QToolButton::clicked, this, guard(&SplitWizard::SpeedBtnOpenClick));
    connect(page.RBSame, &QRadioButton::clicked, this, guard(&SplitWizard::RBSameClick));
    connect(page.RBSavePath, &QRadioButton::clicked, this, guard(&SplitWizard::RBSavePathClick));
    connect(page.SpeedBtnSavePath, &QPushButton::clicked, this, guard(&SplitWizard::SpeedBtnSavePathClick));
    connect(page.SpeedBtnSettings, &QPushButton::clicked, this, &SplitWizard::settingsRequested);
    connect(page.BitBtnNext, &QPushButton::clicked, this, guard(&SplitWizard::BitBtnNextClick));
    connect(page.BitBtnBack, &QPushButton::clicked, this, guard(&SplitWizard::BitBtnBackClick));
    connect(page.BitBtnCancelSplit, &QPushButton::clicked, this, guard(&SplitWizard::BitBtnCancelSplitClick));
    connect(page.RBAmount, &QRadioButton::clicked, this, guard(&SplitWizard::RBAmountClick));
    connect(page.RBTime, &QRadioButton::clicked, this, guard(&SplitWizard::RBTimeClick));
    connect(page.RBManual, &QRadioButton::clicked, this, guard(&SplitWizard::RBManualClick));
    connect(page.RBSize, &QRadioButton::clicked, this, guard(&SplitWizard::RBSizeClick));
    connect(page.EdSize, &QLineEdit::textChanged, this, guard(&SplitWizard::EdSizeChange));
    connect(page.CbSizeUnit, &QComboBox::currentIndexChanged, this, guard(&SplitWizard::EdSizeChange));
    connect(page.EdAmount, &QLineEdit::textChanged, this, guard(&SplitWizard::EdAmountChange));
    connect(page.EdMin, &QLineEdit::textChanged, this, guard(&SplitWizard::EdMinChange));
    connect(page.EdSec, &QLineEdit::textChanged, this, guard(&SplitWizard::EdMinChange));

    connect(&editor, &SplitPointEditor::partCountChanged, this, [this](int count) {
        PartCount = count;
        DrawSplitChart(count);
    });
    connect(&run, &SplitRun::partStarted, this,
            [this](int n) { page.lbPart->setText("Current Part: Part " + QString::number(n)); });
    connect(&run, &SplitRun::progressChanged, this, [this](int g1, int g2, int max) {
        page.Gauge1->setValue(g1);
        page.Gauge2->setMaximum(max);
        page.Gauge2->setValue(g2);
        page.lbTimes->setText(clock.text(max > 0 ? double(g2) / max : 0));
    });
    connect(&run, &SplitRun::noteChanged, page.lbNote, &NoteLabel::setNote);
    connect(page.TrackList1, &TrackList::tickChanged, this,
            [this](const QString& file, int stream, bool kept) { trackChoices.setKept(file, stream, kept); });
    connect(&run, &SplitRun::finished, this, &SplitWizard::onRunFinished);
    OpenDialog1.title = "Open a video file to Split:";
    OpenDialog1.multiSelect = false;
    OpenDialog1.filters = VideoFilters();
    connect(&run, &SplitRun::failed, this, &SplitWizard::onRunFailed);
    // The preview's own window belongs to step 2 and goes when it does.
    connect(page.PageControl2, &QTabWidget::currentChanged, this,
            [this](int index) { editor.setPreviewWindowShown(index == 1); });
    page.TabSheet3->setAcceptDrops(true);
    page.TabSheet3->installEventFilter(this);
    DrawSplitChart(2);
}

bool SplitWizard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == page.TabSheet3) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                // Every file is let through to the drop, which says why one is refused.
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (!drop->mimeData()->hasUrls()) return false;
                drop->acceptProposedAction();
                const QList<QUrl> urls = drop->mimeData()->urls();
                // The box must not open inside the desktop's drag and drop.
                QTimer::singleShot(0, this, [this, urls] { Messages::guarded(window, [&] { DropFiles(urls); }); });
                return true;
            }
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

SplitWizard::~SplitWizard() { Shutdown(); }

void SplitWizard::setPreviewPlayer(TMediaPlayer* player) { editor.MP1 = player; }

void SplitWizard::Shutdown() {
    run.Stop();
    // A probe may hang on a stalled drive: it is abandoned, not awaited.
    abandonProbe();
}

void SplitWizard::abandonProbe() {
    ++probeGeneration;
    if (!waitingForProbe) return;
    waitingForProbe = false;
    emit probeFinished();
}

// ---- Step 1: source and destination ----

void SplitWizard::SpeedBtnOpenClick() {
    const QStringList files = RunOpenDialog(window, OpenDialog1);
    if (files.isEmpty()) return;
    openSource(files.first());
}

void SplitWizard::DropFiles(const QList<QUrl>& urls) {
    QStringList names;
    for (const QUrl& url : urls) {
        names << (url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toDisplayString());
    }
    if (names.isEmpty()) return;
    if (names.size() > 1) {
        Messages::information(window, "Only one video file can be split at a time; dropped were: " +
                                          names.join(", "));
        return;
    }
    const QUrl& url = urls.first();
    const QFileInfo file(url.toLocalFile());
    // What the open dialog would have offered: an existing file of a listed type.
    if (!url.isLocalFile() || !file.isFile() || !MatchesFilter(OpenDialog1.filters.first(), file.fileName())) {
        Messages::information(window, QString("Cannot split \"%1\": it is not a video file of a supported type (%2).")
                                          .arg(names.first(), OpenDialog1.filters.first().patterns));
        return;
    }
    openSource(file.absoluteFilePath());
}

void SplitWizard::openSource(const QString& file) {
    SourceFileName = QDir::toNativeSeparators(file);
    page.EdFilePathName->setText(SourceFileName);
    // Only the file chosen now counts: a probe still reading an earlier one is
    // left to end on its own, and its result is ignored.
    ++probeGeneration;
    waitingForProbe = true;
    emit probeStarted();
    // Until the duration is known, Next would plan the parts with a wrong one.
    page.BitBtnNext->setEnabled(false);
    page.TrackList1->showFiles(trackChoices, {SourceFileName}, false);
    // The tracks are read on the probe's thread: a slow file keeps the window
    // free, and the result is there by the time the duration arrives.
    auto tracks = std::make_shared<std::vector<SourceTrack>>();
    auto measureAndRead = [measure = probe, read = readTracks, tracks](const QString& source) {
        const double seconds = measure(source);
        try {
            if (read) *tracks = read(source);
        } catch (const std::exception&) {
            // Nothing to choose then; every track the engine finds goes in.
        }
        return seconds;
    };
    TGetFileDuration::launch(
        measureAndRead, SourceFileName, probeGeneration, this,
        [this, file = SourceFileName, tracks](int generation, double seconds) {
            if (generation == probeGeneration) showTracks(file, *tracks);
            onProbeMeasured(generation, seconds);
        },
        [this](int generation, const QString& message) { onProbeFailed(generation, message); });
}

void SplitWizard::probeEnded() {
    waitingForProbe = false;
    page.BitBtnNext->setEnabled(true);
    emit probeFinished();
}

void SplitWizard::onProbeMeasured(int generation, double seconds) {
    if (generation != probeGeneration) return;
    SourceDuration = seconds;
    probeEnded();
}

void SplitWizard::showTracks(const QString& file, const std::vector<SourceTrack>& tracks) {
    trackChoices.setTracks(file, tracks);
    page.TrackList1->showFiles(trackChoices, {file}, false);
}

void SplitWizard::onProbeFailed(int generation, const QString& message) {
    if (generation != probeGeneration) return;
    probeEnded();
    // A file whose length cannot be read cannot be planned; say so rather than
    // split it with the length of another file.
    SourceFileName.clear();
    page.EdFilePathName->clear();
    page.TrackList1->showFiles(trackChoices, {}, false);
    Messages::error(window, message);
}

void SplitWizard::RBSameClick() {
    page.EdSavePath->setEnabled(false);
    page.SpeedBtnSavePath->setEnabled(false);
}

void SplitWizard::RBSavePathClick() {
    page.EdSavePath->setEnabled(true);
    page.SpeedBtnSavePath->setEnabled(true);
}

void SplitWizard::SpeedBtnSavePathClick() {
    QString folder;
    if (!ChooseFolder(window, "Select a directory to save output file", folder)) return;
    folder = WithTrailingSeparator(folder);
    page.EdSavePath->setText(folder);
    outputPath = folder;
}

void SplitWizard::TabSheet3Show() {
    page.BitBtnNext->setText("&Next");
    page.BitBtnNext->setEnabled(!probing());
}

// ---- Next, Back, Exit ----

void SplitWizard::BitBtnNextClick() {
    if (page.EdFilePathName->text().isEmpty()) {
        Messages::information(window, "Please select a source file.");
        return;
    }
    switch (page.currentStep()) {
        case 1: leaveStep1(); break;
        case 2: leaveStep2(); break;
        case 3: startSplit(); break;
    }
}

void SplitWizard::leaveStep1() {
    SourceFileName = page.EdFilePathName->text();
    if (page.RBSavePath->isChecked() && IsBlank(page.EdSavePath->text())) {
        Messages::information(window, "Please input Save Path.");
        return;
    }
    if (page.RBSavePath->isChecked()) {
        if (const QString problem = OutputFolderProblem(page.EdSavePath->text()); !problem.isEmpty()) {
            Messages::information(window, problem);
            return;
        }
    }
    output.Select(page.cbFormat->currentIndex());
    if (const QString problem = OutputExtensionProblem(output.SelectedFormat, SourceFileName); !problem.isEmpty()) {
        Messages::information(window, problem);
        return;
    }
    if (page.RBSame->isChecked()) {
        outputPath = WithTrailingSeparator(QDir::toNativeSeparators(QFileInfo(SourceFileName).absolutePath()));
    } else {
        const QString typed = page.EdSavePath->text();
        if (const QString failure = EnsureFolder(typed); !failure.isEmpty()) throw QuillmarkError(failure);
        outputPath = WithTrailingSeparator(typed);
    }
    page.showStep(2);
    page.BitBtnBack->setEnabled(true);
    editor.SourceFileName = SourceFileName;
    editor.SourceDuration = SourceDuration;
    editor.OutputExt = output.ExtensionFor(SourceFileName);
    page.GroupBoxManual->lbTotalTime->setText(FormatClock(RoundHalfEven(SourceDuration)));
    if (page.RBManual->isChecked()) {
        ResetSplitList();
    } else {
        DisableSplitEditor();
    }
    DrawSplitChart(2);
}

void SplitWizard::leaveStep2() {
    if (page.RBAmount->isChecked()) {
        splitMode = ByAmount;
        int64_t count = 0;
        if (!readCount(page.EdAmount->text(), count) || count > INT32_MAX) {
            Messages::information(window, "Please input correct number!");
            return;
        }
        PartCount = static_cast<int>(count);
        if (PartCount == 0) {
            Messages::information(window, "Please input correct parts number!");
            return;
        }
        if (ShorterThanOneFrame(SourceDuration / PartCount, OutputFrameRate(output.SelectedFormat, formats))) {
            Messages::information(window, QString("Please input correct parts number! %1 parts would each be shorter "
                                                  "than one frame.").arg(PartCount));
            return;
        }
    } else if (page.RBTime->isChecked()) {
        splitMode = ByTime;
        int64_t minutes = 0, seconds = 0;
        if (!readCount(page.EdMin->text(), minutes) || !readCount(page.EdSec->text(), seconds) ||
            minutes > INT32_MAX || seconds > INT32_MAX) {
            Messages::information(window, "Please input correct number!");
            return;
        }
        PartLength = static_cast<double>(minutes * 60 + seconds);
        if (PartLength > SourceDuration) PartLength = SourceDuration;
        if (PartLength == 0) {
            Messages::information(window, "Please input correct number!");
            return;
        }
        if (ShorterThanOneFrame(PartLength, OutputFrameRate(output.SelectedFormat, formats))) {
            Messages::information(window, QString("Please input correct number! Parts of %1 seconds would be shorter "
                                                  "than one frame.").arg(PartLength));
            return;
        }
    } else if (page.RBSize->isChecked()) {
        splitMode = BySize;
        MaxPartBytes = typedPartSize();
        if (MaxPartBytes == 0) {
            Messages::information(window, "Please input correct number!");
            return;
        }
        if (const QString tooSmall = TooSmallForOneSecond(MaxPartBytes, output.SelectedFormat, formats);
            !tooSmall.isEmpty()) {
            Messages::information(window, "Please input correct number! " + tooSmall + ".");
            return;
        }
    } else if (page.RBManual->isChecked()) {
        splitMode = BySettings;
    }
    page.showStep(3);
    page.BitBtnNext->setText("&Split");
    page.BitBtnNext->setToolTip("Start Splitting");
    page.Gauge1->setValue(0);
    page.Gauge2->setValue(0);
    FillSplitSummary();
}

SplitSetup SplitWizard::setup() const {
    SplitSetup s;
    s.source = SourceFileName;
    s.sourceDuration = SourceDuration;
    s.outputPath = outputPath;
    s.outputExt = output.ExtensionFor(SourceFileName);
    s.selectedFormat = output.SelectedFormat;
    s.formats = formats;
    s.keptTracks = trackChoices.keptFor({SourceFileName});
    return s;
}

QStringList SplitWizard::plannedFiles() const {
    int count = PartCount;
    if (splitMode == ByTime) count = CeilParts(SourceDuration / PartLength);
    if (splitMode == BySize) count = static_cast<int>(std::min<int64_t>(estimatedSizeParts(MaxPartBytes), 10000));
    return PlannedPartFiles(setup(), splitMode, count, splitList.rows());
}

void SplitWizard::startSplit() {
    // Files of the same names are replaced only when the user says so, once for all.
    if (const QStringList existing = ExistingFiles(plannedFiles());
        !existing.isEmpty() && !Messages::confirm(window, ReplaceQuestion(existing), "&Replace"))
        return;
    // A playing preview is stopped and closed; a paused one is left as it is.
    if (editor.previewPlaying()) editor.SpeedBtnStopClick();
    for (QProgressBar* bar : {page.Gauge1, page.Gauge2}) {
        bar->setValue(0);
        bar->setFormat("%p%");
    }
    clock.start();
    page.lbTimes->setText(clock.text(0));
    page.BitBtnBack->setEnabled(false);
    page.BitBtnNext->setEnabled(false);
    page.BitBtnCancelSplit->setText("S&top");
    if (splitMode == BySettings) PartCount = splitList.PartCount();
    if (splitMode == ByAmount || splitMode == BySettings) {
        page.Gauge2->setMaximum(std::max(10 * PartCount, 0));
    }
    switch (splitMode) {
        case ByAmount: run.StartSplitByAmount(setup(), PartCount); break;
        case ByTime: run.StartSplitByTime(setup(), PartLength); break;
        case BySettings: run.StartSplitBySettings(setup(), splitList.rows()); break;
        case BySize: run.StartSplitBySize(setup(), MaxPartBytes); break;
        default: break;
    }
    if (splitMode == ByTime || splitMode == BySize) PartCount = run.PartCount();
}

void SplitWizard::onRunFinished() {
    page.lbTimes->setText("Done in " + ShortClock(clock.elapsed()));
    Messages::taskComplete(window, outputPath, run.writtenFiles());
    page.BitBtnNext->setToolTip("Start Splitting");
    restoreAfterRun();
}

void SplitWizard::onRunFailed(const QString& message) {
    showRunEnd("Failed at %p%", "Failed after " + ShortClock(clock.elapsed()));
    Messages::error(window, message);
    restoreAfterRun();
}

void SplitWizard::showRunEnd(const QString& barFormat, const QString& times) {
    for (QProgressBar* bar : {page.Gauge1, page.Gauge2}) bar->setFormat(barFormat);
    page.lbTimes->setText(times);
}

void SplitWizard::restoreAfterRun() {
    page.BitBtnNext->setText("&Split");
    page.BitBtnNext->setEnabled(true);
    page.BitBtnBack->setEnabled(true);
    page.BitBtnCancelSplit->setText("E&xit");
}

void SplitWizard::BitBtnBackClick() {
    switch (page.currentStep()) {
        case 2:
            page.showStep(1);
            page.BitBtnBack->setEnabled(false);
            TabSheet3Show();
            break;
        case 3:
            page.showStep(2);
            page.BitBtnNext->setText("&Next");
            page.BitBtnNext->setToolTip("Next step");
            break;
        default: break;
    }
}

void SplitWizard::BitBtnCancelSplitClick() {
    if (run.running()) {
        const int part = run.CurrentPart();
        const int written = static_cast<int>(run.writtenFiles().size());
        run.Stop();
        showRunEnd("Stopped at %p%", QString("Stopped after %1; part %2 was not written (%3 written before it)")
                                         .arg(ShortClock(clock.elapsed())).arg(part).arg(written));
        page.BitBtnCancelSplit->setText("E&xit");
        page.BitBtnBack->setEnabled(true);
        page.BitBtnNext->setEnabled(true);
        return;
    }
    page.Gauge1->setValue(0);
    page.Gauge2->setValue(0);
    showRunEnd("%p%", {});
    if (editor.previewPlaying() || editor.previewPaused()) editor.SpeedBtnStopClick();
    page.BitBtnCancelSplit->setText("E&xit");
    page.showStep(1);
    page.BitBtnBack->setEnabled(false);
    TabSheet3Show();
    emit exitRequested();
}

// ---- Step 2: split mode and pie ----

// The amount box belongs to "By Amount", the minutes and seconds to "By Time".
void SplitWizard::EnableModeBoxes(bool amount, bool time, bool size) {
    page.EdAmount->parentWidget()->setEnabled(amount);
    page.EdSize->parentWidget()->setEnabled(size);
    page.EdMin->parentWidget()->setEnabled(time);
    page.EdSec->parentWidget()->setEnabled(time);
}

void SplitWizard::RBAmountClick() {
    splitMode = ByAmount;
    EnableModeBoxes(true, false);
    DisableSplitEditor();
    EdAmountChange();
}

void SplitWizard::RBTimeClick() {
    splitMode = ByTime;
    EnableModeBoxes(false, true);
    DisableSplitEditor();
    EdMinChange();
}

void SplitWizard::RBSizeClick() {
    splitMode = BySize;
    EnableModeBoxes(false, false, true);
    DisableSplitEditor();
    EdSizeChange();
}

// The size box in the unit chosen beside it; 0 when it holds no size.
int64_t SplitWizard::typedPartSize() const {
    return ParseByteSize(page.EdSize->text().trimmed() + (page.CbSizeUnit->currentIndex() == 1 ? "G" : "M"));
}

// The pie shows the count the format's rate predicts; the run refines it as it writes.
void SplitWizard::EdSizeChange() {
    if (!page.RBSize->isChecked()) return;
    const int64_t bytes = typedPartSize();
    if (bytes == 0 || !TooSmallForOneSecond(bytes, output.SelectedFormat, formats).isEmpty()) return;
    DrawSplitChart(static_cast<int>(std::min<int64_t>(estimatedSizeParts(bytes), INT32_MAX)));
}

int64_t SplitWizard::estimatedSizeParts(int64_t bytes) const {
    const double fps = OutputFrameRate(output.SelectedFormat, formats);
    const PartSizer sizer(bytes, fps, EstimateFormatRate(output.SelectedFormat, formats));
    return sizer.PartsFor(FramesIn(SourceDuration, fps));
}

void SplitWizard::RBManualClick() {
    splitMode = BySettings;
    EnableModeBoxes(false, false);
    EnableSplitEditor();
    ResetSplitList();
    DrawSplitChart(PartCount);
}

// A box emptied while retyping leaves the pie as it was; Next checks the numbers.
void SplitWizard::EdAmountChange() {
    bool ok = false;
    const int n = page.EdAmount->text().trimmed().toInt(&ok);
    if (ok) DrawSplitChart(n);
}

void SplitWizard::EdMinChange() {
    bool okMin = false, okSec = false;
    const qlonglong minutes = page.EdMin->text().trimmed().toLongLong(&okMin);
    const qlonglong seconds = page.EdSec->text().trimmed().toLongLong(&okSec);
    if (!okMin || !okSec) return;
    const int64_t t = minutes * 60 + seconds;
    if (t == 0) return;
    DrawSplitChart(static_cast<int>(std::clamp<int64_t>(TimeModeSlices(SourceDuration, t), -1, INT32_MAX)));
}

void SplitWizard::DrawSplitChart(int count) { page.Chart1->setSlices(count); }

void SplitWizard::ResetSplitList() {
    editor.SourceFileName = SourceFileName;
    editor.SourceDuration = SourceDuration;
    editor.OutputExt = output.ExtensionFor(SourceFileName);
    editor.ResetSplitList();
    PartCount = splitList.PartCount();
}

void SplitWizard::EnableSplitEditor() { editor.EnableSplitEditor(); }

void SplitWizard::DisableSplitEditor() { editor.DisableSplitEditor(); }

// ---- Step 3: summary ----

void SplitWizard::FillSplitSummary() {
    const QString indent(8, ' ');
    QString mode;
    switch (splitMode) {
        case ByAmount: mode = indent + "Split in " + QString::number(PartCount) + " Parts"; break;
        case ByTime: mode = indent + "Split every " + QString::number(RoundHalfEven(PartLength)) + " seconds"; break;
        case BySettings: mode = indent + "Split by preview settings"; break;
        case BySize: mode = indent + "Split in parts of at most " + ByteSizeText(MaxPartBytes); break;
        default: break;
    }
    QString format;
    FormatShortName(output.SelectedFormat, format);
    page.Memo1->setPlainText(QStringList{"Source File ", indent + SourceFileName, "Split Mode ", mode, "Save Format ",
                                         indent + format, "Save Path ", indent + outputPath}
                                 .join('\n'));
}
