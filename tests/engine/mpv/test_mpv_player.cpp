#include "engine/quillmark_error.h"
#include "mpv_media_player.h"
#include "player_media.h"
#include "video_panel.h"
#include "support/wait_until.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using Mode = TMediaPlayer::Mode;

namespace {

constexpr int kFrameMs = 40;  // the test clip runs at 25 frames a second

MpvMediaPlayer::Options silent() {
    MpvMediaPlayer::Options options;
    options.audioOutput = "null";
    return options;
}

// The message a call raised, or "" when it raised nothing.
template <class Call>
QString raisedBy(Call call) {
    try {
        call();
    } catch (const QuillmarkError& error) {
        return error.message();
    }
    return {};
}

bool isRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool isBlue(QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }

class MpvPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&player, &TMediaPlayer::ModeChanged, [this](Mode mode) { modes.push_back(mode); });
    }

    void open(const QString& file) {
        ASSERT_FALSE(file.isEmpty()) << "the test media could not be made";
        player.SetFileName(file);
        player.Open();
        player.SetTimeFormatMilliseconds();
    }

    bool waitForMode(Mode mode) {
        return waitUntil([&] { return player.GetMode() == mode; });
    }

    MpvMediaPlayer player{silent()};
    std::vector<Mode> modes;
};

}  // namespace

TEST_F(MpvPlayer, TransportOperationsOnAClosedPlayerRaiseNoDeviceOpen) {
    EXPECT_EQ(player.GetMode(), Mode::NotReady);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(raisedBy([&] { player.Pause(); }), "No MCI device open");
    EXPECT_EQ(raisedBy([&] { player.Play(); }), "No MCI device open");
    EXPECT_EQ(raisedBy([&] { player.Stop(); }), "No MCI device open");
    EXPECT_EQ(raisedBy([&] { player.Seek(100); }), "No MCI device open");
    EXPECT_EQ(raisedBy([&] { player.Position(); }), "No MCI device open");
    EXPECT_EQ(raisedBy([&] { player.Length(); }), "No MCI device open");
    // Closing what was never opened is harmless, as the music dialog relies on.
    EXPECT_EQ(raisedBy([&] { player.Close(); }), "");
}

TEST_F(MpvPlayer, OpenFailuresRaiseTheReasonAndLeaveThePlayerClosed) {
    player.SetFileName(player_media::clip() + ".missing");
    const QString missing = raisedBy([&] { player.Open(); });
    EXPECT_TRUE(missing.contains("file not found")) << missing.toStdString();
    EXPECT_FALSE(player.IsOpen());

    // A failed Open also closes the file that was open before it.
    open(player_media::clip());
    player.Play();
    player.SetFileName(player_media::notMedia());
    const QString notMedia = raisedBy([&] { player.Open(); });
    EXPECT_TRUE(notMedia.contains("unrecognized file format")) << notMedia.toStdString();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.GetMode(), Mode::NotReady);
    EXPECT_EQ(player.videoPanel(), nullptr);
    EXPECT_EQ(raisedBy([&] { player.Pause(); }), "No MCI device open");

    // The player recovers: the next good file opens.
    open(player_media::clip());
    EXPECT_EQ(player.GetMode(), Mode::Stopped);
}

TEST_F(MpvPlayer, OpenReturnsWithTheLengthKnownAndTheFileStoppedAtItsStart) {
    const QString clip = player_media::clip();
    open(clip);
    EXPECT_TRUE(player.IsOpen());
    EXPECT_EQ(player.GetMode(), Mode::Stopped);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_NEAR(player.Length(), 5000, kFrameMs);
    EXPECT_NEAR(player.Length(), player_media::probeDuration(clip) * 1000, 1);
    EXPECT_EQ(modes, std::vector<Mode>{Mode::Stopped});
}

TEST_F(MpvPlayer, ModesAndPositionFollowPlayPauseResumeSeekAndStop) {
    open(player_media::clip());

    player.Play();
    EXPECT_EQ(player.GetMode(), Mode::Playing);
    ASSERT_TRUE(waitUntil([&] { return player.Position() >= 500; }));

    player.Pause();
    EXPECT_EQ(player.GetMode(), Mode::Paused);
    const int pausedAt = player.Position();
    keepRunningFor(400);
    EXPECT_EQ(player.Position(), pausedAt);

    player.Pause();  // resumes
    EXPECT_EQ(player.GetMode(), Mode::Playing);
    ASSERT_TRUE(waitUntil([&] { return player.Position() >= pausedAt + 200; }));

    player.Seek(2500);
    EXPECT_EQ(player.GetMode(), Mode::Seeking);
    EXPECT_EQ(player.Position(), 2500);
    ASSERT_TRUE(waitForMode(Mode::Stopped));
    // Exact: the frame at or after the target, not a key frame before it.
    EXPECT_GE(player.Position(), 2500);
    EXPECT_LE(player.Position(), 2500 + kFrameMs);

    player.Play();
    EXPECT_EQ(player.GetMode(), Mode::Playing);
    ASSERT_TRUE(waitUntil([&] { return player.Position() >= 2800; }));

    player.Stop();
    EXPECT_EQ(player.GetMode(), Mode::Stopped);
    const int stoppedAt = player.Position();
    EXPECT_GE(stoppedAt, 2800);
    keepRunningFor(300);
    EXPECT_EQ(player.Position(), stoppedAt);
    EXPECT_TRUE(player.IsOpen());

    player.Close();
    EXPECT_EQ(player.GetMode(), Mode::NotReady);
    EXPECT_EQ(modes, (std::vector<Mode>{Mode::Stopped, Mode::Playing, Mode::Paused, Mode::Playing, Mode::Seeking,
                                        Mode::Stopped, Mode::Playing, Mode::Stopped, Mode::NotReady}));
}

TEST_F(MpvPlayer, PauseLeavesAStoppedPlayerAlone) {
    open(player_media::clip());
    player.Pause();
    EXPECT_EQ(player.GetMode(), Mode::Stopped);
    keepRunningFor(300);
    EXPECT_EQ(player.Position(), 0);
}

TEST_F(MpvPlayer, ReachingTheEndLeavesThePlayerStoppedAtTheEnd) {
    open(player_media::clip());
    player.Seek(4500);
    player.Play();
    ASSERT_TRUE(waitForMode(Mode::Stopped));
    EXPECT_TRUE(player.IsOpen());
    EXPECT_EQ(player.Position(), player.Length());
    EXPECT_EQ(modes.back(), Mode::Stopped);

    // Nothing is left to play until a seek moves away from the end.
    player.Play();
    EXPECT_EQ(player.GetMode(), Mode::Stopped);
    player.Seek(1000);
    ASSERT_TRUE(waitForMode(Mode::Stopped));
    EXPECT_NEAR(player.Position(), 1000, kFrameMs);
    player.Play();
    ASSERT_TRUE(waitUntil([&] { return player.Position() >= 1200; }));
    EXPECT_EQ(player.GetMode(), Mode::Playing);

    // Targets outside the file land on its ends.
    player.Seek(player.Length() + 10000);
    ASSERT_TRUE(waitForMode(Mode::Stopped));
    EXPECT_EQ(player.Position(), player.Length());
    player.Seek(-500);
    ASSERT_TRUE(waitForMode(Mode::Stopped));
    EXPECT_EQ(player.Position(), 0);
}

TEST_F(MpvPlayer, FramesOfTheDisplayRectangleSizeReachAPanelInTheDisplay) {
    QWidget display;
    display.resize(300, 250);
    display.show();
    player.SetDisplay(&display);
    open(player_media::clip());
    player.SetDisplayRect(QRect(0, 0, 209, 169));

    VideoPanel* panel = player.videoPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), &display);
    EXPECT_TRUE(panel->isVisible());
    // Real frames: the clip's red left half and blue right half, at their 4:3
    // shape inside the rectangle, black above and below.
    ASSERT_TRUE(waitUntil([&] {
        const QImage& frame = panel->frame();
        return frame.size() == QSize(209, 157) && isRed(frame.pixelColor(50, 78));
    }));
    EXPECT_EQ(panel->pictureRect(), QRect(0, 6, 209, 157));
    EXPECT_TRUE(isBlue(panel->frame().pixelColor(160, 78)));
    const QImage shot = display.grab().toImage();
    EXPECT_TRUE(isRed(shot.pixelColor(50, 84)));
    EXPECT_EQ(shot.pixelColor(100, 2), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(250, 200), QColor(Qt::black));

    // Frames keep coming while it plays.
    const int before = panel->framesShown();
    player.Play();
    ASSERT_TRUE(waitUntil([&] { return panel->framesShown() >= before + 10; }));

    // A new rectangle is drawn at its own size, even while stopped.
    player.Stop();
    player.SetDisplayRect(QRect(0, 0, 100, 80));
    ASSERT_TRUE(waitUntil([&] { return panel->frame().size() == QSize(100, 75); }));
    EXPECT_TRUE(isRed(panel->frame().pixelColor(20, 40)));

    // Closing uncovers whatever the display shows under the video.
    player.Close();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(player.videoPanel(), nullptr);
}

TEST_F(MpvPlayer, WithoutADisplayVideoGetsAWindowOfItsOwnThatLeavesTheKeysAlone) {
    open(player_media::clip());
    player.SetDisplayRect(QRect(0, 0, 170, 134));
    VideoPanel* window = player.videoPanel();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    // The video's own size, under 480 pixels wide; the rectangle does not shrink it.
    EXPECT_EQ(window->size(), QSize(160, 120));
    ASSERT_TRUE(waitUntil([&] { return window->frame().size() == QSize(160, 120) && isRed(window->frame().pixelColor(40, 60)); }));
    // The 4:3 picture keeps its shape inside the window once it is resized.
    window->resize(400, 150);
    ASSERT_TRUE(waitUntil([&] { return window->frame().size() == QSize(200, 150); }));
    EXPECT_EQ(window->pictureRect(), QRect(100, 0, 200, 150));
    EXPECT_TRUE(isBlue(window->frame().pixelColor(150, 75)));

    player.Close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MpvPlayer, WavAndMp3PlayWithoutAnyWindowToTheirEnd) {
    for (const QString& file : {player_media::wav(), player_media::mp3()}) {
        SCOPED_TRACE(file.toStdString());
        open(file);
        EXPECT_EQ(player.videoPanel(), nullptr);
        EXPECT_NEAR(player.Length(), player_media::probeDuration(file) * 1000, 1);
        player.Play();
        ASSERT_TRUE(waitUntil([&] { return player.Position() >= 300; }));
        player.Seek(player.Length() - 300);
        player.Play();
        ASSERT_TRUE(waitForMode(Mode::Stopped));
        EXPECT_EQ(player.Position(), player.Length());
        player.Close();
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<VideoPanel*>(widget) && widget->isVisible());
    }
}

TEST(MpvPlayerLifetime, APlayingPlayerCanBeDestroyedAndTakesItsPanelAlong) {
    QWidget display;
    display.resize(209, 169);
    display.show();
    auto player = std::make_unique<MpvMediaPlayer>(silent());
    player->SetDisplay(&display);
    player->SetFileName(player_media::clip());
    player->Open();
    player->Play();
    VideoPanel* panel = player->videoPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(waitUntil([&] { return panel->framesShown() > 3; }));

    player.reset();
    EXPECT_TRUE(display.findChildren<VideoPanel*>().isEmpty());
    keepRunningFor(200);  // frames and events queued before the end are dropped, not delivered
}

TEST(MpvPlayerLifetime, APlayerOutlivesItsDisplayWidget) {
    auto display = std::make_unique<QWidget>();
    display->resize(209, 169);
    display->show();
    MpvMediaPlayer player(silent());
    player.SetDisplay(display.get());
    player.SetFileName(player_media::clip());
    player.Open();
    player.Play();
    ASSERT_TRUE(waitUntil([&] { return player.videoPanel()->framesShown() > 3; }));

    display.reset();
    keepRunningFor(300);  // frames keep arriving with nowhere to go
    EXPECT_GT(player.Position(), 0);
    player.Close();
    EXPECT_EQ(player.GetMode(), Mode::NotReady);
}

TEST(MpvPlayerFactory, MakesAWorkingPlayer) {
    const std::unique_ptr<TMediaPlayer> player = CreateMediaPlayer(nullptr);
    ASSERT_NE(player, nullptr);
    player->SetFileName(player_media::wav());
    player->Open();
    EXPECT_NEAR(player->Length(), 3000, 1);
}
