// The split-point editor's Detect button on real files.
#include "../engine/ffmpeg/detection_media.h"
#include "engine/duration_probe.h"
#include "engine/ffmpeg/render_workers.h"
#include "split/detect_dialog.h"
#include "split/split_list.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"
#include "support/wait_until.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class SplitDetect : public ::testing::Test {
protected:
    SplitDetect() : editor(panel, list, &window) {
        QObject::connect(&editor, &SplitPointEditor::partCountChanged, [this](int n) { pie = n; });
    }
    void open(const QString& file) {
        editor.SourceFileName = file;
        editor.SourceDuration = MeasureDuration(file);
        editor.OutputExt = "avi";
        editor.EnableSplitEditor();
        editor.ResetSplitList();
    }

    QWidget window;
    SplitPointPanel panel;
    SplitList list;
    SplitPointEditor editor;
    int pie = -1;
};

TEST_F(SplitDetect, FoundSceneChangesBecomeRowsLikeSetPoints) {
    open(detectionmedia::Cuts());
    ASSERT_TRUE(panel.BtnDetect->isEnabled());
    panel.DetectScenes->trigger();
    DetectDialog* dialog = editor.detectDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->BtnStart->click();
    ASSERT_TRUE(waitUntil([&] { return !dialog->running(); }, 60000));
    EXPECT_EQ(dialog->Status->text().toStdString(), "Found 3 scene changes.");

    ASSERT_EQ(panel.ListView1->topLevelItemCount(), 4);
    EXPECT_EQ(pie, 4);
    const double expected[] = {0, 2.0, 4.4, 7.12};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(list.TimePoints[i], expected[i], 0.04) << i;
    // Fractions are kept, as the source's frames lie.
    EXPECT_NE(list.TimePoints[3], std::round(list.TimePoints[3]));
    // Each row is named, ticked and tipped as Set makes it, so Split can write them.
    const QString base = QFileInfo(detectionmedia::Cuts()).completeBaseName();
    const QList<SplitRow> rows = list.rows();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].fileName, QString("%1-%2.avi").arg(base).arg(i + 1)) << i;
        EXPECT_TRUE(rows[i].save) << i;
        EXPECT_EQ(list.SelectionTips[i + 1], "No tip") << i;
    }
}

TEST_F(SplitDetect, StopAndLeavingTheStepReturnAtOnceAndAddNothing) {
    // Black for a second in every ten: a search let run would add points.
    const QString longer = testmedia::Make("detect long black.avi",
                                           {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=300", "-vf",
                                            "drawbox=t=fill:c=black:enable='between(mod(t,10),5,5.99)'", "-c:v",
                                            "mpeg4", "-q:v", "8"});
    open(longer);
    for (bool leave : {false, true}) {
        panel.DetectBlack->trigger();
        QPointer<DetectDialog> dialog = editor.detectDialog();
        ASSERT_TRUE(dialog);
        dialog->BtnStart->click();
        waitUntil([&] { return dialog->Progress->value() > 0; }, 10000);
        ASSERT_TRUE(dialog->running()) << "finished before it could be stopped";
        QElapsedTimer clock;
        clock.start();
        if (leave)
            editor.DisableSplitEditor();
        else
            dialog->BtnStop->click();
        EXPECT_LT(clock.elapsed(), 200);
        // Until the worker has gone, and then whatever it queued on its way out.
        EXPECT_TRUE(waitUntil([] { return LiveRenderWorkers() == 0; }, 30000));
        waitUntil([] { return false; }, 100);
        if (!leave) {
            EXPECT_FALSE(dialog->running());
            EXPECT_EQ(dialog->Status->text().toStdString(), "Stopped; no points were added.");
            dialog->reject();
        }
        EXPECT_EQ(panel.ListView1->topLevelItemCount(), 1);
        EXPECT_EQ(list.PartCount(), 1);
        editor.EnableSplitEditor();
    }
}

} // namespace
