// Frame-exact cuts and the audio track's length, checked frame by frame against
// the source with lossless output.
#include "render_wait.h"
#include "test_media.h"

#include <gtest/gtest.h>

namespace {

// Equal frame lists, or where they part: lists of checksums print unreadably.
::testing::AssertionResult SameFrames(const QStringList& got, const QStringList& expected) {
    for (int i = 0; i < std::min(got.size(), expected.size()); ++i)
        if (got[i] != expected[i])
            return ::testing::AssertionFailure() << "frame " << i << " differs (" << got.size() << " frames, "
                                                 << expected.size() << " expected); it is source frame "
                                                 << expected.indexOf(got[i]);
    if (got.size() != expected.size())
        return ::testing::AssertionFailure() << got.size() << " frames, " << expected.size() << " expected";
    return ::testing::AssertionSuccess();
}

class EngineCuts : public ::testing::Test {
protected:
    void SetUp() override {
        engine = LosslessAviEngine(160, 120);
    }

    QStringList renderHashes() {
        const QString out = dir.filePath("cut.avi");
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return testmedia::FrameHashes(out);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

// A transport stream whose clock starts at 10 s and whose only keyframe is its
// first frame: seeks land off keyframes and must find their way back.
QString OffsetTransportStream() {
    return testmedia::Make("cuts-offset.ts", {"-f", "lavfi", "-i", "testsrc=d=3:s=160x120:r=25", "-f", "lavfi", "-i",
                                              "sine=d=3:r=48000", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-g", "250", "-c:a", "aac",
                                              "-output_ts_offset", "10"});
}

TEST_F(EngineCuts, ThreeConsecutiveClipsGiveEverySourceFrameOnce) {
    for (const QString& source : {testmedia::H264Clip(), testmedia::MpegPsClip(), OffsetTransportStream()}) {
        engine->ClearClips();
        engine->AddVideoClip(source, 0, 1.2, 0);
        engine->AddVideoClip(source, 1.2, 2.2, 0);
        engine->AddVideoClip(source, 2.2, 3.0, 0);
        const QStringList expected = testmedia::FrameHashes(source);
        ASSERT_EQ(expected.size(), 75) << source.toStdString();
        EXPECT_TRUE(SameFrames(renderHashes(), expected)) << source.toStdString();
    }
}

TEST_F(EngineCuts, SeparateRendersCutOffTheFrameGridShareNoFrame) {
    // A split into three equal parts of a 3.04 s file cuts between frames; each
    // part is its own render, and together they must hold every frame once.
    const QString source = testmedia::H264Clip();
    const QStringList expected = testmedia::FrameHashes(source);
    const double third = 3.04 / 3;
    QStringList joined;
    for (int part = 0; part < 3; ++part) {
        engine->ClearClips();
        engine->AddVideoClip(source, part * third, (part + 1) * third, 0);
        joined += renderHashes();
    }
    EXPECT_TRUE(SameFrames(joined, expected));
}

TEST_F(EngineCuts, ClipsOfOneRenderFollowTheSumOfTheirLengths) {
    // The join page places transitions at the sum of the durations before them;
    // clips whose lengths fall between frames must not push later ones off it.
    for (int i = 0; i < 5; ++i) engine->AddVideoClip(testmedia::H264Clip(), 0, 1.01, 0);
    EXPECT_EQ(renderHashes().size(), 127); // 5.05 s at 25 fps, not 5 x 26 frames
}

TEST_F(EngineCuts, ClipStartingMidGopBeginsOnTheExactFrame) {
    // 1.64 s is frame 41, between keyframes 40 and 50 of the H.264 source and
    // after the MPEG source's keyframe at 36.
    for (const QString& source : {testmedia::H264Clip(), testmedia::MpegPsClip()}) {
        engine->ClearClips();
        engine->AddVideoClip(source, 1.64, 2.0, 0);
        const QStringList all = testmedia::FrameHashes(source);
        EXPECT_TRUE(SameFrames(renderHashes(), all.mid(41, 9))) << source.toStdString();
    }
}

TEST_F(EngineCuts, TimesPastTheEndAreClampedToTheSource) {
    engine->AddVideoClip(testmedia::H264Clip(), 2.0, 100, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 2.0, 100);
    const QStringList all = testmedia::FrameHashes(testmedia::H264Clip());
    EXPECT_TRUE(SameFrames(renderHashes(), all.mid(50)));
    EXPECT_NEAR(testmedia::AudioSeconds(dir.filePath("cut.avi")), 1.0, 0.001);
}

TEST_F(EngineCuts, AudioIsPaddedOrCutToTheVideosLength) {
    // Sound shorter than the picture: silence fills up to the end.
    engine->AddVideoClip(testmedia::H264Clip(), 0, 2, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 0, 0.5);
    renderHashes();
    EXPECT_NEAR(testmedia::AudioSeconds(dir.filePath("cut.avi")), 2.0, 0.001);

    // Sound longer than the picture: cut at the end of the video.
    engine->ClearClips();
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 0, 3);
    renderHashes();
    EXPECT_NEAR(testmedia::AudioSeconds(dir.filePath("cut.avi")), 1.0, 0.001);
}

TEST_F(EngineCuts, SoundThatStartsLateInItsFileStaysInStep) {
    // The tone begins half a second after the picture in the source.
    const QString late = testmedia::Make(
        "late_sound_160x120.mkv", {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=2", "-itsoffset",
                                   "0.5", "-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=44100:duration=1.5",
                                   "-map", "0:v", "-map", "1:a", "-c:v", "mpeg4", "-c:a", "pcm_s16le"});
    engine->AddVideoClip(late, 0, 2, 0);
    engine->AddAudioClip(late, 0, 2);
    renderHashes();
    const QVector<qint16> s = testmedia::MonoSamples(dir.filePath("cut.avi"), 8000);
    ASSERT_NEAR(s.size(), 16000, 1);
    int before = 0, after = 0;
    for (int i = 0; i < 3900; ++i)
        before = std::max(before, std::abs(int(s[i])));
    for (int i = 4100; i < 5000; ++i)
        after = std::max(after, std::abs(int(s[i])));
    EXPECT_LT(before, 50);
    EXPECT_GT(after, 1000);
}

TEST_F(EngineCuts, MixedSourcesJoinIntoOneValidFile) {
    // Different sizes, frame rates, sample rates, channel counts and codecs, and
    // a source without sound.
    engine->SetOutputType(5); // DVD NTSC
    const QStringList sources = {testmedia::H264Clip(), testmedia::WideClip(), testmedia::SilentClip(),
                                 testmedia::MpegPsClip()};
    for (const QString& s : sources) {
        engine->AddVideoClip(s, 0, 1, 2);
        engine->AddAudioClip(s, 0, 1);
    }
    const QString out = dir.filePath("mixed.mpg");
    const RenderOutcome r = RenderAndWait(*engine, out);
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    const QJsonObject probe = testmedia::Probe(out);
    const QJsonObject v = testmedia::Stream(probe, "video");
    EXPECT_EQ(v["width"].toInt(), 720);
    EXPECT_EQ(v["height"].toInt(), 480);
    const int frames = v["nb_read_frames"].toString().toInt();
    EXPECT_NEAR(frames, 4 * 30000 / 1001.0, 1.0);
    EXPECT_NEAR(testmedia::AudioSeconds(out), frames * 1001 / 30000.0, 0.04);
    EXPECT_GE(r.progressReports, 1);
    EXPECT_NEAR(r.lastDuration, 4.0, 0.05);
}

} // namespace
