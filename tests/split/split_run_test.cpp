#include "fakes/recording_video_edit.h"
#include "split/split_run.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A run on the recording engine, with every signal it raises written down.
class SplitRunTest : public ::testing::Test {
protected:
    SplitRunTest() : run(engine) {
        QObject::connect(&run, &SplitRun::partStarted, [this](int n) { events << QString("part %1").arg(n); });
        QObject::connect(&run, &SplitRun::finished, [this] { events << "finished"; });
        QObject::connect(&run, &SplitRun::failed, [this](const QString& m) { events << "failed: " + m; });
        QObject::connect(&run, &SplitRun::progressChanged,
                         [this](int g1, int g2, int max) { gauges = {g1, g2, max}; });
    }
    SplitSetup setup(const QString& source = "/clips/holiday.avi", double duration = 90) {
        SplitSetup s;
        s.source = source;
        s.sourceDuration = duration;
        s.outputPath = "/out/";
        s.outputExt = "mpg";
        s.selectedFormat = 4;
        return s;
    }
    QStringList takeCalls() {
        QStringList c = engine.calls;
        engine.calls.clear();
        return c;
    }

    RecordingVideoEdit engine;
    SplitRun run;
    QStringList events;
    QList<int> gauges;
};

}  // namespace

TEST_F(SplitRunTest, ByAmountWritesEqualPartsInTheEngineOrder) {
    run.StartSplitByAmount(setup(), 3);
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "AddAudioClip(/clips/holiday.avi, 0, 30)",
                                        "AddVideoClip(/clips/holiday.avi, 0, 30, 0)", "OutputType=4",
                                        "OutputAudio=true", "StartRender(/out/holiday-1.mpg)"}));
    engine.emitComplete();
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 30, 60, 0)",
                                        "AddAudioClip(/clips/holiday.avi, 30, 60)", "StartRender(/out/holiday-2.mpg)"}));
    EXPECT_EQ(gauges[1], 10);
    engine.emitComplete();
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 60, 90, 0)",
                                        "AddAudioClip(/clips/holiday.avi, 60, 90)", "StartRender(/out/holiday-3.mpg)"}));
    EXPECT_EQ(events, (QStringList{"part 1", "part 2", "part 3"}));
    engine.emitComplete();
    EXPECT_TRUE(takeCalls().isEmpty());
    EXPECT_EQ(events.last(), "finished");
    EXPECT_EQ(gauges, (QList<int>{100, 30, 30}));
    EXPECT_FALSE(run.running());
}

TEST_F(SplitRunTest, ByTimeComputesTheCountAndLetsTheLastPartRunPastTheEnd) {
    SplitSetup s = setup("/clips/holiday.avi", 125);
    s.formats.ResizeMode = 2;
    run.StartSplitByTime(s, 60);
    EXPECT_EQ(run.PartCount(), 3);
    EXPECT_EQ(run.gauge2Maximum(), 30);
    engine.emitComplete();
    engine.emitComplete();
    const QStringList calls = takeCalls();
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 0, 60, 2)"));
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 60, 120, 2)"));
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 120, 180, 2)"));
    EXPECT_TRUE(calls.contains("StartRender(/out/holiday-3.mpg)"));
}

TEST_F(SplitRunTest, NothingStartsWithoutParts) {
    run.StartSplitByAmount(setup(), 0);
    run.StartSplitByTime(setup(), 0);
    EXPECT_TRUE(takeCalls().isEmpty());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(SplitRunTest, BySettingsSkipsUntickedRowsAndCountsThemAsDone) {
    const QList<SplitRow> rows{{0, 10, "one.mpg", false}, {10, 25, "two.mpg", true},
                               {25, 40, "three.mpg", false}, {40, 90, "four.mpg", true}};
    run.StartSplitBySettings(setup(), rows);
    EXPECT_EQ(gauges[1], 10);
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "AddAudioClip(/clips/holiday.avi, 10, 25)",
                                        "AddVideoClip(/clips/holiday.avi, 10, 25, 0)", "OutputType=4",
                                        "OutputAudio=true", "StartRender(/out/two.mpg)"}));
    engine.emitComplete();
    EXPECT_EQ(gauges[1], 30);
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 40, 90, 0)",
                                        "AddAudioClip(/clips/holiday.avi, 40, 90)", "StartRender(/out/four.mpg)"}));
    engine.emitComplete();
    EXPECT_EQ(events, (QStringList{"part 2", "part 4", "finished"}));
}

TEST_F(SplitRunTest, BySettingsWithNoTickedRowFinishesAtOnce) {
    run.StartSplitBySettings(setup(), {{0, 45, "a.mpg", false}, {45, 90, "b.mpg", false}});
    EXPECT_EQ(takeCalls(), QStringList{"ClearClips"});
    EXPECT_EQ(events, QStringList{"finished"});
    EXPECT_EQ(gauges, (QList<int>{100, 20, 20}));
}

TEST_F(SplitRunTest, BySettingsEndsWithoutRenderingTrailingUntickedRows) {
    run.StartSplitBySettings(setup(), {{0, 30, "a.mpg", true}, {30, 60, "b.mpg", false}, {60, 90, "c.mpg", false}});
    takeCalls();
    engine.emitComplete();
    EXPECT_TRUE(takeCalls().isEmpty());
    EXPECT_EQ(events, (QStringList{"part 1", "finished"}));
    EXPECT_EQ(gauges[1], 30);
}

TEST_F(SplitRunTest, ASourceWithoutExtensionKeepsItsWholeName) {
    run.StartSplitByAmount(setup("/clips/clip", 10), 2);
    EXPECT_TRUE(takeCalls().contains("StartRender(/out/clip-1.mpg)"));
}

TEST_F(SplitRunTest, ProgressFillsBothGauges) {
    run.StartSplitByAmount(setup(), 4);
    engine.emitComplete();
    engine.emitProcessing(45, 60);
    EXPECT_EQ(gauges, (QList<int>{75, 17, 40}));
    engine.emitProcessing(0.625, 1);  // 62.5 rounds to the even 62
    EXPECT_EQ(gauges[0], 62);
    engine.emitProcessing(5, 0);  // an unknown length shows no progress
    EXPECT_EQ(gauges[0], 0);
    engine.emitProcessing(90, 60);  // a gauge keeps within its range
    EXPECT_EQ(gauges[0], 100);
}

TEST_F(SplitRunTest, StopEndsTheChainAndIgnoresLateEvents) {
    run.StartSplitByAmount(setup(), 3);
    takeCalls();
    run.Stop();
    EXPECT_EQ(takeCalls(), QStringList{"StopRender"});
    engine.emitComplete();
    engine.emitProcessing(1, 2);
    EXPECT_TRUE(takeCalls().isEmpty());
    EXPECT_EQ(events, QStringList{"part 1"});
}

TEST_F(SplitRunTest, AnEngineErrorEndsTheRunNamingThePart) {
    run.StartSplitByAmount(setup(), 3);
    engine.emitComplete();
    engine.emitError("Cannot write /out/holiday-2.mpg: No space left on device");
    EXPECT_FALSE(run.running());
    ASSERT_EQ(events.size(), 3);
    EXPECT_TRUE(events[2].startsWith("failed: Part 2 (/out/holiday-2.mpg)"));
    EXPECT_TRUE(events[2].endsWith("No space left on device"));
    engine.emitComplete();
    EXPECT_EQ(events.size(), 3);
}

// Parts are checked against the source before the first one is written: a part
// that is the source under any name, or a name that is only an extension, ends the
// run with no render at all.
TEST_F(SplitRunTest, APartThatWouldOverwriteTheSourceStopsTheRunBeforeAnyRender) {
    QTemporaryDir dir;
    const QString source = dir.filePath("clip.avi");
    QFile(source).open(QIODevice::WriteOnly);
    const QByteArray from = QFile::encodeName(source);
    ASSERT_EQ(::symlink(from, QFile::encodeName(dir.filePath("clip-2.avi"))), 0);
    ASSERT_EQ(::link(from, QFile::encodeName(dir.filePath("hard.avi"))), 0);
    SplitSetup s = setup(source, 90);
    s.outputPath = dir.path() + "/";
    s.outputExt = "avi";

    run.StartSplitByAmount(s, 3);  // part 2 is a link to the source
    run.StartSplitByTime(s, 30);
    run.StartSplitBySettings(s, {{0, 30, "first.avi", true}, {30, 60, "hard.avi", true}});
    run.StartSplitBySettings(s, {{0, 30, "first.avi", true}, {30, 60, "clip.avi", true}});
    run.StartSplitBySettings(s, {{0, 30, "first.avi", true}, {30, 60, ".avi", true}});
    EXPECT_FALSE(engine.calls.join('\n').contains("StartRender")) << engine.calls.join('\n').toStdString();
    EXPECT_FALSE(run.running());
    const QString part2 = "failed: Part 2 (" + dir.filePath("%1") + ") would overwrite the source file; nothing was written.";
    EXPECT_EQ(events, (QStringList{part2.arg("clip-2.avi"), part2.arg("clip-2.avi"), part2.arg("hard.avi"),
                                   part2.arg("clip.avi"),
                                   "failed: Part 2 has no file name (" + dir.filePath(".avi") + "); nothing was written."}));

    // An unticked row is never written, so it may name anything.
    events.clear();
    run.StartSplitBySettings(s, {{0, 30, "first.avi", true}, {30, 60, "clip.avi", false}});
    EXPECT_EQ(engine.calls.last(), "StartRender(" + dir.filePath("first.avi") + ")");
    EXPECT_EQ(events, QStringList{"part 1"});
}
