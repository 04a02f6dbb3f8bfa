// The join run from the page: checks, locking, the timeline, progress, the end.
#include "join_test_fixture.h"

#include "common/messages.h"
#include "common/note_label.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>

namespace {
class JoinRunPage : public JoinFixture {
protected:
    JoinRunPage() {
        pictures.PictureDuration = 4;
        pictures.TransitionDuration = 2;
        pictures.RandomTransition = false;
        pictures.TransitionIndex = 1;
        pictures.MusicFile = "/m/M.mp3";
        player.lengths["/v/B.avi"] = 10500;
        output.Select(8);
    }
    bool locked() const {
        return !page.ToolBar1->isEnabled() && !page.TBToolbar2->isEnabled() && !page.cbFormat2->isEnabled() &&
               !page.BitBtnJoin->isEnabled() && page.BitBtnStopJoin->isEnabled() &&
               !page.BitBtnExitJoin->isEnabled() && !page.SpeedBtnSavePath2->isEnabled() &&
               !page.SpeedBtnSet2->isEnabled();
    }
    bool unlocked() const {
        return page.ToolBar1->isEnabled() && page.TBToolbar2->isEnabled() && page.cbFormat2->isEnabled() &&
               page.BitBtnJoin->isEnabled() && !page.BitBtnStopJoin->isEnabled() &&
               page.BitBtnExitJoin->isEnabled() && page.SpeedBtnSavePath2->isEnabled() &&
               page.SpeedBtnSet2->isEnabled();
    }
    QStringList timeline() const {
        QStringList out;
        for (const QString& c : engine.calls) {
            if (c.startsWith("Add") || c.startsWith("StartRender") || c == "ClearClips") out << c;
        }
        return out;
    }
};
}  // namespace

TEST_F(JoinRunPage, TheThreeChecksComeFirstAndChangeNothing) {
    page.BitBtnJoin->click();
    add({"/v/B.avi"});
    page.EdSaveFileName->clear();
    page.BitBtnJoin->click();
    page.EdSaveFileName->setText("x");
    page.EdSavePath2->clear();
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, (QStringList{"Information: Please add files to join.", "Information: Please input file name.",
                                  "Information: Please select save path."}));
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(unlocked());
}

TEST_F(JoinRunPage, AJoinBuildsTheTimelineMeasuresOnceAndReportsCompletion) {
    const QString a = picture("A.jpg"), c = picture("C.bmp");
    add({a, "/v/B.avi", c});
    page.EdSaveFileName->setText("my.video.mpg");
    page.BitBtnJoin->click();
    ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    const QString out = dir.path("out") + "/my.video.avi";
    EXPECT_TRUE(QFileInfo(dir.path("out")).isDir());  // made on the way
    EXPECT_EQ(timeline(), (QStringList{"ClearClips", "AddTransition(1, 0, 2)", "AddVideoClip(" + a + ", 0, 4, 2)",
                                       "AddAudioClip(/m/M.mp3, 0, 4)", "AddVideoClip(/v/B.avi, 0, 10.5, 2)",
                                       "AddAudioClip(/v/B.avi, 0, 10.5)", "AddTransition(1, 14.5, 16.5)",
                                       "AddVideoClip(" + c + ", 0, 4, 2)", "AddAudioClip(/m/M.mp3, 4, 8)",
                                       "StartRender(" + out + ")"}));
    EXPECT_EQ(player.calls, (QStringList{"Open(/v/B.avi)", "TimeFormat", "Close"}));
    EXPECT_EQ(joinOutputPath, dir.path("out") + "/");
    EXPECT_TRUE(locked());
    EXPECT_TRUE(page.EdSaveFileName->isEnabled() && page.ListView2->isEnabled());

    engine.emitProcessing(1, 8);
    EXPECT_EQ(page.Gauge3->value(), 12);
    engine.emitProcessing(3, 0);  // no length, no change
    EXPECT_EQ(page.Gauge3->value(), 12);
    engine.emitComplete();
    EXPECT_EQ(page.Gauge3->value(), 100);
    EXPECT_EQ(boxes, QStringList{"Information: Task Complete!"});
    EXPECT_TRUE(unlocked());

    // The second join reuses the measured length.
    player.calls.clear();
    page.BitBtnJoin->click();
    EXPECT_EQ(player.calls, QStringList{"Close"});
}

TEST_F(JoinRunPage, ARenderFailureIsReportedNeverAsComplete) {
    add({"/v/B.avi"});
    page.BitBtnJoin->click();
    engine.emitProcessing(1, 2);
    engine.emitError("Cannot write: disk full");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Quillmark: ")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains("Untitled.avi was not written. Cannot write: disk full"));
    EXPECT_TRUE(unlocked());
    engine.emitComplete();
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(JoinRunPage, AFolderThatCannotBeMadeLeavesThePageUsableAtOnce) {
    dir.write("file", "x");
    add({"/v/B.avi"});
    page.EdSavePath2->setText(dir.path("file") + "/sub");
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: Cannot create " + dir.path("file") + "/sub: \"" + dir.path("file") +
                                 "\" is a file, not a folder."});
    EXPECT_FALSE(timeline().contains("ClearClips"));
    EXPECT_TRUE(unlocked());
}

TEST_F(JoinRunPage, AVideoThatCannotBeMeasuredStopsTheJoin) {
    add({"/v/B.avi", "/v/broken.avi"});
    page.BitBtnJoin->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("broken.avi")) << boxes[0].toStdString();
    EXPECT_FALSE(engine.calls.join('\n').contains("StartRender"));
    EXPECT_DOUBLE_EQ(controller.joinItems.at(1).duration, 10.5);
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(player.calls.isEmpty() || player.calls.last().startsWith("Open")) << "the player was left open";
}

TEST_F(JoinRunPage, StopEndsTheRenderAndKeepsTheGauge) {
    add({"/v/B.avi"});
    page.BitBtnJoin->click();
    EXPECT_TRUE(page.lbNote3->text().isEmpty());
    engine.emitProcessing(1, 4);
    const QString note = "Copying \"B.avi\" from 0.000 to 10.500 s; re-encoding 0 frames around the cuts";
    emit engine.OnRenderNote(note);
    EXPECT_EQ(page.lbNote3->text(), note);
    page.BitBtnStopJoin->click();
    EXPECT_EQ(engine.calls.last(), "StopRender");
    EXPECT_EQ(page.Gauge3->value(), 25);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(page.lbNote3->text().isEmpty());
    emit engine.OnRenderNote(note);  // queued before the stop
    engine.emitComplete();
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_TRUE(page.lbNote3->text().isEmpty());

    // A finished join clears its note too.
    page.BitBtnJoin->click();
    emit engine.OnRenderNote(note);
    EXPECT_EQ(page.lbNote3->text(), note);
    engine.emitComplete();
    EXPECT_TRUE(page.lbNote3->text().isEmpty());
    boxes.clear();

    page.BitBtnExitJoin->click();
    EXPECT_EQ(page.Gauge3->value(), 0);
    EXPECT_EQ(exits, 1);
}

TEST_F(JoinRunPage, StartJoiningInTheMenuOnlyWorksWhenJoinCould) {
    add({"/v/B.avi"});
    select(0);
    page.MenuStartJoining->trigger();
    EXPECT_TRUE(locked());
    const qsizetype calls = engine.calls.size();
    page.MenuStartJoining->trigger();  // a second join while one runs
    EXPECT_EQ(engine.calls.size(), calls);
}

TEST_F(JoinRunPage, RandomPicturesDrawFromAllButTheLastTransition) {
    pictures.RandomTransition = true;
    transitions.transitions.clear();
    for (int i = 0; i < 12; ++i) transitions.transitions << QString("T%1").arg(i);
    QList<int> highest;
    controller.makeTransitionDraw = [&highest] {
        return TransitionDraw([&highest](int h) {
            highest << h;
            return h;
        });
    };
    add({picture("a.jpg"), picture("b.jpg")});
    page.BitBtnJoin->click();
    EXPECT_EQ(highest, (QList<int>{10, 10}));
    EXPECT_EQ(pictures.TransitionIndex, 10);
}

TEST_F(JoinRunPage, LengthsComeFromThePicturesNotTheLongestStream) {
    // B's sound runs half a second past its last frame: the player says 10.5 s,
    // the pictures last 10 s, and the next picture's transition must start there.
    controller.preview.measure = [](const QString& file) { return file == "/v/B.avi" ? 10.0 : -1.0; };
    const QString a = picture("A.jpg");
    add({"/v/B.avi", a});
    page.EdSaveFileName->setText("out");
    page.BitBtnJoin->click();
    ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    EXPECT_TRUE(timeline().contains("AddVideoClip(/v/B.avi, 0, 10, 2)"));
    EXPECT_TRUE(timeline().contains("AddTransition(1, 10, 12)"));
}

TEST_F(JoinRunPage, ANameThatIsOnlyAnExtensionIsRefused) {
    add({"/v/B.avi"});
    page.EdSaveFileName->setText(".avi");
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, QStringList{"Information: Please input file name."});
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(unlocked());
}

TEST_F(JoinRunPage, BlankNamesAndPathsCountAsEmptyAndARelativePathIsRefused) {
    add({"/v/B.avi"});
    page.EdSaveFileName->setText("   ");
    page.BitBtnJoin->click();
    page.EdSaveFileName->setText("x");
    page.EdSavePath2->setText(" \t ");
    page.BitBtnJoin->click();
    page.EdSavePath2->setText("out/joined");
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, (QStringList{"Information: Please input file name.", "Information: Please select save path.",
                                  "Quillmark: A full path is needed for the output folder, not \"out/joined\""}))
        << boxes.join('\n').toStdString();
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(QFileInfo::exists("out/joined"));
}

TEST_F(JoinRunPage, APictureShorterThanOneFrameIsRefusedBeforeAnythingHappens) {
    const QString a = picture("A.png");
    add({a, "/v/B.avi"});
    output.Select(4);  // 25 frames a second
    pictures.PictureDuration = 0.03;
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: The picture duration 0.03 seconds is shorter than one frame of the "
                                 "output, 0.04 seconds."});
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(unlocked());

    // Without pictures the picture duration does not matter; a PNG is a picture.
    boxes.clear();
    pictures.PictureDuration = 1;
    page.BitBtnJoin->click();
    ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    EXPECT_EQ(timeline().mid(1, 2), (QStringList{"AddTransition(1, 0, 2)", "AddVideoClip(" + a + ", 0, 1, 2)"}));
}

TEST_F(JoinRunPage, WhileARunWritesTheListItsMenuIsLockedAndAfterItFollowsTheSelection) {
    player.lengths["/v/C.avi"] = 2000;
    add({"/v/B.avi", "/v/C.avi"});
    select(0);
    const QList<QAction*> editing{page.MenuAddFiles, page.MenuRemove, page.MenuRemoveAll, page.MenuMoveUp,
                                  page.MenuMoveDown, page.MenuStartJoining};
    for (QAction* a : editing) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    page.BitBtnJoin->click();
    select(1);  // a new selection during the run unlocks nothing
    for (QAction* a : editing) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    page.MenuRemoveAll->trigger();
    EXPECT_EQ(controller.joinItems.count(), 2);
    page.BitBtnStopJoin->click();
    for (QAction* a : editing) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
}

TEST_F(JoinRunPage, TheBarAndTheLineUnderItSayHowLongItTakesAndHowTheRunEnded) {
    add({"/v/B.avi"});
    page.BitBtnJoin->click();
    EXPECT_TRUE(page.lbTimes3->text().startsWith("Elapsed 0:0")) << page.lbTimes3->text().toStdString();
    engine.emitProcessing(5, 10);
    EXPECT_TRUE(page.lbTimes3->text().contains(" left")) << page.lbTimes3->text().toStdString();
    page.BitBtnStopJoin->click();
    EXPECT_EQ(page.Gauge3->value(), 50);
    EXPECT_EQ(page.Gauge3->text(), "Stopped at 50%");
    EXPECT_TRUE(page.lbTimes3->text().startsWith("Stopped after ")) << page.lbTimes3->text().toStdString();
    EXPECT_TRUE(page.lbTimes3->text().endsWith("Untitled.avi was not written")) << page.lbTimes3->text().toStdString();

    page.BitBtnJoin->click();
    EXPECT_EQ(page.Gauge3->text(), "0%");
    engine.emitError("Cannot write: disk full");
    EXPECT_TRUE(page.Gauge3->text().startsWith("Failed at")) << page.Gauge3->text().toStdString();
    page.BitBtnJoin->click();
    engine.emitComplete();
    EXPECT_TRUE(page.lbTimes3->text().startsWith("Done in ")) << page.lbTimes3->text().toStdString();
}

TEST_F(JoinRunPage, AnExistingOutputIsReplacedOnlyWhenTheUserSaysSo) {
    add({"/v/B.avi"});
    QDir().mkpath(dir.path("out"));
    dir.write("out/Untitled.avi", "an earlier join");
    QStringList asked;
    bool replace = false;
    Messages::setAnswerHandler([&](const QString& text) {
        asked << text;
        return replace;
    });
    page.BitBtnJoin->click();
    const QString question = "1 file already exists in " + dir.path("out") + "/. Replace it?";
    EXPECT_EQ(asked, QStringList{question});
    EXPECT_FALSE(engine.calls.join('\n').contains("StartRender"));
    EXPECT_TRUE(unlocked());
    replace = true;
    page.BitBtnJoin->click();
    EXPECT_TRUE(engine.calls.join('\n').contains("StartRender(" + dir.path("out") + "/Untitled.avi)"));
    Messages::setAnswerHandler({});
}

// The joined file takes the container of the list's first video, so it is named
// after that video, never after a picture in front of it; without a video there
// is nothing to take it from and nothing starts.
TEST_F(JoinRunPage, SameAsSourceNamesTheFileAfterTheFirstVideoAndRefusesAListWithout) {
    output.Select(11);
    const QString photo = picture("photo.jpg");
    add({photo});
    page.BitBtnJoin->click();
    EXPECT_EQ(boxes, QStringList{"Quillmark: Same as source takes its format from the first video in the list, and "
                                 "the list holds none."});
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(player.calls.isEmpty());
    EXPECT_TRUE(unlocked());

    boxes.clear();
    player.lengths["/v/phone.MP4"] = 2000;
    add({"/v/phone.MP4", "/v/B.avi"});
    page.EdSaveFileName->setText("trip.avi");
    page.BitBtnJoin->click();
    ASSERT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    EXPECT_TRUE(engine.calls.contains("StartRender(" + dir.path("out") + "/trip.mp4)")) << engine.calls.join('\n').toStdString();
}
