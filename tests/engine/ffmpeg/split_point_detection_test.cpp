#include "detection_media.h"
#include "engine/quillmark_error.h"
#include "engine/split_point_detection.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

constexpr double kFrame = 0.04; // one frame at 25 fps

QList<double> Detect(const QString& file, DetectionKind kind) {
    std::atomic<bool> stop{false};
    return DetectSplitPoints(file, DefaultDetection(kind), stop);
}

void ExpectNear(const QList<double>& found, const QList<double>& expected) {
    ASSERT_EQ(found.size(), expected.size()) << "found " << QStringList([&] {
        QStringList s;
        for (double t : found) s << QString::number(t, 'f', 3);
        return s;
    }()).join(' ').toStdString();
    for (int i = 0; i < found.size(); ++i)
        EXPECT_NEAR(found[i], expected[i], kFrame) << "point " << i;
}

TEST(SplitPointDetection, SceneChangesAtEachCutAndNowhereElse) {
    ExpectNear(Detect(detectionmedia::Cuts(), DetectionKind::Scenes), {2.0, 4.4, 7.12});
    // The fractal keeps moving after the last cut, and the noise never rests:
    // neither is a new scene at the default sensitivity.
    EXPECT_TRUE(Detect(detectionmedia::Noise(), DetectionKind::Scenes).isEmpty());
}

TEST(SplitPointDetection, SceneThresholdDecidesWhichCutsCount) {
    std::atomic<bool> stop{false};
    // The cut into the red frame is the softest of the three.
    DetectionSettings strict = DefaultDetection(DetectionKind::Scenes);
    strict.threshold = 24;
    ExpectNear(DetectSplitPoints(detectionmedia::Cuts(), strict, stop), {2.0, 7.12});
}

TEST(SplitPointDetection, BlackStretchGivesItsMiddleOnAFrame) {
    const QList<double> found = Detect(detectionmedia::Black(), DetectionKind::Black);
    ExpectNear(found, {3.5});
    ASSERT_EQ(found.size(), 1);
    const double frames = found[0] * 25;
    EXPECT_NEAR(frames, std::round(frames), 1e-3) << "not on a frame";

    std::atomic<bool> stop{false};
    DetectionSettings longer = DefaultDetection(DetectionKind::Black);
    longer.minSeconds = 1.5;
    EXPECT_TRUE(DetectSplitPoints(detectionmedia::Black(), longer, stop).isEmpty());
}

TEST(SplitPointDetection, SilenceInCompressedSoundGivesItsMiddle) {
    ExpectNear(Detect(detectionmedia::Silence(), DetectionKind::Silence), {5.5});
}

TEST(SplitPointDetection, SilenceInPcmThatNamesNoChannelLayoutGivesItsMiddle) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const QString file = detectionmedia::PcmWithoutLayout(channels);
        const QString layout = testmedia::Stream(testmedia::Probe(file), "audio")["channel_layout"].toString();
        ASSERT_TRUE(layout.isEmpty() || layout == "unknown") << layout.toStdString();
        ExpectNear(Detect(file, DetectionKind::Silence), {2.5});
    }
}

TEST(SplitPointDetection, ACameraFlashIsNoSceneChange) {
    ExpectNear(Detect(detectionmedia::Flash(), DetectionKind::Scenes), {4.0});
}

TEST(SplitPointDetection, TimesCountFromTheFileStartWhenItsTimestampsStartLate) {
    ExpectNear(Detect(detectionmedia::LateStart(), DetectionKind::Scenes), {2.0});
    ExpectNear(Detect(detectionmedia::LateStart(), DetectionKind::Silence), {1.5});
}

TEST(SplitPointDetection, MissingStreamOrUnreadableFileNamesTheFile) {
    std::atomic<bool> stop{false};
    const QString noSound = detectionmedia::Noise();
    try {
        DetectSplitPoints(noSound, DefaultDetection(DetectionKind::Silence), stop);
        FAIL() << "silence found in a file without sound";
    } catch (const QuillmarkError& e) {
        EXPECT_TRUE(e.message().contains(noSound)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("audio")) << e.message().toStdString();
    }
    EXPECT_THROW(DetectSplitPoints(testmedia::Picture() + ".missing", DefaultDetection(DetectionKind::Black), stop),
                 QuillmarkError);
}

TEST(SplitPointDetection, RaisedStopEndsTheSearchAtOnce) {
    std::atomic<bool> stop{false};
    int reports = 0;
    QElapsedTimer clock;
    clock.start();
    const QList<double> found = DetectSplitPoints(detectionmedia::Cuts(), DefaultDetection(DetectionKind::Scenes), stop,
                                                  [&](double position, double duration) {
                                                      ++reports;
                                                      EXPECT_GT(duration, 9);
                                                      if (position > 1) stop = true;
                                                  });
    EXPECT_TRUE(found.isEmpty());
    EXPECT_LT(reports, 40) << "read on after the stop";
}

} // namespace
