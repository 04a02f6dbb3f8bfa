#include "common/messages.h"
#include "fakes/recording_media_player.h"
#include "common/file_filters.h"
#include "split/edit_selection_form.h"
#include "split/split_list.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QFile>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class SplitEditorTest : public ::testing::Test {
protected:
    SplitEditorTest() : editor(panel, list, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        player.lengths["/clips/holiday.avi"] = 300000;
        editor.MP1 = &player;
        editor.SourceFileName = "/clips/holiday.avi";
        editor.SourceDuration = 300;
        editor.OutputExt = "mpg";
        QObject::connect(&editor, &SplitPointEditor::partCountChanged, [this](int n) { pie = n; });
        panel.lbTotalTime->setText("00:05:00");
        editor.EnableSplitEditor();
        editor.ResetSplitList();
    }
    ~SplitEditorTest() override { Messages::setBoxHandler({}); }
    QStringList row(int r) const {
        QStringList texts;
        for (int c = 0; c < 5; ++c) texts << panel.ListView1->topLevelItem(r)->text(c);
        return texts;
    }
    void setAt(const QString& clock) {
        panel.lbElapsedTime->setText(clock);
        panel.SpeedBtnSet->click();
    }
    void select(int r) {
        panel.ListView1->setCurrentItem(panel.ListView1->topLevelItem(r));
        editor.ListView1Click();
    }

    SplitPointPanel panel;
    SplitList list;
    RecordingMediaPlayer player;
    SplitPointEditor editor;
    QStringList boxes;
    int pie = -1;
};

}  // namespace

TEST_F(SplitEditorTest, AFreshListIsOneCheckedRow) {
    ASSERT_EQ(panel.ListView1->topLevelItemCount(), 1);
    EXPECT_EQ(row(0), (QStringList{"1", "00:00:00", "00:05:00", "00:05:00", "holiday-1.mpg"}));
    EXPECT_EQ(panel.ListView1->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(pie, 1);
}

TEST_F(SplitEditorTest, SetAddsRowsAndThePieFollows) {
    setAt("00:01:30");
    setAt("00:00:40");
    ASSERT_EQ(panel.ListView1->topLevelItemCount(), 3);
    EXPECT_EQ(row(0), (QStringList{"1", "00:00:00", "00:00:40", "00:00:40", "holiday-1.mpg"}));
    EXPECT_EQ(row(1), (QStringList{"2", "00:00:40", "00:01:30", "00:00:50", "holiday-2.mpg"}));
    EXPECT_EQ(row(2), (QStringList{"3", "00:01:30", "00:05:00", "00:03:30", "holiday-3.mpg"}));
    EXPECT_EQ(pie, 3);
}

TEST_F(SplitEditorTest, RemoveNeedsASelectionAndMoreThanOneRow) {
    panel.BitBtnRemove->click();
    EXPECT_EQ(list.PartCount(), 1);
    setAt("00:01:00");
    editor.BitBtnRemoveClick();  // nothing selected
    EXPECT_EQ(list.PartCount(), 2);
    select(1);
    EXPECT_TRUE(panel.BitBtnRemove->isEnabled());
    panel.BitBtnRemove->click();
    EXPECT_EQ(list.PartCount(), 1);
    EXPECT_EQ(pie, 1);
}

TEST_F(SplitEditorTest, TicksReachTheSaveFlags) {
    setAt("00:01:00");
    panel.ListView1->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(list.SelectionSaved[2]);
    EXPECT_FALSE(list.rows()[1].save);
}

TEST_F(SplitEditorTest, TooltipsShowOnlyWhenEnabled) {
    EXPECT_TRUE(panel.ListView1->topLevelItem(0)->toolTip(1).isEmpty());
    panel.CheckTip->setChecked(true);
    EXPECT_EQ(panel.ListView1->topLevelItem(0)->toolTip(1), "No tip");
}

TEST_F(SplitEditorTest, DisablingLeavesThePlayerButtonsAlone) {
    panel.SpeedBtnPlay->click();
    editor.DisableSplitEditor();
    EXPECT_FALSE(panel.ListView1->isEnabled());
    EXPECT_FALSE(panel.SpeedBtnSet->isEnabled());
    EXPECT_FALSE(panel.TBToolbar1->isEnabled());
    // Blocked by its tool bar, not switched off itself.
    EXPECT_FALSE(panel.SpeedBtnPause->testAttribute(Qt::WA_ForceDisabled));
    EXPECT_EQ(player.GetMode(), TMediaPlayer::Mode::Playing);
}

TEST_F(SplitEditorTest, ThePreviewPlaysPausesResumesAndStops) {
    panel.SpeedBtnPlay->click();
    EXPECT_EQ(player.calls, (QStringList{"Open(/clips/holiday.avi)", "TimeFormat", "Rect(0,0,169,133)", "Play"}));
    EXPECT_FALSE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_TRUE(panel.Timer1->isActive());

    player.advanceTo(75500);
    editor.Timer1Timer();
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:01:15");
    EXPECT_EQ(panel.TrackBar1->value(), 25);

    panel.SpeedBtnPause->click();
    EXPECT_EQ(player.GetMode(), TMediaPlayer::Mode::Paused);
    EXPECT_FALSE(panel.Timer1->isActive());
    EXPECT_TRUE(panel.SpeedBtnStop->isEnabled());
    setAt("00:01:15");
    EXPECT_EQ(list.PartCount(), 2);

    player.calls.clear();
    panel.TrackBar1->setValue(50);
    panel.SpeedBtnPlay->click();  // resumes from the track bar
    EXPECT_EQ(player.calls, (QStringList{"Seek(150000)", "Play"}));

    panel.SpeedBtnStop->click();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:00:00");
    EXPECT_EQ(panel.TrackBar1->value(), 0);
    EXPECT_TRUE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_FALSE(panel.SpeedBtnPause->isEnabled());
}

TEST_F(SplitEditorTest, ClickingARowJumpsAPlayingPreviewToItsStart) {
    setAt("00:02:00");
    panel.SpeedBtnPlay->click();
    player.calls.clear();
    select(1);
    EXPECT_EQ(player.calls, (QStringList{"Seek(120000)", "Play"}));
    EXPECT_EQ(panel.lbElapsedTime->text(), "00:02:00");
    EXPECT_EQ(panel.TrackBar1->value(), 40);
}

TEST_F(SplitEditorTest, TheTimerStopsAtTheEndAndNeverReadsAClosedPlayer) {
    panel.SpeedBtnPlay->click();
    player.Stop();  // reached the end by itself
    player.advanceTo(299999);
    editor.Timer1Timer();
    EXPECT_FALSE(panel.Timer1->isActive());
    EXPECT_TRUE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_TRUE(player.IsOpen());  // a stopped player keeps its file

    panel.SpeedBtnPlay->click();
    player.Close();
    editor.Timer1Timer();
    EXPECT_FALSE(panel.Timer1->isActive());
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(SplitEditorTest, APlayerThatCannotOpenSaysWhyAndKeepsTheButtons) {
    editor.SourceFileName = "/clips/broken.avi";
    panel.SpeedBtnPlay->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("broken.avi"));
    EXPECT_TRUE(panel.SpeedBtnPlay->isEnabled());
    EXPECT_FALSE(panel.Timer1->isActive());
}

namespace {
class EditDialogTest : public SplitEditorTest {
protected:
    std::unique_ptr<TEditSelectionForm> open(int r) {
        return std::make_unique<TEditSelectionForm>(nullptr, list, r, "mpg", panel.ListView1->topLevelItem(r - 1));
    }
};
}  // namespace

TEST_F(EditDialogTest, ShowsTheRowAndLocksTheOuterEdges) {
    setAt("00:01:30");
    setAt("01:10:05");
    auto first = open(1);
    EXPECT_EQ(first->GroupBox1->title(), "Edit Selection 1");
    EXPECT_FALSE(first->EdStartHour->isEnabled());
    EXPECT_TRUE(first->EdStopMin->isEnabled());
    EXPECT_EQ(first->EdStopMin->text(), "1");
    EXPECT_EQ(first->EdStopSec->text(), "30");
    EXPECT_EQ(first->EdRename->text(), "holiday-1");
    auto last = open(3);
    EXPECT_TRUE(last->EdStartHour->isEnabled());
    EXPECT_EQ(last->EdStartHour->text(), "0");
    EXPECT_EQ(last->EdStartMin->text(), "5");
    EXPECT_EQ(last->EdStopHour->text(), "1");
    EXPECT_EQ(last->EdStopMin->text(), "10");
    EXPECT_EQ(last->EdStopSec->text(), "5");
    EXPECT_FALSE(last->EdStopSec->isEnabled());
}

TEST_F(EditDialogTest, OkWritesBackAfterTheChecks) {
    setAt("00:01:30");
    setAt("02:00:00");
    auto dialog = open(2);
    dialog->EdStopHour->setText("0");
    dialog->EdStopMin->setText("90");
    dialog->EdStopSec->setText("0");
    dialog->EdRename->setText("clip.avi");
    dialog->EdTip->setText("the good bit");
    dialog->BitBtnOK->click();
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(list.TimePoints[2], 5400);
    EXPECT_EQ(list.SelectionNames[2], "clip.mpg");
    EXPECT_EQ(list.SelectionTips[2], "the good bit");
}

TEST_F(EditDialogTest, RefusalsKeepTheDialogOpenAndChangeNothing) {
    setAt("00:01:30");
    auto dialog = open(2);
    dialog->EdStartMin->setText("abc");
    dialog->BitBtnOK->click();
    dialog->EdStartMin->setText("1");
    dialog->EdRename->clear();
    dialog->BitBtnOK->click();
    EXPECT_EQ(boxes, (QStringList{"Quillmark: 'abc' is not a valid integer value.",
                                  "Information: File name can not be blank!"}));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(list.SelectionNames[2], "holiday-2.mpg");
}

TEST_F(EditDialogTest, UntickingSavesAtOnceEvenOnCancel) {
    auto dialog = open(1);
    EXPECT_EQ(dialog->lbSave->text(), "This selection will be saved.");
    dialog->CheckNoSave->click();
    EXPECT_EQ(dialog->lbSave->text(), "This selection will be ignored");
    dialog->BitBtnCancel->click();
    EXPECT_FALSE(list.SelectionSaved[1]);
    EXPECT_EQ(panel.ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
    auto again = open(1);
    EXPECT_FALSE(again->CheckNoSave->isChecked());
    EXPECT_EQ(again->lbSave->text(), "This selection will be ignored");
}

TEST_F(EditDialogTest, SpinnersStopAtAHundred) {
    setAt("00:01:00");
    auto dialog = open(1);
    dialog->EdStopMin->setText("99");
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    for (int i = 0; i < 3; ++i) QApplication::sendEvent(dialog->EdStopMin, &up);
    EXPECT_EQ(dialog->EdStopMin->text(), "100");
}

TEST_F(SplitEditorTest, ASegmentListExportedAndImportedAgainGivesBackTheListAndABadOneChangesNothing) {
    QTemporaryDir dir;
    const QString csv = dir.filePath("holiday.csv");
    SetSaveDialogHandler([&](const SaveDialogSetup& setup) {
        EXPECT_EQ(setup.proposed, "/clips/holiday.csv");
        return csv;
    });
    SetOpenDialogHandler([&](const OpenDialogSetup&) { return QStringList{csv}; });
    setAt("00:01:30");
    setAt("00:00:40");
    panel.ListView1->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    ASSERT_TRUE(panel.BtnSegments->isEnabled());
    panel.ExportList->trigger();

    panel.BitBtnRemoveAll->click();
    ASSERT_EQ(pie, 1);
    panel.ImportList->trigger();
    EXPECT_EQ(pie, 3);
    EXPECT_EQ(row(1), (QStringList{"2", "00:00:40", "00:01:30", "00:00:50", "holiday-2.mpg"}));
    EXPECT_EQ(panel.ListView1->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(panel.ListView1->topLevelItem(2)->checkState(0), Qt::Checked);

    QFile bad(csv);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("start,end,name,save\n0,400,all,1\n");
    bad.close();
    panel.ImportList->trigger();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("Line 2 of")) << boxes[0].toStdString();
    EXPECT_EQ(panel.ListView1->topLevelItemCount(), 3);
    SetSaveDialogHandler({});
    SetOpenDialogHandler({});
}
