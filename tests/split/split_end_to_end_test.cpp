// The split wizard driving the real engine on a real clip, as a user would.
#include "common/messages.h"
#include "engine/duration_probe.h"
#include "engine/video_edit.h"
#include "split/split_page.h"
#include "split/split_point_panel.h"
#include "split/split_wizard.h"
#include "support/wait_until.h"
#include "test_media.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class SplitEndToEnd : public ::testing::Test {
protected:
    SplitEndToEnd() {
        Messages::setBoxHandler([this](Messages::Kind, const QString&, const QString& text) { boxes << text; });
        // 6 s at 25 fps with a tone, in AVI, as users bring them.
        source = testmedia::Make("split-source-6s.avi",
                                 {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=6", "-f", "lavfi", "-i",
                                  "sine=frequency=440:duration=6", "-c:v", "mpeg4", "-q:v", "4", "-c:a", "mp3"});
        formats.AviWidth = 160;
        formats.AviHeight = 120;
        formats.AviFrameRate = 25;
        engine = CreateVideoEdit();
        wizard = std::make_unique<SplitWizard>(page, *engine, output, outputPath, formats, nullptr);
        page.cbFormat->addItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
        page.cbFormat->setCurrentIndex(8);
    }
    ~SplitEndToEnd() override { Messages::setBoxHandler({}); }

    void chooseSourceAndFolder() {
        page.EdFilePathName->setText(source);
        wizard->SourceDuration = MeasureDuration(source);
        page.RBSavePath->click();
        page.EdSavePath->setText(out.path());
        page.BitBtnNext->click();
        ASSERT_EQ(page.currentStep(), 2);
    }
    bool splitAndWait() {
        page.BitBtnNext->click();  // to step 3
        page.BitBtnNext->click();  // Split
        waitUntil([this] { return !boxes.isEmpty(); }, 120000);
        return boxes == QStringList{"Task Complete!"};
    }
    // Seconds of picture: the frames the part holds at the source's 25 fps.
    double seconds(const QString& file) { return frames(file) / 25.0; }
    // Frames as AVI counts them: a chunk each, an empty one showing the picture
    // before it again (as the ffmpeg command line leaves after an MP3's priming).
    int frames(const QString& file) {
        return testmedia::Stream(testmedia::Probe(out.filePath(file)), "video")["nb_frames"].toString().toInt();
    }

    QString source;
    QTemporaryDir out;
    SplitPage page;
    std::unique_ptr<TVideoEdit> engine;
    OutputSelection output;
    QString outputPath;
    FormatSettings formats;
    std::unique_ptr<SplitWizard> wizard;
    QStringList boxes;
};

}  // namespace

TEST_F(SplitEndToEnd, ByAmountWritesThreeTwoSecondParts) {
    chooseSourceAndFolder();
    page.EdAmount->setText("3");
    ASSERT_TRUE(splitAndWait()) << boxes.join('\n').toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              (QStringList{"split-source-6s-1.avi", "split-source-6s-2.avi", "split-source-6s-3.avi"}));
    // The parts follow one another: together they hold every source frame once.
    int total = 0;
    for (int n = 1; n <= 3; ++n) {
        const QString file = QString("split-source-6s-%1.avi").arg(n);
        EXPECT_NEAR(seconds(file), 2.0, 0.05) << file.toStdString();
        total += frames(file);
    }
    const double sourceSeconds =
        testmedia::Stream(testmedia::Probe(source), "video")["duration"].toString().toDouble();
    EXPECT_EQ(total, qRound(sourceSeconds * 25));
}

TEST_F(SplitEndToEnd, BySettingsWritesOnlyTheTickedRows) {
    chooseSourceAndFolder();
    page.RBManual->click();
    SplitPointPanel* editor = page.GroupBoxManual;
    for (const char* at : {"00:00:02", "00:00:04"}) {
        editor->lbElapsedTime->setText(at);
        editor->SpeedBtnSet->click();
    }
    ASSERT_EQ(editor->ListView1->topLevelItemCount(), 3);
    editor->ListView1->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    ASSERT_TRUE(splitAndWait()) << boxes.join('\n').toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              (QStringList{"split-source-6s-1.avi", "split-source-6s-3.avi"}));
    EXPECT_EQ(frames("split-source-6s-1.avi"), 50);
    EXPECT_NEAR(seconds("split-source-6s-3.avi"), 2.0, 0.05);
}
