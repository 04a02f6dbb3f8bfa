// One join through the page on the real engine and player: a picture, a 3 s
// clip and a picture with music, into AVI, checked with ffprobe.
#include "join_test_fixture.h"
#include "mpv_media_player.h"
#include "test_media.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QProgressBar>
#include <QPushButton>
#include "support/wait_until.h"

#include <QAction>
#include <QThread>

namespace {
MpvMediaPlayer::Options silent() {
    MpvMediaPlayer::Options options;
    options.audioOutput = "null";
    return options;
}
}  // namespace

TEST(JoinEndToEnd, PictureClipPictureWithMusicToAvi) {
    const QString clip = testmedia::PcmClip();  // 3 s, 160x120, sound
    const QString first = testmedia::Picture();
    const QString second = testmedia::Make("join_blue.bmp", {"-f", "lavfi", "-i", "color=c=blue:size=120x160",
                                                             "-frames:v", "1"});
    const QString music = testmedia::Make("join_music.mp3", {"-f", "lavfi", "-i", "sine=frequency=660:duration=8",
                                                             "-c:a", "libmp3lame"});
    ASSERT_FALSE(clip.isEmpty() || second.isEmpty() || music.isEmpty());

    TempFolder dir;
    QStringList boxes;
    Messages::setBoxHandler([&](Messages::Kind, const QString& caption, const QString& text) {
        boxes << caption + ": " + text;
    });
    SetOpenDialogHandler([&](const OpenDialogSetup&) { return QStringList{first, clip, second}; });

    JoinPage page;
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    std::unique_ptr<TVideoEdit> transitions = CreateVideoEdit();
    MpvMediaPlayer player(silent());
    OutputSelection output;
    output.Select(8);
    QString joinOutputPath = dir.path("joined");
    FormatSettings formats;
    formats.AviWidth = 160;
    formats.AviHeight = 120;
    formats.AviFrameRate = 25;
    PictureOptions pictures;
    pictures.PictureDuration = 1;
    pictures.TransitionDuration = 0.5;
    pictures.RandomTransition = false;
    pictures.TransitionIndex = 0;
    pictures.MusicFile = music;
    JoinController controller(page, *engine, player, output, joinOutputPath, formats, pictures,
                              dir.path("setup.ini"), *transitions, [] { return std::make_unique<MpvMediaPlayer>(silent()); },
                              nullptr);
    page.EdSavePath2->setText(joinOutputPath);
    page.EdSaveFileName->setText("holiday.mpg");

    page.ToolBtnOpen->trigger();
    page.BitBtnJoin->click();
    ASSERT_TRUE(waitUntil([&] { return !boxes.isEmpty(); }, 120000)) << "the join never ended";
    Messages::setBoxHandler({});
    SetOpenDialogHandler({});
    EXPECT_EQ(boxes, QStringList{"Information: Task Complete!"});
    EXPECT_EQ(page.Gauge3->value(), 100);
    EXPECT_NEAR(controller.joinItems.at(2).duration, 3.0, 0.05);  // measured by the player

    const QString out = dir.path("joined") + "/holiday.avi";
    const QJsonObject probe = testmedia::Probe(out);
    const QJsonObject video = testmedia::Stream(probe, "video");
    const QJsonObject audio = testmedia::Stream(probe, "audio");
    EXPECT_EQ(probe["format"].toObject()["format_name"].toString(), "avi");
    EXPECT_EQ(video["width"].toInt(), 160);
    EXPECT_EQ(video["height"].toInt(), 120);
    ASSERT_FALSE(audio.isEmpty());
    // 1 s picture + 3 s clip + 1 s picture, at 25 frames a second.
    EXPECT_NEAR(video["nb_read_frames"].toString().toInt(), 125, 1);
    EXPECT_NEAR(testmedia::AudioSeconds(out), 5.0, 0.1);
}
