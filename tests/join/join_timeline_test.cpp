#include "engine/quillmark_error.h"
#include "fakes/recording_video_edit.h"
#include "join/join_timeline.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QList<JoinItem> entries(const QStringList& files) {
    QList<JoinItem> out;
    for (const QString& f : files) out.append(JoinItem{f, 0});
    return out;
}

// Only the timeline: what comes after the output type.
QStringList clipCalls(const RecordingVideoEdit& engine) {
    QStringList out;
    for (const QString& c : engine.calls) {
        if (c.startsWith("Add")) out << c;
    }
    return out;
}

class JoinTimelineTest : public ::testing::Test {
protected:
    JoinTimelineTest() {
        options.PictureDuration = 4;
        options.TransitionDuration = 2;
        options.TransitionIndex = 3;
        options.RandomTransition = false;
        setup.selectedFormat = 8;
        setup.formats.ResizeMode = 2;
        setup.transitionCount = 10;
    }
    void build(QList<JoinItem>& items) {
        BuildJoinTimeline(engine, items, options, setup, measure, draw);
    }

    RecordingVideoEdit engine;
    PictureOptions options;
    JoinTimelineSetup setup;
    QStringList measured;
    QMap<QString, double> lengths{{"B.avi", 10.5}, {"V1.avi", 3}, {"V2.mpg", 2.25}};
    DurationMeter measure = [this](const QString& path) {
        measured << path;
        if (!lengths.contains(path)) throw QuillmarkError("Cannot open " + path);
        return lengths.value(path);
    };
    TransitionDraw draw = [](int) -> int { ADD_FAILURE() << "no draw expected"; return 0; };
};

}  // namespace

TEST_F(JoinTimelineTest, TheWorkedExample) {
    options.MusicFile = "M.mp3";
    QList<JoinItem> items = entries({"A.jpg", "B.avi", "C.bmp"});
    build(items);
    EXPECT_EQ(engine.calls.first(), "ClearClips");
    const int typeAt = static_cast<int>(engine.calls.indexOf("OutputType=8"));
    ASSERT_GT(typeAt, 0);
    // The format's parameters come before the output type, the clips after it.
    EXPECT_TRUE(engine.calls.mid(1, typeAt - 1).contains("VideoCompressor=5"));
    EXPECT_TRUE(engine.calls[typeAt + 1].startsWith("Add"));
    EXPECT_EQ(clipCalls(engine), (QStringList{
                                     "AddTransition(3, 0, 2)",
                                     "AddVideoClip(A.jpg, 0, 4, 2)",
                                     "AddAudioClip(M.mp3, 0, 4)",
                                     "AddVideoClip(B.avi, 0, 10.5, 2)",
                                     "AddAudioClip(B.avi, 0, 10.5)",
                                     "AddTransition(3, 14.5, 16.5)",
                                     "AddVideoClip(C.bmp, 0, 4, 2)",
                                     "AddAudioClip(M.mp3, 4, 8)",
                                 }));
    EXPECT_DOUBLE_EQ(items[1].duration, 10.5);  // stored for later runs
    EXPECT_FALSE(engine.calls.join(' ').contains("StartRender"));
}

TEST_F(JoinTimelineTest, TwoPicturesInARowWithFractionalTimes) {
    options.PictureDuration = 3;
    options.TransitionDuration = 1;
    options.MusicFile = "m.wav";
    QList<JoinItem> items = entries({"p1.jpg", "p2.JPEG", "V2.mpg", "p3.bmp"});
    build(items);
    EXPECT_EQ(clipCalls(engine), (QStringList{
                                     "AddTransition(3, 0, 1)", "AddVideoClip(p1.jpg, 0, 3, 2)",
                                     "AddAudioClip(m.wav, 0, 3)", "AddTransition(3, 3, 4)",
                                     "AddVideoClip(p2.JPEG, 0, 3, 2)", "AddAudioClip(m.wav, 3, 6)",
                                     "AddVideoClip(V2.mpg, 0, 2.25, 2)", "AddAudioClip(V2.mpg, 0, 2.25)",
                                     "AddTransition(3, 8.25, 9.25)", "AddVideoClip(p3.bmp, 0, 3, 2)",
                                     "AddAudioClip(m.wav, 6, 9)",
                                 }));
}

TEST_F(JoinTimelineTest, VideosOnlyHaveNoTransitionAndNoMusic) {
    options.MusicFile = "M.mp3";
    QList<JoinItem> items = entries({"V1.avi", "V2.mpg"});
    build(items);
    const QString all = clipCalls(engine).join('\n');
    EXPECT_FALSE(all.contains("AddTransition"));
    EXPECT_FALSE(all.contains("M.mp3"));
    EXPECT_EQ(clipCalls(engine).size(), 4);
}

TEST_F(JoinTimelineTest, KnownDurationsAreNotMeasuredAgain) {
    QList<JoinItem> items = entries({"V1.avi", "V2.mpg", "V1.avi"});
    items[1].duration = 75.4;
    build(items);
    EXPECT_EQ(measured, (QStringList{"V1.avi", "V1.avi"}));  // each entry measures once
    measured.clear();
    engine.calls.clear();
    build(items);
    EXPECT_TRUE(measured.isEmpty());
    EXPECT_TRUE(clipCalls(engine).contains("AddVideoClip(V2.mpg, 0, 75.4, 2)"));
}

TEST_F(JoinTimelineTest, AFailedMeasurementKeepsWhatWasDone) {
    QList<JoinItem> items = entries({"V1.avi", "broken.avi", "V2.mpg"});
    EXPECT_THROW(build(items), QuillmarkError);
    EXPECT_DOUBLE_EQ(items[0].duration, 3);
    EXPECT_EQ(items[1].duration, 0);
    EXPECT_EQ(clipCalls(engine), (QStringList{"AddVideoClip(V1.avi, 0, 3, 2)", "AddAudioClip(V1.avi, 0, 3)"}));
}

TEST_F(JoinTimelineTest, RandomTransitionsNeverDrawTheLastOne) {
    options.RandomTransition = true;
    setup.transitionCount = 12;
    QList<int> asked;
    int next = 0;
    draw = [&](int highest) {
        asked << highest;
        return next++ % (highest + 1);
    };
    QList<JoinItem> items = entries({"a.jpg", "b.jpg", "c.jpg"});
    build(items);
    EXPECT_EQ(asked, (QList<int>{10, 10, 10}));
    EXPECT_EQ(options.TransitionIndex, 2);  // the last draw is kept for the dialog
    EXPECT_TRUE(clipCalls(engine).contains("AddTransition(1, 4, 6)"));

    // The clock-seeded draw stays within the range it is given.
    const TransitionDraw real = ClockSeededDraw();
    QSet<int> seen;
    for (int i = 0; i < 500; ++i) seen.insert(RandomTransitionIndex(12, real));
    for (int v : seen) EXPECT_TRUE(v >= 0 && v <= 10) << v;
    EXPECT_GT(seen.size(), 5);
}

TEST_F(JoinTimelineTest, ShortTransitionListsGiveAUsableIndex) {
    const TransitionDraw never = [](int) -> int { ADD_FAILURE(); return 99; };
    EXPECT_EQ(RandomTransitionIndex(1, never), 0);
    EXPECT_EQ(RandomTransitionIndex(0, never), -1);
    EXPECT_EQ(RandomTransitionIndex(2, [](int highest) { return highest; }), 0);
}

TEST(JoinOutputFile, TheLastExtensionIsReplaced) {
    const QString sep = QDir::separator();
    EXPECT_EQ(JoinOutputFileName("/out", "my.video.mpg", "avi"), "/out" + sep + "my.video.avi");
    EXPECT_EQ(JoinOutputFileName("/out/", "Untitled", "mpg"), "/out/Untitled.mpg");
    EXPECT_EQ(JoinOutputFileName("/out/", "name.", "wmv"), "/out/name.wmv");
}
