// Frame stepping and marking with the real player on real files whose times do
// not start at 0, and a split at the marked frame with the real engine.
#include "common/messages.h"
#include "engine/duration_probe.h"
#include "engine/video_edit.h"
#include "mpv_media_player.h"
#include "split/split_list.h"
#include "split/split_plan.h"
#include "split/split_page.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"
#include "split/split_wizard.h"
#include "support/wait_until.h"
#include "test_media.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <utility>

namespace {

MpvMediaPlayer::Options silent() {
    MpvMediaPlayer::Options options;
    options.audioOutput = "null";
    return options;
}

void press(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(to, &event);
    }
}

struct Clip {
    QString name;
    QString rate;  // as ffmpeg takes it
    double fps;
    QStringList codecs;  // how ffmpeg writes it
};

// MPEG-TS whose clock starts at 10 s (plus the muxer's delay), with sound that
// starts a little before the picture, as broadcast recordings do.
const QStringList kBroadcast = {"-c:v", "mpeg2video", "-g", "12", "-c:a", "mp2", "-output_ts_offset", "10"};
// A phone or camera MP4: H.264 with B-frames and a single keyframe.
const QStringList kFewKeyframes = {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-g", "250", "-c:a", "aac"};

QString makeClip(const Clip& clip) {
    return testmedia::Make(clip.name, QStringList{"-f", "lavfi", "-i",
                                                  "testsrc2=size=160x120:rate=" + clip.rate + ":duration=4", "-f",
                                                  "lavfi", "-i", "sine=frequency=440:duration=4"} +
                                          clip.codecs);
}

// Where the first picture lies, in seconds from the start of the file.
double firstPicture(const QString& file) {
    const QJsonObject probe = testmedia::Probe(file);
    const double format = probe["format"].toObject()["start_time"].toString().toDouble();
    return testmedia::Stream(probe, "video")["start_time"].toString().toDouble() - format;
}

class FrameStepTest : public ::testing::TestWithParam<Clip> {
protected:
    FrameStepTest() : editor(panel, list, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString&, const QString& text) { boxes << text; });
        editor.MP1 = &player;
    }
    ~FrameStepTest() override { Messages::setBoxHandler({}); }

    SplitPointPanel panel;
    SplitList list;
    MpvMediaPlayer player{silent()};
    SplitPointEditor editor;
    QStringList boxes;
};

}  // namespace

TEST_P(FrameStepTest, StepsLandOnFramesAndSetStoresTheirTime) {
    const Clip clip = GetParam();
    const QString file = makeClip(clip);
    ASSERT_FALSE(file.isEmpty());
    const double first = firstPicture(file);
    if (clip.codecs == kBroadcast) ASSERT_GT(first, 0.001);  // the sound comes first: frame 0 is not at 0
    editor.SourceFileName = file;
    editor.SourceDuration = MeasureDuration(file);
    editor.OutputExt = "mpg";
    panel.lbTotalTime->setText("00:00:04");
    editor.EnableSplitEditor();
    editor.ResetSplitList();

    // Steps do not wait: the read-out follows once the frame is on show.
    const auto expectFrame = [&](int frame) {
        const QString suffix = QString(", frame %1)").arg(frame);
        EXPECT_TRUE(waitUntil([&] { return panel.lbExactPosition->text().endsWith(suffix); }))
            << panel.lbExactPosition->text().toStdString();
        EXPECT_NEAR(player.FramePosition(), first + frame / clip.fps, 0.0005) << "frame " << frame;
        EXPECT_EQ(panel.lbExactPosition->text().toStdString(),
                  QString("(%1, frame %2)").arg(FormatExactClock(player.FramePosition())).arg(frame).toStdString());
    };
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 17);
    ASSERT_TRUE(player.IsOpen()) << boxes.join('\n').toStdString();
    expectFrame(17);
    press(panel.ListView1, Qt::Key_Left, Qt::NoModifier, 3);
    expectFrame(14);
    press(panel.ListView1, Qt::Key_Right, Qt::ShiftModifier);
    expectFrame(14 + static_cast<int>(std::lround(clip.fps)));
    press(panel.ListView1, Qt::Key_Home);
    expectFrame(0);
    press(panel.ListView1, Qt::Key_End);
    const int frames = testmedia::Stream(testmedia::Probe(file), "video")["nb_read_frames"].toString().toInt();
    expectFrame(frames - 1);

    press(panel.ListView1, Qt::Key_Home);
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 33);
    expectFrame(33);
    press(panel.ListView1, Qt::Key_S);
    ASSERT_EQ(list.PartCount(), 2);
    EXPECT_DOUBLE_EQ(list.TimePoints[1], player.FramePosition());

    // Selecting a row shows its first frame and leaves its start in the read-out.
    press(panel.ListView1, Qt::Key_Home);
    expectFrame(0);
    panel.ListView1->setCurrentItem(panel.ListView1->topLevelItem(1));
    EXPECT_TRUE(waitUntil([&] { return player.FrameNumber() == 33; })) << player.FrameNumber();
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:00:01");
    press(panel.ListView1, Qt::Key_S);
    EXPECT_EQ(list.PartCount(), 2);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rates, FrameStepTest,
                         ::testing::Values(Clip{"step-25fps-offset10.ts", "25", 25.0, kBroadcast},
                                           Clip{"step-2997fps-offset10.ts", "30000/1001", 30000.0 / 1001, kBroadcast},
                                           Clip{"step-25fps-one-keyframe.mp4", "25", 25.0, kFewKeyframes}),
                         [](const auto& info) {
                             return info.index == 0 ? "Pal25" : info.index == 1 ? "Ntsc2997" : "Mp4OneKeyframe";
                         });

// End shows the last picture whether the sound stops with it, runs on, or is absent.
TEST(FrameStepEnd, EndShowsTheLastPicture) {
    const QString longSound = testmedia::Make(
        "step-sound-outlasts.mp4", {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=3", "-f", "lavfi",
                                    "-i", "sine=duration=4", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    const QString noSound = testmedia::SilentClip();  // 2 s at 15 fps, no sound
    for (const auto& [file, frames] : {std::pair{longSound, 75}, std::pair{noSound, 30}}) {
        ASSERT_FALSE(file.isEmpty());
        SplitPointPanel panel;
        SplitList list;
        MpvMediaPlayer player{silent()};
        SplitPointEditor editor(panel, list, nullptr);
        editor.MP1 = &player;
        editor.SourceFileName = file;
        editor.SourceDuration = MeasureDuration(file);
        editor.EnableSplitEditor();
        press(&panel, Qt::Key_End);
        ASSERT_TRUE(player.IsOpen());
        EXPECT_TRUE(waitUntil([&] { return player.FrameNumber() == frames - 1; })) << file.toStdString();
        press(&panel, Qt::Key_Left);
        EXPECT_TRUE(waitUntil([&] { return player.FrameNumber() == frames - 2; })) << file.toStdString();
    }
}

// The split cuts at the marked frame: the first part holds exactly the frames
// before it, the second starts with it.
TEST(FrameExactSplit, ThePartsMeetAtTheMarkedFrame) {
    QStringList boxes;
    Messages::setBoxHandler([&](Messages::Kind, const QString&, const QString& text) { boxes << text; });
    const QString source = makeClip({"step-25fps-offset10.ts", "25", 25.0, kBroadcast});
    ASSERT_FALSE(source.isEmpty());
    QTemporaryDir out;
    SplitPage page;
    OutputSelection output;
    QString outputPath;
    FormatSettings formats;
    formats.AviWidth = 160;
    formats.AviHeight = 120;
    formats.AviFrameRate = 25;
    const std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    MpvMediaPlayer player(silent());
    SplitWizard wizard(page, *engine, output, outputPath, formats, nullptr);
    wizard.setPreviewPlayer(&player);
    page.cbFormat->addItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    page.cbFormat->setCurrentIndex(8);

    page.EdFilePathName->setText(source);
    wizard.SourceDuration = MeasureDuration(source);
    page.RBSavePath->click();
    page.EdSavePath->setText(out.path());
    page.BitBtnNext->click();
    ASSERT_EQ(page.currentStep(), 2) << boxes.join('\n').toStdString();
    page.RBManual->click();
    SplitPointPanel* editor = page.GroupBoxManual;
    // 1 s and 13 frames: a point no whole second could give.
    press(editor->ListView1, Qt::Key_Right, Qt::ShiftModifier);
    press(editor->ListView1, Qt::Key_Right, Qt::NoModifier, 13);
    ASSERT_TRUE(waitUntil([&] { return editor->lbExactPosition->text().endsWith(", frame 38)"); }));
    press(editor->ListView1, Qt::Key_S);
    ASSERT_EQ(editor->ListView1->topLevelItemCount(), 2);

    // The preview's own window shows with its step only, and opens beside the window in use.
    QWidget* video = player.OwnWindow();
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->isVisible());
    EXPECT_EQ(video->windowTitle(), QFileInfo(source).fileName());
    page.BitBtnBack->click();
    EXPECT_FALSE(video->isVisible());
    page.BitBtnNext->click();
    ASSERT_EQ(page.currentStep(), 2);
    EXPECT_TRUE(video->isVisible());
    // Back to step 1 and on again rebuilds the list, as before: set the point anew.
    press(editor->ListView1, Qt::Key_S);
    ASSERT_EQ(editor->ListView1->topLevelItemCount(), 2);

    page.BitBtnNext->click();  // to step 3
    EXPECT_FALSE(video->isVisible());
    page.BitBtnNext->click();  // Split
    ASSERT_TRUE(waitUntil([&] { return !boxes.isEmpty(); }, 120000));
    ASSERT_EQ(boxes, QStringList{"Task Complete!"});
    const auto frames = [&](const QString& name) {
        return testmedia::Stream(testmedia::Probe(out.filePath(name)), "video")["nb_read_frames"].toString().toInt();
    };
    const QString base = QFileInfo(source).completeBaseName();
    EXPECT_EQ(frames(base + "-1.avi"), 38);
    EXPECT_EQ(frames(base + "-2.avi"), 100 - 38);
    Messages::setBoxHandler({});
}
