// The join preview: play, pause, stop, the timer and the position bar.
#include "join_test_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

namespace {
class JoinPreviewTest : public JoinFixture {
protected:
    void releaseBar(int value) {
        page.TrackBar2->setValue(value);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(page.TrackBar2, &release);
    }
    void playVideo(const QString& file, int lengthMs) {
        player.lengths[file] = lengthMs;
        add({file});
        select(controller.JoinCount - 1);
        page.TBPlay->click();
        ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    }
    JoinPreview& preview = controller.preview;
};
}  // namespace

TEST_F(JoinPreviewTest, PlayMeasuresTheEntryAndAJoinReusesIt) {
    playVideo("/v/long.avi", 75400);
    EXPECT_EQ(player.calls, (QStringList{"Display(panel)", "Open(/v/long.avi)", "TimeFormat", "Rect(0,0,208,168)",
                                         "Play"}));
    EXPECT_DOUBLE_EQ(controller.joinItems.at(1).duration, 75.4);
    EXPECT_EQ(page.lbTotalTime2->text(), "00:01:15");
    EXPECT_FALSE(page.TBPlay->isEnabled() || page.MenuPlay->isEnabled());
    EXPECT_TRUE(page.TBPause->isEnabled() && page.TBStop->isEnabled() && page.MenuStop->isEnabled());
    EXPECT_TRUE(preview.Timer2.isActive());

    // A join stops the preview first and does not open the file again.
    player.calls.clear();
    page.BitBtnJoin->click();
    EXPECT_EQ(player.calls, (QStringList{"Stop", "Close"}));
    EXPECT_FALSE(preview.Timer2.isActive());
    EXPECT_TRUE(engine.calls.contains("AddVideoClip(/v/long.avi, 0, 75.4, 2)"));
}

TEST_F(JoinPreviewTest, PauseThenPlayResumesWhereTheBarPoints) {
    playVideo("/v/a.avi", 100000);
    player.advanceTo(42300);
    page.TBPause->click();
    EXPECT_EQ(page.lbElapsedTime2->text(), "00:00:42");
    EXPECT_FALSE(preview.Timer2.isActive());
    EXPECT_TRUE(page.TBPlay->isEnabled() && page.TBStop->isEnabled() && !page.TBPause->isEnabled());
    releaseBar(80);  // while paused the bar changes nothing
    EXPECT_FALSE(player.calls.join(' ').contains("Seek"));
    player.calls.clear();
    page.TBPlay->click();
    EXPECT_EQ(player.calls, (QStringList{"Seek(80000)", "Play"}));
}

TEST_F(JoinPreviewTest, ReleasingTheBarWhilePlayingSeeks) {
    playVideo("/v/a.avi", 200000);
    player.calls.clear();
    releaseBar(25);
    EXPECT_EQ(player.calls, (QStringList{"Seek(50000)", "Play"}));
    EXPECT_EQ(page.lbElapsedTime2->text(), "00:00:50");
}

TEST_F(JoinPreviewTest, StopWhilePausedThenPlayStartsAtZero) {
    playVideo("/v/a.avi", 100000);
    player.advanceTo(30000);
    page.TBPause->click();
    page.TrackBar2->setValue(30);
    page.TBStop->click();
    EXPECT_TRUE(player.IsOpen());  // a paused player stays open
    EXPECT_EQ(page.TrackBar2->value(), 0);
    EXPECT_EQ(page.lbElapsedTime2->text(), "00:00:00");
    player.calls.clear();
    page.TBPlay->click();
    EXPECT_EQ(player.calls, (QStringList{"Seek(0)", "Play"}));
}

TEST_F(JoinPreviewTest, TheTimerMovesTheBarAndStopsAtTheEnd) {
    playVideo("/v/a.avi", 4000);
    player.advanceTo(1999);
    preview.Timer2Timer();
    EXPECT_EQ(page.lbElapsedTime2->text(), "00:00:01");
    EXPECT_EQ(page.TrackBar2->value(), 25);
    player.advanceTo(4000);
    preview.Timer2Timer();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(preview.Timer2.isActive());
    EXPECT_TRUE(page.TBPlay->isEnabled());
    EXPECT_EQ(page.TrackBar2->value(), 0);
}

TEST_F(JoinPreviewTest, ATimerNeverReadsAClosedPlayer) {
    const QString pic = picture("p.bmp");
    playVideo("/v/a.avi", 4500);
    add({pic});
    player.advanceTo(4500);
    player.Stop();  // the end of a video of a fractional length: the timer keeps running
    select(1);      // a picture closes the stopped player
    ASSERT_FALSE(player.IsOpen());
    EXPECT_NO_THROW(preview.Timer2Timer());
    EXPECT_FALSE(preview.Timer2.isActive());
    EXPECT_TRUE(page.TBPlay->isEnabled());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
}

TEST_F(JoinPreviewTest, PlayDoesNothingForAPicture) {
    playVideo("/v/a.avi", 4000);
    page.TBStop->click();
    add({picture("p.jpg")});
    select(1);
    player.calls.clear();
    page.TBPlay->click();  // still enabled from the video
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(JoinPreviewTest, AfterRemoveNoOtherEntryTakesTheLength) {
    player.lengths["/v/2.avi"] = 9000;
    add({"/v/1.avi", "/v/2.avi"});
    select(1);
    page.ToolBtnRemove->trigger();  // the selection still names entry 2, now beyond the list
    page.TBPlay->click();
    page.TBStop->click();
    add({"/v/3.avi"});  // entry 2 is now another file
    page.TBPlay->click();
    EXPECT_EQ(controller.joinItems.at(1).duration, 0);
    EXPECT_EQ(controller.joinItems.at(2).duration, 0);
    EXPECT_EQ(page.lbTotalTime2->text(), "00:00:09");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(JoinPreviewTest, AFileThatCannotBeOpenedChangesNoButton) {
    add({"/v/broken.avi"});
    select(0);
    page.TBPlay->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(page.TBPlay->isEnabled());
    EXPECT_FALSE(page.TBPause->isEnabled());
    EXPECT_FALSE(preview.Timer2.isActive());
}
