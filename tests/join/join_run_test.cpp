#include "fakes/recording_video_edit.h"
#include "join/join_run.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {
class JoinRunTest : public ::testing::Test {
protected:
    JoinRunTest() : run(engine) {
        QObject::connect(&run, &JoinRun::progressChanged, [this](int p) { percents << p; });
        QObject::connect(&run, &JoinRun::finished, [this] { events << "finished"; });
        QObject::connect(&run, &JoinRun::failed, [this](const QString& m) { events << "failed: " + m; });
    }
    RecordingVideoEdit engine;
    JoinRun run;
    QList<int> percents;
    QStringList events;
};
}  // namespace

TEST_F(JoinRunTest, ProgressRoundsHalvesToEvenAndSkipsUnknownLengths) {
    run.Start("/o/x.avi");
    EXPECT_EQ(engine.calls, QStringList{"StartRender(/o/x.avi)"});
    engine.emitProcessing(1, 8);     // 12.5
    engine.emitProcessing(27, 200);  // 13.5
    engine.emitProcessing(5, 0);
    engine.emitProcessing(12, 10);   // beyond the end
    EXPECT_EQ(percents, (QList<int>{12, 14, 100}));
    engine.emitComplete();
    EXPECT_EQ(events, QStringList{"finished"});
    EXPECT_FALSE(run.running());
    engine.emitComplete();  // not ours any more
    EXPECT_EQ(events.size(), 1);
}

TEST_F(JoinRunTest, AFailureNamesTheFileAndEndsTheRun) {
    run.Start("/o/x.avi");
    engine.emitError("Disk full");
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0], "failed: " + QDir::toNativeSeparators("/o/x.avi") + " was not written. Disk full");
    engine.emitComplete();
    EXPECT_EQ(events.size(), 1);
}

TEST_F(JoinRunTest, StopEndsEverythingAndIsSafeWhenIdle) {
    run.Stop();
    EXPECT_EQ(engine.calls, QStringList{"StopRender"});
    run.Start("/o/x.avi");
    run.Stop();
    engine.emitProcessing(1, 2);
    engine.emitComplete();
    EXPECT_TRUE(percents.isEmpty());
    EXPECT_TRUE(events.isEmpty());
}
