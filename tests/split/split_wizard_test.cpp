#include "common/file_filters.h"
#include "common/folder_dialog.h"
#include "common/folders.h"
#include "common/messages.h"
#include "engine/quillmark_error.h"
#include "fakes/recording_video_edit.h"
#include "split/pie_chart.h"
#include "split/split_page.h"
#include "split/split_point_panel.h"
#include "split/split_wizard.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <QComboBox>
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

class SplitWizardTest : public ::testing::Test {
protected:
    SplitWizardTest() : wizard(page, engine, output, outputPath, formats, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        page.cbFormat->addItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
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
    EXPECT_EQ(page.BitBtnNext->text(), "Split");
    EXPECT_EQ(page.BitBtnNext->toolTip(), "Start Splitting");
    page.BitBtnBack->click();
    EXPECT_EQ(page.BitBtnNext->text(), "Next");
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
    EXPECT_EQ(page.BitBtnCancelSplit->text(), "Stop");
    EXPECT_FALSE(page.BitBtnNext->isEnabled());
    EXPECT_FALSE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(page.Gauge2->maximum(), 30);
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.avi") + ")"));
    EXPECT_EQ(page.lbPart->text(), "Current Part: Part 1");
    engine.emitProcessing(15, 30);
    EXPECT_EQ(page.Gauge1->value(), 50);

    page.BitBtnCancelSplit->click();
    EXPECT_EQ(engine.calls.last(), "StopRender");
    EXPECT_EQ(page.BitBtnCancelSplit->text(), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
    EXPECT_EQ(page.BitBtnNext->text(), "Split");
    EXPECT_TRUE(page.BitBtnBack->isEnabled());
    EXPECT_EQ(page.Gauge1->value(), 50);  // the gauges keep their last values
    EXPECT_EQ(exits, 0);

    engine.calls.clear();
    page.BitBtnNext->click();
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("clip-1.avi") + ")"));
    engine.emitComplete();
    engine.emitComplete();
    engine.emitComplete();
    EXPECT_EQ(boxes, QStringList{"Information: Task Complete!"});
    EXPECT_EQ(page.Gauge1->value(), 100);
    EXPECT_EQ(page.Gauge2->value(), 30);
    EXPECT_EQ(page.BitBtnCancelSplit->text(), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
}

TEST_F(SplitWizardTest, AFailedPartIsReportedAndTheRunEnds) {
    toStep3ByAmount(2);
    page.BitBtnNext->click();
    engine.emitError("Cannot write clip-1.avi: disk full");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Quillmark: Part 1 ("));
    EXPECT_FALSE(boxes.join("").contains("Task Complete!"));
    EXPECT_EQ(page.BitBtnCancelSplit->text(), "Exit");
    EXPECT_TRUE(page.BitBtnNext->isEnabled());
}

TEST_F(SplitWizardTest, ExitGoesBackToStepOneWithGaugesCleared) {
    toStep3ByAmount(3);
    page.Gauge1->setValue(40);
    page.BitBtnCancelSplit->click();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(page.currentStep(), 1);
    EXPECT_EQ(page.Gauge1->value(), 0);
    EXPECT_EQ(page.BitBtnNext->text(), "Next");
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
    QObject::connect(&wizard, &SplitWizard::probeStarted, [&] { started++; });
    QObject::connect(&wizard, &SplitWizard::probeFinished, [&] { finished++; });
    // The first file sits on a stalled drive until the test lets it go.
    auto stalled = std::make_shared<QSemaphore>();
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
