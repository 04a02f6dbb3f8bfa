#include "common/file_filters.h"
#include "common/folder_dialog.h"
#include "common/folders.h"
#include "common/messages.h"
#include "common/note_label.h"
#include "common/track_list.h"
#include "common/up_down.h"
#include "engine/quillmark_error.h"
#include "fakes/recording_video_edit.h"
#include "split/duration_probe_thread.h"
#include "split/pie_chart.h"
#include "split/split_page.h"
#include "split/split_point_panel.h"
#include "split/split_wizard.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include "formats/output_format.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QTabBar>
#include <QUrl>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QSemaphore>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A button's caption as the user reads it, without its accelerator mark.
QString caption(const QAbstractButton* button) { return QString(button->text()).remove('&'); }

class SplitWizardTest : public ::testing::Test {
protected:
    SplitWizardTest() : wizard(page, engine, output, outputPath, formats, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        page.cbFormat->addItems(SplitFormatNames());
        page.cbFormat->setCurrentIndex(8);
        QObject::connect(&wizard, &SplitWizard::exitRequested, [this] { exits++; });
    }
    ~SplitWizardTest() override {
        Messages::setBoxHandler({});
        SetOpenDialogHandler({});
        SetChooseFolderHandler({});
    }
    // A source chosen and measured, as after the open dialog and the probe.
    void chooseSource(const QString& file, double duration) {
        page.EdFilePathName->setText(file);
        wizard.SourceFileName = file;
        wizard.SourceDuration = duration;
    }
    void toStep2(const QString& file = "/v/clip.avi", double duration = 90) {
        chooseSource(file, duration);
        page.BitBtnNext->click();
        ASSERT_EQ(page.currentStep(), 2) << boxes.join('\n').toStdString();
    }
    void toStep3ByAmount(int parts) {
        toStep2(dir.path("clip.avi"), 90);
        page.EdAmount->setText(QString::number(parts));
        page.BitBtnNext->click();
        ASSERT_EQ(page.currentStep(), 3) << boxes.join('\n').toStdString();
    }

    TempFolder dir;
    SplitPage page;
    RecordingVideoEdit engine;
    OutputSelection output;
    QString outputPath = "/home/me/";
    FormatSettings formats;
    SplitWizard wizard;
    QStringList boxes;
    int exits = 0;
};

}  // namespace

TEST_F(SplitWizardTest, StepOneChecksSourceAndPath) {
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please select a source file."});
    EXPECT_EQ(page.currentStep(), 1);

    chooseSource("/v/clip.avi", 90);
    page.RBSavePath->click();
    EXPECT_TRUE(page.EdSavePath->isEnabled());
    page.EdSavePath->clear();
    page.BitBtnNext->click();
    EXPECT_EQ(boxes.last(), "Information: Please input Save Path.");
    EXPECT_EQ(page.currentStep(), 1);
    page.RBSame->click();
    EXPECT_FALSE(page.EdSavePath->isEnabled());
}

TEST_F(SplitWizardTest, AMissingFolderChainIsCreatedAndGainsASeparator) {
    chooseSource("/v/clip.avi", 90);
    page.RBSavePath->click();
    const QString target = dir.path("a/b/c");
    page.EdSavePath->setText(target);
    page.cbFormat->setCurrentIndex(4);
    page.BitBtnNext->click();
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(outputPath, target + QDir::separator());
    EXPECT_EQ(page.currentStep(), 2);
    EXPECT_TRUE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(output.SelectedFormat, 4);
    EXPECT_EQ(output.OutputExt, "mpg");
}

TEST_F(SplitWizardTest, AFolderThatCannotBeMadeIsReportedAndTheWizardStays) {
    dir.write("file", "x");
    chooseSource("/v/clip.avi", 90);
    page.RBSavePath->click();
    page.EdSavePath->setText(dir.path("file/sub"));
    page.cbFormat->setCurrentIndex(9);
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: Cannot create " + dir.path("file/sub") + ": \"" + dir.path("file") +
                                 "\" is a file, not a folder."});
    EXPECT_EQ(page.currentStep(), 1);
    EXPECT_EQ(output.OutputExt, "wmv");  // taken before the folder check
}

TEST_F(SplitWizardTest, SameAsSourceUsesTheSourceFolder) {
    toStep2("/v/clip.avi");
    EXPECT_EQ(outputPath, QDir::toNativeSeparators("/v/"));
}

TEST_F(SplitWizardTest, TotalTimeRoundsHalvesToEven) {
    toStep2("/v/clip.avi", 3725.5);
    EXPECT_EQ(page.GroupBoxManual->lbTotalTime->text(), "01:02:06");
    page.BitBtnBack->click();
    wizard.SourceDuration = 3724.5;
    page.BitBtnNext->click();
    EXPECT_EQ(page.GroupBoxManual->lbTotalTime->text(), "01:02:04");
}

TEST_F(SplitWizardTest, EnteringStepTwoAlwaysShowsTwoSlices) {
    page.EdAmount->setText("5");
    EXPECT_EQ(page.Chart1->slices(), 5);
    toStep2();
    EXPECT_EQ(page.Chart1->slices(), 2);
}

TEST_F(SplitWizardTest, ByAmountRejectsNonNumbersNegativesAndZero) {
    toStep2();
    page.EdAmount->setText("abc");
    page.BitBtnNext->click();
    page.EdAmount->setText("-3");
    page.BitBtnNext->click();
    page.EdAmount->setText("0");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, (QStringList{"Information: Please input correct number!",
                                  "Information: Please input correct number!",
                                  "Information: Please input correct parts number!"}));
    EXPECT_EQ(page.currentStep(), 2);
}

TEST_F(SplitWizardTest, ByTimeRejectsZeroLengthsAndCapsAtTheDuration) {
    toStep2("/v/clip.avi", 300);
    page.RBTime->click();
    page.EdMin->setText("0");
    page.EdSec->setText("0");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes.last(), "Information: Please input correct number!");
    page.EdSec->setText("x");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes.size(), 2);
    page.EdMin->setText("10");
    page.EdSec->setText("0");
    page.BitBtnNext->click();
    EXPECT_EQ(page.currentStep(), 3);
    EXPECT_DOUBLE_EQ(wizard.PartLength, 300);
    EXPECT_TRUE(page.Memo1->toPlainText().contains("\n        Split every 300 seconds\n"));
}

TEST_F(SplitWizardTest, ByTimeWithAnUnknownDurationIsRefused) {
    toStep2("/v/clip.avi", 0);
    page.RBTime->click();
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please input correct number!"});
}

TEST_F(SplitWizardTest, TheSummaryListsSourceModeFormatAndFolder) {
    toStep2("/v/clip.avi", 90);
    page.BitBtnBack->click();
    page.cbFormat->setCurrentIndex(4);
    page.RBSavePath->click();
    page.EdSavePath->setText(dir.path("out"));
    page.BitBtnNext->click();
    page.EdAmount->setText("3");
    page.BitBtnNext->click();
    const QString indent(8, ' ');
    EXPECT_EQ(page.Memo1->toPlainText(),
              QStringList({"Source File ", indent + "/v/clip.avi", "Split Mode ", indent + "Split in 3 Parts",
                           "Save Format ", indent + "DVD PAL", "Save Path ",
                           indent + dir.path("out") + QDir::separator()})
                  .join('\n'));
    EXPECT_EQ(caption(page.BitBtnNext), "Split");
    EXPECT_EQ(page.BitBtnNext->toolTip(), "Start Splitting");
    page.BitBtnBack->click();
    EXPECT_EQ(caption(page.BitBtnNext), "Next");
    EXPECT_EQ(page.BitBtnNext->toolTip(), "Next step");
}

TEST_F(SplitWizardTest, TheTimePieFollowsTheBoxes) {
    toStep2("/v/clip.avi", 300);
    page.RBTime->click();
    page.EdMin->setText("2");
    page.EdSec->setText("0");
    EXPECT_EQ(page.Chart1->slices(), 3);
    wizard.SourceDuration = 240.9;
    page.EdSec->setText("0 ");
    EXPECT_EQ(page.Chart1->slices(), 2);
    page.EdMin->setText("0");
    EXPECT_EQ(page.Chart1->slices(), 2);  // a zero length leaves the pie alone
    page.RBManual->click();
    EXPECT_EQ(page.Chart1->slices(), 1);
    EXPECT_TRUE(page.GroupBoxManual->ListView1->isEnabled());
    EXPECT_FALSE(page.EdAmount->isEnabled());
    EXPECT_FALSE(page.EdMin->isEnabled());
    page.RBAmount->click();
    EXPECT_FALSE(page.GroupBoxManual->ListView1->isEnabled());
    EXPECT_EQ(page.Chart1->slices(), 2);
}

TEST_F(SplitWizardTest, SplitRunsStopsAndRunsAgain) {
    toStep3ByAmount(3);
    page.BitBtnNext->click();
    EXPECT_EQ(caption(page.BitBtnCancelSplit), "Stop");
    EXPECT_FALSE(page.BitBtnNext->isEnabled());
    EXPECT_FALSE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(page.Gauge2->maximum(), 30);
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.avi") + ")"));
    EXPECT_EQ(page.lbPart->text(), "Current Part: Part 1");
    EXPECT_TRUE(page.lbNote->text().isEmpty());
    engine.emitProcessing(15, 30);
    EXPECT_EQ(page.Gauge1->value(), 50);
    const QString note = "Re-encoding \"clip.avi\": its frame size 640x480 is not the output's 720x576";
    emit engine.OnRenderNote(note);
    EXPECT_EQ(page.lbNote->text(), note);

    page.BitBtnCancelSplit->click();
    EXPECT_EQ(engine.calls.last(), "StopRender");
    EXPECT_TRUE(page.lbNote->text().isEmpty());
    emit engine.OnRenderNote("Copying \"clip.avi\" from 0.000 to 10.000 s");  // queued before the stop
    EXPECT_TRUE(page.lbNote->text().isEmpty());
    EXPECT_EQ(caption(page.BitBtnCancelSplit), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
    EXPECT_EQ(caption(page.BitBtnNext), "Split");
    EXPECT_TRUE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(page.Gauge1->value(), 50);  // the gauges keep their last values
    EXPECT_EQ(exits, 0);

    engine.calls.clear();
    page.BitBtnNext->click();
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.avi") + ")"));
    engine.emitComplete();
    engine.emitComplete();
    emit engine.OnRenderNote(note);
    EXPECT_EQ(page.lbNote->text(), note);
    engine.emitComplete();
    EXPECT_TRUE(page.lbNote->text().isEmpty());
    EXPECT_EQ(boxes, QStringList{"Information: Task Complete!"});
    EXPECT_EQ(page.Gauge1->value(), 100);
    EXPECT_EQ(page.Gauge2->value(), 30);
    EXPECT_EQ(caption(page.BitBtnCancelSplit), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
}

TEST_F(SplitWizardTest, AFailedPartIsReportedAndTheRunEnds) {
    toStep3ByAmount(2);
    page.BitBtnNext->click();
    engine.emitError("Cannot write clip-1.avi: disk full");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Quillmark: Part 1 ("));
    EXPECT_FALSE(boxes.join("").contains("Task Complete!"));
    EXPECT_EQ(caption(page.BitBtnCancelSplit), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
}

TEST_F(SplitWizardTest, ExitGoesBackToStepOneWithGaugesCleared) {
    toStep3ByAmount(3);
    page.Gauge1->setValue(40);
    page.BitBtnCancelSplit->click();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(page.currentStep(), 1);
    EXPECT_EQ(page.Gauge1->value(), 0);
    EXPECT_EQ(caption(page.BitBtnNext), "Next");
    EXPECT_FALSE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(page.EdFilePathName->text(), dir.path("clip.avi"));  // values are kept
}

TEST_F(SplitWizardTest, BySettingsAfterBackAndNextStartsFromOneRow) {
    toStep2("/v/clip.avi", 300);
    page.RBManual->click();
    wizard.splitList.SetPoint(100);
    EXPECT_EQ(wizard.splitList.PartCount(), 2);
    page.BitBtnBack->click();
    page.BitBtnNext->click();
    EXPECT_EQ(wizard.splitList.PartCount(), 1);
    EXPECT_EQ(wizard.PartCount, 1);
}

TEST_F(SplitWizardTest, TheProbeMeasuresOffTheUiThreadAndHoldsNextMeanwhile) {
    int started = 0, finished = 0;
    QObject::connect(&wizard, &SplitWizard::probeStarted, [&] { started++; });
    QObject::connect(&wizard, &SplitWizard::probeFinished, [&] { finished++; });
    std::atomic<bool> release{false};
    Qt::HANDLE probeThread = nullptr;
    wizard.probe = [&](const QString& file) {
        probeThread = QThread::currentThreadId();
        while (!release) QThread::msleep(1);
        if (file.endsWith("bad.avi")) throw QuillmarkError("Cannot read " + file + ": invalid data");
        return 42.5;
    };
    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/v/good.avi"}; });
    page.SpeedBtnOpen->click();
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(page.BitBtnNext->isEnabled());
    release = true;
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    EXPECT_NE(probeThread, QThread::currentThreadId());
    EXPECT_DOUBLE_EQ(wizard.SourceDuration, 42.5);
    EXPECT_TRUE(page.BitBtnNext->isEnabled());

    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/v/bad.avi"}; });
    page.SpeedBtnOpen->click();
    ASSERT_TRUE(waitUntil([&] { return finished == 2; }));
    EXPECT_EQ(boxes, QStringList{"Quillmark: Cannot read /v/bad.avi: invalid data."});
    EXPECT_TRUE(page.EdFilePathName->text().isEmpty());
}

TEST_F(SplitWizardTest, ChoosingAFolderAddsTheSeparator) {
    QString offered = "not emptied";
    SetChooseFolderHandler([&](const QString& title, QString& folder) {
        offered = folder;
        EXPECT_EQ(title, "Select a directory to save output file");
        folder = "/films/out";
        return true;
    });
    page.RBSavePath->click();
    page.SpeedBtnSavePath->click();
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_EQ(page.EdSavePath->text(), QDir::toNativeSeparators("/films/out/"));
    EXPECT_EQ(outputPath, QDir::toNativeSeparators("/films/out/"));
}

TEST_F(SplitWizardTest, PartsShorterThanOneFrameOfTheFormatAreRefused) {
    page.cbFormat->setCurrentIndex(4);  // DVD PAL: 25 frames a second
    toStep2("/v/clip.avi", 90);
    page.EdAmount->setText("2251");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please input correct parts number! 2251 parts would each be shorter "
                                 "than one frame."});
    EXPECT_EQ(page.currentStep(), 2);
    page.EdAmount->setText("2250");  // exactly one frame each
    page.BitBtnNext->click();
    EXPECT_EQ(page.currentStep(), 3);

    page.BitBtnBack->click();
    page.BitBtnBack->click();
    boxes.clear();
    toStep2("/v/short.avi", 0.03);
    page.RBTime->click();
    page.EdMin->setText("0");
    page.EdSec->setText("5");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please input correct number! Parts of 0.03 seconds would be shorter "
                                 "than one frame."});
    EXPECT_EQ(page.currentStep(), 2);
}

TEST_F(SplitWizardTest, TheAviFrameRateSettingSetsTheShortestPart) {
    formats.AviFrameRate = 50;
    toStep2("/v/clip.avi", 90);  // AVI is the format chosen
    page.EdAmount->setText("4501");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes.size(), 1);
    page.EdAmount->setText("4500");
    page.BitBtnNext->click();
    EXPECT_EQ(page.currentStep(), 3) << boxes.join('\n').toStdString();
}

TEST_F(SplitWizardTest, TheAmountBoxTakesAnyCountWithoutDrawingEverySlice) {
    toStep2();
    page.RBAmount->click();
    page.EdAmount->setText("99999999");
    EXPECT_EQ(page.Chart1->slices(), 99999999);
    EXPECT_EQ(page.Chart1->drawnSlices(), 0);
}

TEST_F(SplitWizardTest, NextFollowsTheProbeOfTheFileChosenLast) {
    int started = 0, finished = 0;
    QObject counting; // gone before the counts, so a late report cannot reach them
    QObject::connect(&wizard, &SplitWizard::probeStarted, &counting, [&] { started++; });
    QObject::connect(&wizard, &SplitWizard::probeFinished, &counting, [&] { finished++; });
    // The first file sits on a stalled drive until the test lets it go.
    auto stalled = std::make_shared<QSemaphore>();
    // A failed check below must not leave the probe thread stalled past the test.
    struct Release {
        std::shared_ptr<QSemaphore> drive;
        ~Release() { drive->release(); }
    } release{stalled};
    wizard.probe = [stalled](const QString& file) {
        if (file.endsWith("slow.avi")) {
            stalled->acquire();
            return 11.0;
        }
        return 42.5;
    };
    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/v/slow.avi"}; });
    page.SpeedBtnOpen->click();
    EXPECT_TRUE(wizard.probing());
    SetOpenDialogHandler([](const OpenDialogSetup&) { return QStringList{"/v/fast.avi"}; });
    page.SpeedBtnOpen->click();
    EXPECT_EQ(started, 2);
    ASSERT_TRUE(waitUntil([&] { return page.BitBtnNext->isEnabled(); }));
    // The waiting window closes with Next enabled, though the first probe still runs.
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(wizard.probing());
    EXPECT_DOUBLE_EQ(wizard.SourceDuration, 42.5);
    EXPECT_EQ(TGetFileDuration::runningCount(), 1);

    stalled->release();
    ASSERT_TRUE(waitUntil([] { return TGetFileDuration::runningCount() == 0; }));
    keepRunningFor(50);
    EXPECT_DOUBLE_EQ(wizard.SourceDuration, 42.5);
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
    EXPECT_EQ(page.EdFilePathName->text(), "/v/fast.avi");
}

// A probe that ends before the window runs again, as on a loaded machine where
// the window's thread is held up right after starting it, still reports.
TEST(DurationProbe, AProbeThatEndsBeforeTheWindowRunsAgainStillReports) {
    QObject window;
    double measured = -1;
    TGetFileDuration::launch([](const QString&) { return 7.5; }, "/v/quick.avi", 1, &window,
                             [&](int, double seconds) { measured = seconds; }, [](int, const QString&) {});
    ASSERT_TRUE(TGetFileDuration::waitForRunning(15000));
    ASSERT_TRUE(waitUntil([&] { return measured >= 0; }));
    EXPECT_DOUBLE_EQ(measured, 7.5);
}

// ---- The desktop: drops, keys, widths ----

namespace {

// A drop of files as a file manager makes it, on step 1.
void dropFiles(QWidget* on, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &drop);
    QCoreApplication::processEvents();
}

}  // namespace

TEST_F(SplitWizardTest, ADroppedVideoIsTakenAsIfOpened) {
    QStringList probed;
    wizard.probe = [&](const QString& file) {
        probed << file;
        return 12.0;
    };
    const QString video = dir.write("Ünïcode 'clip' one.AVI", "x");
    int finished = 0;
    QObject::connect(&wizard, &SplitWizard::probeFinished, [&] { finished++; });
    dropFiles(page.TabSheet3, {video});
    ASSERT_TRUE(waitUntil([&] { return finished == 1; }));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    EXPECT_EQ(page.EdFilePathName->text(), QDir::toNativeSeparators(video));
    EXPECT_EQ(probed, QStringList{QDir::toNativeSeparators(video)});
    EXPECT_DOUBLE_EQ(wizard.SourceDuration, 12.0);
}

TEST_F(SplitWizardTest, OtherDropsAreRefusedByName) {
    bool probed = false;
    wizard.probe = [&](const QString&) {
        probed = true;
        return 1.0;
    };
    const QString notes = dir.write("notes.txt", "x");
    dropFiles(page.TabSheet3, {notes});
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(QDir::toNativeSeparators(notes))) << boxes[0].toStdString();
    dropFiles(page.TabSheet3, {dir.path("gone.avi")});
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[1].contains("gone.avi"));
    dropFiles(page.TabSheet3, {dir.write("a.avi", "x"), dir.write("b.mpg", "x")});
    ASSERT_EQ(boxes.size(), 3);
    EXPECT_TRUE(boxes[2].contains("a.avi") && boxes[2].contains("b.mpg")) << boxes[2].toStdString();
    EXPECT_TRUE(page.EdFilePathName->text().isEmpty());
    EXPECT_FALSE(probed);
}

TEST_F(SplitWizardTest, TextFieldsTakeNoDrops) {
    for (QLineEdit* edit : page.findChildren<QLineEdit*>()) {
        EXPECT_FALSE(edit->acceptDrops()) << edit->objectName().toStdString();
    }
    EXPECT_FALSE(page.Memo1->acceptDrops());
    // A file let go over the path box lands on the step, not in the box as text.
    EXPECT_TRUE(page.TabSheet3->acceptDrops());
}

TEST_F(SplitWizardTest, ABlankOrRelativeSavePathIsRefused) {
    chooseSource("/v/clip.avi", 90);
    page.RBSavePath->click();
    page.EdSavePath->setText("   ");
    page.BitBtnNext->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please input Save Path."});
    EXPECT_EQ(page.currentStep(), 1);

    page.EdSavePath->setText("parts/out");
    page.BitBtnNext->click();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1], "Information: " + OutputFolderProblem("parts/out"));
    EXPECT_EQ(page.currentStep(), 1);
    EXPECT_FALSE(QFileInfo::exists("parts"));
}

TEST_F(SplitWizardTest, EveryButtonAndStepHasAnAccelerator) {
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        // Left out: the arrows beside a number field (Up and Down step it), and
        // the buttons Qt adds to tab bars and tool bars for overflow.
        if (qobject_cast<UpDown*>(button->parentWidget()) || qobject_cast<QTabBar*>(button->parentWidget()) ||
            button->objectName() == "qt_toolbar_ext_button") {
            continue;
        }
        const bool marked = button->text().contains('&') || !button->shortcut().isEmpty();
        EXPECT_TRUE(marked) << button->metaObject()->className() << " " << button->objectName().toStdString() << " "
                            << button->text().toStdString() << " " << button->toolTip().toStdString();
    }
    for (int i = 0; i < page.PageControl2->count(); ++i) {
        EXPECT_TRUE(page.PageControl2->tabText(i).contains('&')) << i;
    }
}

TEST_F(SplitWizardTest, TabOrderOnStepOneFollowsTheLayout) {
    page.show();
    page.RBSavePath->click();
    const QList<QWidget*> expected{page.EdFilePathName, page.SpeedBtnOpen,     page.cbFormat,
                                   page.SpeedBtnSettings, page.RBSavePath,     page.EdSavePath,
                                   page.SpeedBtnSavePath, page.BitBtnNext,     page.BitBtnCancelSplit};
    QList<QWidget*> seen;
    QWidget* w = page.EdFilePathName;
    do {
        if (expected.contains(w)) seen << w;
        w = w->nextInFocusChain();
    } while (w != page.EdFilePathName);
    EXPECT_EQ(seen, expected);
}

TEST_F(SplitWizardTest, TheSplitInBoxShowsFiveDigitsWhole) {
    page.resize(700, 500);
    page.showStep(2);
    page.show();
    page.EdAmount->setText("99999");
    page.EdAmount->setCursorPosition(5);
    page.EdAmount->grab();  // lays the text out as painting does
    const int middle = page.EdAmount->height() / 2;
    // Scrolled text would put a later digit under the left edge.
    EXPECT_EQ(page.EdAmount->cursorPositionAt(QPoint(4, middle)), 0);
    EXPECT_EQ(page.EdAmount->cursorPositionAt(QPoint(page.EdAmount->width() - 2, middle)), 5);
}

TEST_F(SplitWizardTest, BySizeUsesItsOwnBoxesAndRefusesSizesThatAreNone) {
    toStep2("/v/clip.avi", 3600);
    page.RBSize->click();
    EXPECT_TRUE(page.EdSize->isEnabled());
    EXPECT_TRUE(page.CbSizeUnit->isEnabled());
    EXPECT_FALSE(page.EdAmount->isEnabled());
    EXPECT_FALSE(page.EdMin->isEnabled());
    page.EdSize->setText("100");
    const int slicesAt100MB = page.Chart1->slices();
    EXPECT_GT(slicesAt100MB, 1);
    page.CbSizeUnit->setCurrentIndex(1);  // GB: one part holds it all
    EXPECT_EQ(page.Chart1->slices(), 1);

    for (const char* bad : {"abc", "0", "-5"}) {
        page.EdSize->setText(bad);
        page.BitBtnNext->click();
        EXPECT_EQ(page.currentStep(), 2) << bad;
    }
    EXPECT_EQ(boxes, QStringList(3, "Information: Please input correct number!"));

    page.RBAmount->click();
    EXPECT_FALSE(page.EdSize->isEnabled());
    EXPECT_TRUE(page.EdAmount->isEnabled());
}

TEST_F(SplitWizardTest, BySizeRefusesABoundBelowASecondAndNamesTheSizeInTheSummary) {
    page.cbFormat->setCurrentIndex(4);
    toStep2("/v/clip.avi", 3600);
    page.RBSize->click();
    page.EdSize->setText("0.5");
    page.BitBtnNext->click();
    EXPECT_EQ(page.currentStep(), 2);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Information: Please input correct number! A part of at most 512 KB cannot hold one "
                                    "second of DVD PAL, which needs about"))
        << boxes[0].toStdString();
    page.EdSize->setText("1.5");
    page.CbSizeUnit->setCurrentIndex(1);
    page.BitBtnNext->click();
    ASSERT_EQ(page.currentStep(), 3);
    EXPECT_TRUE(page.Memo1->toPlainText().contains("\n        Split in parts of at most 1.5 GB\n"))
        << page.Memo1->toPlainText().toStdString();
}

TEST_F(SplitWizardTest, AStoppedRunSaysHowFarItGotAndTheBarsShowTheStop) {
    toStep3ByAmount(3);
    page.BitBtnNext->click();
    EXPECT_TRUE(page.lbTimes->text().startsWith("Elapsed 0:0")) << page.lbTimes->text().toStdString();
    engine.emitComplete();
    engine.emitProcessing(15, 30);
    EXPECT_TRUE(page.lbTimes->text().contains(" left")) << page.lbTimes->text().toStdString();
    page.BitBtnCancelSplit->click();
    EXPECT_EQ(page.Gauge1->text(), "Stopped at 50%");
    EXPECT_TRUE(page.Gauge2->text().startsWith("Stopped at"));
    EXPECT_TRUE(page.lbTimes->text().startsWith("Stopped after 0:0")) << page.lbTimes->text().toStdString();
    EXPECT_TRUE(page.lbTimes->text().endsWith("; part 2 was not written (1 written before it)"))
        << page.lbTimes->text().toStdString();

    page.BitBtnNext->click();  // a new run shows plain percentages again
    EXPECT_EQ(page.Gauge1->text(), "0%");
    for (int part = 0; part < 3; ++part) engine.emitComplete();
    EXPECT_TRUE(page.lbTimes->text().startsWith("Done in ")) << page.lbTimes->text().toStdString();
}

TEST_F(SplitWizardTest, ExistingPartsAreReplacedOnlyWhenTheUserSaysSoOnceForAll) {
    dir.write("clip-2.avi", "an earlier part");
    dir.write("clip-3.avi", "an earlier part");
    toStep3ByAmount(3);
    QStringList asked;
    bool replace = false;
    Messages::setAnswerHandler([&](const QString& text) {
        asked << text;
        return replace;
    });
    page.BitBtnNext->click();
    EXPECT_EQ(asked, QStringList{"2 files already exist in " + dir.path() + ". Replace them?"});
    EXPECT_FALSE(engine.calls.join('\n').contains("StartRender"));
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
    EXPECT_EQ(caption(page.BitBtnCancelSplit), "Exit");
    replace = true;
    page.BitBtnNext->click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.avi") + ")"));
    Messages::setAnswerHandler({});
}

TEST_F(SplitWizardTest, TheSourcesTracksAreTickedAndAnUntickedOneStaysOutOfTheRunAndIsRemembered) {
    std::atomic<Qt::HANDLE> readOn{nullptr};
    wizard.probe = [](const QString&) { return 90.0; };
    wizard.readTracks = [&](const QString&) -> std::vector<SourceTrack> {
        readOn = QThread::currentThreadId();
        return {{0, "video", "h264", "", "", 0, false},
                {1, "audio", "aac", "eng", "Main", 2, false},
                {2, "audio", "ac3", "fra", "Commentaire", 6, false},
                {3, "subtitle", "subrip", "eng", "", 0, false}};
    };
    const QString film = QDir::toNativeSeparators(dir.path("film.mkv"));
    SetOpenDialogHandler([&](const OpenDialogSetup&) { return QStringList{film}; });
    page.SpeedBtnOpen->click();
    EXPECT_EQ(page.TrackList1->topLevelItem(0)->text(0), "Reading the tracks...");
    ASSERT_TRUE(waitUntil([&] { return page.BitBtnNext->isEnabled(); }));
    EXPECT_NE(readOn.load(), QThread::currentThreadId());

    // Sound and subtitles, each ticked; the picture always goes in.
    ASSERT_EQ(page.TrackList1->topLevelItemCount(), 3);
    EXPECT_EQ(page.TrackList1->topLevelItem(1)->text(0), "Sound #2");
    EXPECT_EQ(page.TrackList1->topLevelItem(1)->text(2), "fra");
    for (int stream : {1, 2, 3}) EXPECT_EQ(page.TrackList1->itemFor(film, stream)->checkState(0), Qt::Checked);

    page.TrackList1->itemFor(film, 2)->setCheckState(0, Qt::Unchecked);
    page.BitBtnNext->click();
    page.EdAmount->setText("2");
    page.BitBtnNext->click();
    page.BitBtnNext->click();
    ASSERT_EQ(page.currentStep(), 3) << boxes.join('\n').toStdString();
    EXPECT_EQ(engine.properties().keptTracks, (KeptTracks{{film, {1, 3}}}));
    const qsizetype kept = engine.calls.indexOf("KeptTracks=" + film + ", 2");
    ASSERT_GE(kept, 0) << boxes.join('\n').toStdString();
    EXPECT_LT(kept, engine.calls.indexOf(QRegularExpression("StartRender.*")));
    page.BitBtnCancelSplit->click();

    // Chosen again, the file keeps its ticks.
    wizard.SpeedBtnOpenClick();
    ASSERT_TRUE(waitUntil([&] { return page.BitBtnNext->isEnabled(); }));
    EXPECT_EQ(page.TrackList1->itemFor(film, 2)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(page.TrackList1->itemFor(film, 3)->checkState(0), Qt::Checked);
}

// Same as source writes the source's container, so the parts keep its extension,
// in lower case in every split mode; a source without one cannot name them.
TEST_F(SplitWizardTest, SameAsSourcePartsKeepTheSourcesExtension) {
    chooseSource(dir.path("noext"), 90);
    page.cbFormat->setCurrentIndex(11);
    page.BitBtnNext->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.first().contains("\"" + dir.path("noext") + "\", and it has none")) << boxes.first().toStdString();
    EXPECT_EQ(page.currentStep(), 1);

    toStep2(dir.path("clip.MOV"), 300);
    page.RBManual->click();
    wizard.splitList.SetPoint(100);
    EXPECT_EQ(wizard.splitList.rows()[1].fileName, "clip-2.mov");
    page.RBAmount->click();
    page.EdAmount->setText("3");
    page.BitBtnNext->click();
    ASSERT_EQ(page.currentStep(), 3) << boxes.join('\n').toStdString();
    page.BitBtnNext->click();
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.mov") + ")")) << engine.calls.join('\n').toStdString();
}
