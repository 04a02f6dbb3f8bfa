// Transitions blend from the last frame shown into the timeline without changing
// its length.
#include "render_wait.h"
#include "test_media.h"

#include <gtest/gtest.h>

namespace {

class EngineTransitions : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(8);
        engine->SetUseVideoCompressor(false);
        engine->SetOutputFileWidth(160);
        engine->SetOutputFileHeight(120);
        engine->SetFrameRate(25);
        engine->SetOutputAudio(false);
        white = testmedia::Make("white_320x180.png", {"-f", "lavfi", "-i", "color=c=white:size=320x180", "-frames:v", "1"});
        black = testmedia::Make("black_320x180.png", {"-f", "lavfi", "-i", "color=c=black:size=320x180", "-frames:v", "1"});
    }

    QString render() {
        const QString out = dir.filePath("out.avi");
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return out;
    }

    static double MeanLuma(const QString& file, int frame) {
        const QByteArray luma = testmedia::Luma(file, frame);
        if (luma.isEmpty())
            return -1;
        double sum = 0;
        for (char c : luma)
            sum += uchar(c);
        return sum / luma.size();
    }

    static int Frames(const QString& file) {
        return testmedia::Stream(testmedia::Probe(file), "video")["nb_read_frames"].toString().toInt();
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
    QString white, black;
};

TEST_F(EngineTransitions, ListNamesManyRealEffects) {
    QStringList names = engine->Transitions();
    EXPECT_GE(names.size(), 20);
    EXPECT_EQ(names.first(), "Fade");
    EXPECT_EQ(names.removeDuplicates(), 0);
}

TEST_F(EngineTransitions, FadeFromBlackAtTheStartPassesThroughGrey) {
    engine->AddVideoClip(white, 0, 2, 0);
    engine->AddTransition(0, 0, 1);
    const QString out = render();
    EXPECT_EQ(Frames(out), 50);
    EXPECT_LT(MeanLuma(out, 0), 30);
    const double middle = MeanLuma(out, 12);
    EXPECT_GT(middle, 80);
    EXPECT_LT(middle, 180);
    EXPECT_GT(MeanLuma(out, 30), 230);
}

TEST_F(EngineTransitions, BlendsFromTheLastFrameShownIntoTheNextClip) {
    engine->AddVideoClip(white, 0, 1, 0);
    engine->AddVideoClip(black, 0, 1, 0);
    engine->AddTransition(0, 1, 1.5);
    const QString out = render();
    EXPECT_EQ(Frames(out), 50);
    EXPECT_GT(MeanLuma(out, 24), 230);
    EXPECT_GT(MeanLuma(out, 25), 230) << "the transition starts on the last frame shown";
    const double middle = MeanLuma(out, 31);
    EXPECT_GT(middle, 60);
    EXPECT_LT(middle, 200);
    EXPECT_LT(MeanLuma(out, 40), 30);
}

TEST_F(EngineTransitions, IndexesOutsideTheListAreCuts) {
    for (int index : {-1, int(engine->Transitions().size())}) {
        engine->ClearClips();
        engine->AddVideoClip(white, 0, 1, 0);
        engine->AddVideoClip(black, 0, 1, 0);
        engine->AddTransition(int16_t(index), 1, 1.5);
        const QString out = render();
        EXPECT_GT(MeanLuma(out, 24), 230) << index;
        EXPECT_LT(MeanLuma(out, 25), 30) << index;
    }
}

TEST_F(EngineTransitions, EveryEffectRendersWithoutChangingTheLength) {
    const int count = engine->Transitions().size();
    for (int i = 0; i < count; ++i) {
        engine->AddVideoClip(i % 2 ? black : white, 0, 0.4, 0);
        engine->AddTransition(int16_t(i), i * 0.4, i * 0.4 + 0.2);
    }
    const QString out = render();
    EXPECT_EQ(Frames(out), count * 10);
}

TEST_F(EngineTransitions, JoinOfPicturesVideoAndMusicKeepsEverythingInStep) {
    // Picture A, video B of 10.5 s with silent sound, picture C, a music tone M;
    // pictures of 4 s with 2 s transitions in front of them, in the join's order.
    engine->SetOutputAudio(true);
    engine->SetUseAudioCompressor(false);
    const QString b = testmedia::Make("silent_sound_160x120_10s5.mp4",
                                      {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=10.5", "-f",
                                       "lavfi", "-i", "anullsrc=sample_rate=44100:channel_layout=stereo", "-t", "10.5",
                                       "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"});
    const QString m = testmedia::Make("tone_1k_8s.wav", {"-f", "lavfi", "-i",
                                                         "sine=frequency=1000:sample_rate=44100:duration=8"});
    engine->AddTransition(0, 0, 2);
    engine->AddVideoClip(white, 0, 4, 2);
    engine->AddAudioClip(m, 0, 4);
    engine->AddVideoClip(b, 0, 10.5, 2);
    engine->AddAudioClip(b, 0, 10.5);
    engine->AddTransition(0, 14.5, 16.5);
    engine->AddVideoClip(black, 0, 4, 2);
    engine->AddAudioClip(m, 4, 8);
    const QString out = render();

    EXPECT_EQ(Frames(out), 463); // 18.5 s at 25 fps
    const QVector<qint16> s = testmedia::MonoSamples(out, 8000);
    ASSERT_NEAR(s.size(), 18.52 * 8000, 1); // as long as the 463 frames
    auto loudest = [&](double from, double to) {
        int peak = 0;
        for (int i = int(from * 8000); i < int(to * 8000) && i < s.size(); ++i)
            peak = std::max(peak, std::abs(int(s[i])));
        return peak;
    };
    EXPECT_GT(loudest(0.1, 3.9), 1000) << "M's first slice under A";
    EXPECT_LT(loudest(4.1, 14.4), 50) << "B's own (silent) sound under B";
    EXPECT_GT(loudest(14.6, 18.4), 1000) << "M's second slice under C";
}

} // namespace
