// Marking split points from the keyboard, to the frame, with a player whose
// frames lie on a known grid.
#include "common/messages.h"
#include "fakes/recording_media_player.h"
#include "split/split_list.h"
#include "split/split_plan.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <initializer_list>
#include <gtest/gtest.h>

namespace {

class SplitMarkingTest : public ::testing::Test {
protected:
    SplitMarkingTest() : editor(panel, list, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString&, const QString& text) { boxes << text; });
        player.lengths["/clips/holiday.avi"] = 300000;
        editor.MP1 = &player;
        editor.SourceFileName = "/clips/holiday.avi";
        editor.SourceDuration = 300;
        editor.OutputExt = "mpg";
        panel.lbTotalTime->setText("00:05:00");
        editor.EnableSplitEditor();
        editor.ResetSplitList();
    }
    ~SplitMarkingTest() override { Messages::setBoxHandler({}); }

    void press(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers);
            QApplication::sendEvent(to, &event);
        }
    }

    SplitPointPanel panel;
    SplitList list;
    RecordingMediaPlayer player;
    SplitPointEditor editor;
    QStringList boxes;
};

}  // namespace

TEST(ExactClock, ShowsMillisecondsRounded) {
    EXPECT_EQ(FormatExactClock(0), "00:00:00.000");
    EXPECT_EQ(FormatExactClock(75.04), "00:01:15.040");
    EXPECT_EQ(FormatExactClock(3599.9996), "01:00:00.000");
    EXPECT_EQ(FormatExactClock(1001.0 / 30000 * 7), "00:00:00.234");
}

TEST_F(SplitMarkingTest, FrameStepsOpenTheSourceAndLandOnFrames) {
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 3);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.FrameNumber(), 3);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:00:00.120, frame 3)");
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:00:00");
    // Paused on the frame: Play and Stop are offered, Pause is not.
    EXPECT_EQ(player.GetMode(), TMediaPlayer::Mode::Paused);
    EXPECT_TRUE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_FALSE(panel.SpeedBtnPause->isEnabled());
    EXPECT_TRUE(panel.SpeedBtnStop->isEnabled());

    press(panel.TrackBar1, Qt::Key_Left);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:00:00.080, frame 2)");
    press(panel.TrackBar1, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:00:01.080, frame 27)");
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:00:01");
    press(&panel, Qt::Key_End);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:04:59.960, frame 7499)");
    EXPECT_EQ(panel.TrackBar1->value(), 99);
    press(&panel, Qt::Key_Home);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:00:00.000, frame 0)");
    press(&panel, Qt::Key_Left, Qt::ShiftModifier);  // nothing before the first frame
    EXPECT_EQ(player.FrameNumber(), 0);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(SplitMarkingTest, SetTakesTheExactTimeOfTheFrameShown) {
    player.frameRate = 30000.0 / 1001;
    press(panel.ListView1, Qt::Key_Right, Qt::ShiftModifier, 75);
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 7);
    const double shown = player.FramePosition();
    ASSERT_EQ(player.FrameNumber(), 2257);  // a second on is 30 frames at this rate
    press(panel.ListView1, Qt::Key_S);
    ASSERT_EQ(list.PartCount(), 2);
    EXPECT_DOUBLE_EQ(list.TimePoints[1], shown);
    EXPECT_DOUBLE_EQ(list.rows()[0].stop, shown);
    EXPECT_DOUBLE_EQ(list.rows()[1].start, shown);
    // The list itself shows whole seconds.
    EXPECT_EQ(panel.ListView1->topLevelItem(0)->text(2), "00:01:15");
}

TEST_F(SplitMarkingTest, SetWhilePlayingTakesTheFrameOnShowNow) {
    panel.SpeedBtnPlay->click();
    player.advanceTo(12345);  // the timer has not ticked since
    panel.SpeedBtnSet->click();
    ASSERT_EQ(list.PartCount(), 2);
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 12.345);
}

TEST_F(SplitMarkingTest, SetAfterClickingARowWithAFractionalStartAddsNothing) {
    press(panel.ListView1, Qt::Key_Right, Qt::ShiftModifier, 90);
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 13);  // 90.52 s
    press(panel.ListView1, Qt::Key_S);
    ASSERT_EQ(list.PartCount(), 2);
    panel.ListView1->setCurrentItem(panel.ListView1->topLevelItem(1));
    editor.ListView1Click();
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:01:31");
    panel.SpeedBtnSet->click();
    EXPECT_EQ(list.PartCount(), 2);
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 90.52);
}

TEST_F(SplitMarkingTest, ATypedReadOutStillCounts) {
    // What the read-out says is what Set takes once it no longer shows the frame's time.
    press(panel.ListView1, Qt::Key_Right, Qt::NoModifier, 5);
    panel.lbElapsedTime->setText("00:02:00");
    panel.SpeedBtnSet->click();
    ASSERT_EQ(list.PartCount(), 2);
    EXPECT_DOUBLE_EQ(list.TimePoints[1], 120);
}

TEST_F(SplitMarkingTest, SpacePlaysPausesAndResumesOnTheFrameShown) {
    press(panel.ListView1, Qt::Key_Space);
    EXPECT_EQ(player.GetMode(), TMediaPlayer::Mode::Playing);
    EXPECT_TRUE(panel.Timer1->isActive());
    player.advanceTo(61000);
    press(panel.ListView1, Qt::Key_Space);
    EXPECT_EQ(player.GetMode(), TMediaPlayer::Mode::Paused);
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:01:01");
    press(panel.ListView1, Qt::Key_Right);
    player.calls.clear();
    press(panel.ListView1, Qt::Key_Space);
    // On from the frame stepped to, not from the track bar's coarse percent.
    EXPECT_EQ(player.calls, QStringList{"Play"});
    EXPECT_EQ(player.Position(), 61040);

    // A track bar moved meanwhile is where Play goes, as the Play button does.
    press(panel.ListView1, Qt::Key_Space);
    panel.TrackBar1->setValue(50);
    player.calls.clear();
    press(panel.ListView1, Qt::Key_Space);
    EXPECT_EQ(player.calls, (QStringList{"Seek(150000)", "Play"}));
}

TEST_F(SplitMarkingTest, SpaceStillPressesAFocusedButton) {
    panel.SpeedBtnSet->setFocus();
    press(panel.SpeedBtnSet, Qt::Key_Space);
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(SplitMarkingTest, KeysDoNothingWhileTheEditorIsOff) {
    editor.DisableSplitEditor();
    for (int key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_End, Qt::Key_S}) press(&panel, key);
    EXPECT_TRUE(player.calls.isEmpty()) << player.calls.join(' ').toStdString();
    EXPECT_EQ(list.PartCount(), 1);
}

TEST_F(SplitMarkingTest, ASoundOnlySourceHasNoFramesToStep) {
    player.frameRate = 0;
    press(&panel, Qt::Key_Right);
    EXPECT_TRUE(player.IsOpen());
    EXPECT_TRUE(player.calls.filter("Frame").isEmpty());
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(SplitMarkingTest, TheListShowsItsHeadingsAndClocksWhole) {
    const QTreeWidget* view = panel.ListView1;
    for (int column = 0; column < view->columnCount(); ++column) {
        EXPECT_GE(view->columnWidth(column), view->header()->sectionSizeHint(column)) << column;
    }
    for (int column = 1; column <= 3; ++column) {
        EXPECT_GE(view->columnWidth(column), static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(column)) << column;
    }
}

// The group as wide as the main window gives it (which is not resizable).
TEST(SplitPointGroup, NothingIsCutOffAtTheWidthTheWindowGivesIt) {
    QWidget window;
    window.setFixedSize(530, 300);
    auto* panel = new SplitPointPanel;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    panel->lbElapsedTime->setText("00:12:34");
    panel->lbTotalTime->setText("01:00:00");
    panel->lbExactPosition->setText("(00:12:34.560, frame 18864)");
    window.show();
    QApplication::processEvents();
    for (QToolButton* button : {panel->SpeedBtnPlay, panel->SpeedBtnPause, panel->SpeedBtnStop}) {
        EXPECT_TRUE(button->isVisible()) << button->toolTip().toStdString();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{panel->lbElapsedTime, panel->lbTotalTime,
                                                      panel->lbExactPosition, panel->SpeedBtnSet}) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->metaObject()->className();
    }
    EXPECT_LT(panel->lbExactPosition->geometry().right(), panel->SpeedBtnSet->geometry().left());
    EXPECT_GE(panel->CheckTip->width(), panel->CheckTip->sizeHint().width());
}

// The picture and the read-out belong to the source of the moment and to the row
// selected.
TEST_F(SplitMarkingTest, ASelectedRowShowsItsFirstFrameAndAnotherSourceStartsAfresh) {
    press(panel.ListView1, Qt::Key_Right, Qt::ShiftModifier, 90);
    press(panel.ListView1, Qt::Key_S);
    press(&panel, Qt::Key_Home);
    player.calls.clear();
    panel.ListView1->setCurrentItem(panel.ListView1->topLevelItem(1));
    EXPECT_EQ(player.calls, QStringList{"ShowFrameAt(90.000)"});
    EXPECT_EQ(player.FrameNumber(), 2250);
    // The read-out keeps the row's start, so Set there adds nothing.
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:01:30");
    press(panel.ListView1, Qt::Key_S);
    EXPECT_EQ(list.PartCount(), 2);

    // Steps from there move the read-out again.
    press(panel.ListView1, Qt::Key_Right);
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:01:30.040, frame 2251)");

    // Back in step 1 another file is chosen and step 2 opens again.
    player.lengths["/clips/other.avi"] = 60000;
    editor.SourceFileName = "/clips/other.avi";
    editor.SourceDuration = 60;
    editor.ResetSplitList();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:00:00");
    EXPECT_EQ(panel.lbExactPosition->text(), "");
    EXPECT_EQ(panel.TrackBar1->value(), 0);
    EXPECT_TRUE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_FALSE(panel.SpeedBtnStop->isEnabled());
    press(panel.ListView1, Qt::Key_Right);
    EXPECT_EQ(player.FileName(), "/clips/other.avi");
    EXPECT_EQ(panel.lbExactPosition->text(), "(00:00:00.040, frame 1)");
}
