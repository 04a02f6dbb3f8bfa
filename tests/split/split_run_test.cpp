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
                                        "AddVideoClip(/clips/holiday.avi, 0, 30, 2)", "OutputType=4",
                                        "OutputAudio=true", "SmartRender=true", "StartRender(/out/holiday-1.mpg)"}));
    engine.emitComplete();
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 30, 60, 2)",
                                        "AddAudioClip(/clips/holiday.avi, 30, 60)", "StartRender(/out/holiday-2.mpg)"}));
    EXPECT_EQ(gauges[1], 10);
    engine.emitComplete();
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 60, 90, 2)",
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
    s.formats.ResizeMode = 3;
    run.StartSplitByTime(s, 60);
    EXPECT_EQ(run.PartCount(), 3);
    EXPECT_EQ(run.gauge2Maximum(), 30);
    engine.emitComplete();
    engine.emitComplete();
    const QStringList calls = takeCalls();
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 0, 60, 3)"));
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 60, 120, 3)"));
    EXPECT_TRUE(calls.contains("AddVideoClip(/clips/holiday.avi, 120, 180, 3)"));
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
                                        "AddVideoClip(/clips/holiday.avi, 10, 25, 2)", "OutputType=4",
                                        "OutputAudio=true", "SmartRender=true", "StartRender(/out/two.mpg)"}));
    engine.emitComplete();
    EXPECT_EQ(gauges[1], 30);
    EXPECT_EQ(takeCalls(), (QStringList{"ClearClips", "OutputType=4", "AddVideoClip(/clips/holiday.avi, 40, 90, 2)",
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

TEST_F(SplitRunTest, EveryPartsNoteIsPassedOnEvenWhenItReadsAsTheLastOne) {
    QStringList notes;
    QObject::connect(&run, &SplitRun::noteChanged, [&](const QString& note) { notes << note; });
    run.StartSplitByAmount(setup(), 2);
    const QString note = "Re-encoding \"holiday.avi\": copying compatible video is turned off";
    emit engine.OnRenderNote(note);
    engine.emitComplete();
    emit engine.OnRenderNote(note);
    engine.emitComplete();
    EXPECT_EQ(notes, (QStringList{note, note, ""}));
    EXPECT_TRUE(run.note().isEmpty());
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

// The split by size on the recording engine: the test writes each part at the size
// an encoder might have made it, so the run's measuring is what is tested.
class SizeSplitRunTest : public SplitRunTest {
protected:
    void writePart(qint64 bytes) {
        QFile f(run.currentFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.resize(bytes);
    }
    // Start and stop of the last video clip put on the engine.
    std::pair<double, double> lastSpan() const {
        const QString clip = engine.calls.filter("AddVideoClip").last();
        const QStringList args = clip.mid(clip.indexOf('(') + 1).chopped(1).split(", ");
        return {args[1].toDouble(), args[2].toDouble()};
    }
    QTemporaryDir dir;
};

TEST_F(SizeSplitRunTest, RedoesAPartOverTheBoundShorterAndStartsTheNextWhereTheKeptOneEnds) {
    SplitSetup s = setup(dir.filePath("clip.avi"), 20);
    s.outputPath = dir.path() + "/";
    s.selectedFormat = 9;  // WMV: an encoder with rate control, so a cap
    QList<qint64> written;
    QObject::connect(&run, &SplitRun::partWritten, [&](int, const QString&, qint64 b) { written << b; });

    run.StartSplitBySize(s, 1000000);
    EXPECT_GT(engine.MaxVideoBitrate(), 0);
    EXPECT_EQ(engine.calls.filter("StartRender").last(), "StartRender(" + dir.filePath("clip-1.mpg") + ")");
    const auto [start1, stop1] = lastSpan();
    EXPECT_EQ(start1, 0);
    const int estimated = run.PartCount();
    EXPECT_GE(estimated, 2);

    writePart(1100000);
    engine.emitComplete();
    EXPECT_EQ(run.CurrentPart(), 1);
    EXPECT_EQ(run.ReRenders(), 1);
    EXPECT_EQ(engine.calls.filter("StartRender").last(), "StartRender(" + dir.filePath("clip-1.mpg") + ")");
    const auto [redoStart, redoStop] = lastSpan();
    EXPECT_EQ(redoStart, 0);
    EXPECT_LT(redoStop, stop1);
    EXPECT_TRUE(written.isEmpty());

    writePart(950000);
    engine.emitComplete();
    EXPECT_EQ(written, QList<qint64>{950000});
    EXPECT_EQ(run.CurrentPart(), 2);
    EXPECT_EQ(lastSpan().first, redoStop);  // no frame lost or doubled between parts
    EXPECT_EQ(events.mid(0, 3), (QStringList{"part 1", "part 1", "part 2"}));
    // Shorter parts than first thought: more of them.
    EXPECT_GE(run.PartCount(), estimated);
    EXPECT_EQ(gauges.value(2), 10 * run.PartCount());

    // Stop in the middle of a render for a redo: nothing more, and no cap left behind.
    writePart(2000000);
    engine.emitComplete();
    run.Stop();
    EXPECT_EQ(engine.calls.last(), "MaxVideoBitrate=0");
    EXPECT_TRUE(engine.calls.contains("StopRender"));
    EXPECT_FALSE(run.running());
    engine.emitComplete();
    EXPECT_EQ(written.size(), 1);
}

TEST_F(SizeSplitRunTest, EndsOnTheSourcesEndWithTheLastPartAsSmallAsItComes) {
    SplitSetup s = setup(dir.filePath("clip.avi"), 10.02);
    s.outputPath = dir.path() + "/";
    s.selectedFormat = 0;
    run.StartSplitBySize(s, 1000000);
    for (int i = 0; i < 10 && run.running(); ++i) {
        writePart(lastSpan().second < 10.02 ? 980000 : 100000);
        engine.emitComplete();
    }
    EXPECT_EQ(events.last(), "finished");
    EXPECT_EQ(lastSpan().second, 10.02);
    EXPECT_EQ(run.ReRenders(), 0);
    EXPECT_EQ(run.PartCount(), run.CurrentPart());
    EXPECT_EQ(gauges, (QList<int>{100, 10 * run.PartCount(), 10 * run.PartCount()}));
}

TEST_F(SizeSplitRunTest, ABoundBelowOneSecondOfTheFormatWritesNothing) {
    run.StartSplitBySize(setup(dir.filePath("clip.avi"), 20), 100 * 1024);  // DVD PAL
    EXPECT_FALSE(engine.calls.join('\n').contains("StartRender"));
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events[0].startsWith("failed: A part of at most 100 KB cannot hold one second of DVD PAL, which needs about"))
        << events[0].toStdString();
}

TEST(SplitRunFiles, ThePlannedFilesAreTheTickedRowsOrTheNumberedParts) {
    SplitSetup setup;
    setup.source = "/v/clip.avi";
    setup.outputPath = "/out/";
    setup.outputExt = "mpg";
    EXPECT_EQ(PlannedPartFiles(setup, ByAmount, 2, {}), (QStringList{"/out/clip-1.mpg", "/out/clip-2.mpg"}));
    const QList<SplitRow> rows{{0, 1, "a.mpg", true}, {1, 2, "b.mpg", false}, {2, 3, "c.mpg", true}};
    EXPECT_EQ(PlannedPartFiles(setup, BySettings, 3, rows), (QStringList{"/out/a.mpg", "/out/c.mpg"}));
}
