// Real renders into each of the ten output types, checked with ffprobe.
#include "render_wait.h"
#include "test_media.h"

#include <QJsonArray>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Expected {
    int type;
    QString container; // ffprobe's format_name contains this
    QString video;
    QString audio;
    int width;
    int height;
    QString rate;
};

void PrintTo(const Expected& e, std::ostream* os) {
    *os << "OutputType " << e.type;
}

class EngineFormat : public ::testing::TestWithParam<Expected> {
protected:
    void SetUp() override { EnsureApplication(); }
    QTemporaryDir dir;
};

int FrameCount(const QJsonObject& stream) {
    return stream["nb_read_frames"].toString().toInt();
}

double Rate(const QString& r) {
    const QStringList p = r.split('/');
    return p.value(0).toDouble() / p.value(1, "1").toDouble();
}

TEST_P(EngineFormat, WritesTheStandardStreams) {
    const Expected e = GetParam();
    auto engine = CreateVideoEdit();
    engine->SetOutputType(e.type);
    engine->SetFrameRate(25);
    engine->SetOutputFileWidth(352);
    engine->SetOutputFileHeight(240);
    engine->AddVideoClip(testmedia::H264Clip(), 0.5, 2.5, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 0.5, 2.5);
    const QString out = dir.filePath("out");
    const RenderOutcome r = RenderAndWait(*engine, out);
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    EXPECT_EQ(r.events, 1);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"out"}) << "no temporary file is left";

    const QJsonObject probe = testmedia::Probe(out);
    EXPECT_TRUE(probe["format"]["format_name"].toString().contains(e.container))
        << probe["format"]["format_name"].toString().toStdString();
    const QJsonObject v = testmedia::Stream(probe, "video");
    EXPECT_EQ(v["codec_name"].toString(), e.video);
    EXPECT_EQ(v["width"].toInt(), e.width);
    EXPECT_EQ(v["height"].toInt(), e.height);
    EXPECT_EQ(v["r_frame_rate"].toString(), e.rate);
    // Two seconds of source, within one output frame.
    const double expectedFrames = 2.0 * Rate(e.rate);
    EXPECT_LE(std::abs(FrameCount(v) - expectedFrames), 1.0) << FrameCount(v);
    const QJsonObject a = testmedia::Stream(probe, "audio");
    EXPECT_EQ(a["codec_name"].toString(), e.audio);
    EXPECT_NEAR(testmedia::AudioSeconds(out), FrameCount(v) / Rate(e.rate), 0.07);
}

INSTANTIATE_TEST_SUITE_P(
    EngineAllTypes, EngineFormat,
    ::testing::Values(Expected{0, "mpeg", "mpeg1video", "mp2", 352, 288, "25/1"},
                      Expected{1, "mpeg", "mpeg1video", "mp2", 352, 240, "30000/1001"},
                      Expected{2, "mpeg", "mpeg2video", "mp2", 480, 576, "25/1"},
                      Expected{3, "mpeg", "mpeg2video", "mp2", 480, 480, "30000/1001"},
                      Expected{4, "mpeg", "mpeg2video", "ac3", 720, 576, "25/1"},
                      Expected{5, "mpeg", "mpeg2video", "ac3", 720, 480, "30000/1001"},
                      Expected{6, "mpeg", "mpeg1video", "mp2", 352, 240, "25/1"},
                      Expected{7, "mpeg", "mpeg2video", "mp2", 352, 240, "25/1"},
                      Expected{8, "avi", "mpeg4", "mp3", 352, 240, "25/1"},
                      Expected{9, "asf", "wmv2", "wmav2", 640, 480, "25/1"}));

class EngineFormatOptions : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    QJsonObject render(TVideoEdit& engine) {
        const QString out = dir.filePath("out");
        const RenderOutcome r = RenderAndWait(engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return testmedia::Probe(out);
    }
    QTemporaryDir dir;
};

TEST_F(EngineFormatOptions, VideoOnlyWritesNoAudioStream) {
    for (int type : {4, 8, 9}) {
        auto engine = CreateVideoEdit();
        engine->SetOutputType(type);
        engine->SetOutputAudio(false);
        engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
        engine->AddAudioClip(testmedia::H264Clip(), 0, 1);
        const QJsonObject probe = render(*engine);
        EXPECT_FALSE(testmedia::Stream(probe, "video").isEmpty()) << type;
        EXPECT_TRUE(testmedia::Stream(probe, "audio").isEmpty()) << type;
    }
}

TEST_F(EngineFormatOptions, DiscFormatsKeepAWideSourceWide) {
    auto engine = CreateVideoEdit();
    engine->SetOutputType(4);
    engine->AddVideoClip(testmedia::WideClip(), 0, 1, 0);
    const QJsonObject v = testmedia::Stream(render(*engine), "video");
    EXPECT_EQ(v["width"].toInt(), 720);
    EXPECT_EQ(v["display_aspect_ratio"].toString(), "16:9");
}

TEST_F(EngineFormatOptions, AviOriginalSizeKeepsTheFirstClipsSizeAndTagsMpeg4ForXvidPlayers) {
    auto engine = CreateVideoEdit();
    engine->SetOutputType(8);
    engine->SetOutputFileWidth(0);
    engine->SetOutputFileHeight(0);
    engine->SetFrameRate(23.976f);
    engine->AddVideoClip(testmedia::WideClip(), 0, 1, 0);
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    const QJsonObject v = testmedia::Stream(render(*engine), "video");
    EXPECT_EQ(v["width"].toInt(), 320);
    EXPECT_EQ(v["height"].toInt(), 180);
    EXPECT_EQ(v["codec_tag_string"].toString(), "XVID");
    EXPECT_EQ(v["r_frame_rate"].toString(), "24000/1001");
}

TEST_F(EngineFormatOptions, AviWithoutCompressorsIsUncompressed) {
    auto engine = CreateVideoEdit();
    engine->SetOutputType(8);
    engine->SetUseVideoCompressor(false);
    engine->SetUseAudioCompressor(false);
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 0, 1);
    const QJsonObject probe = render(*engine);
    EXPECT_EQ(testmedia::Stream(probe, "video")["codec_name"].toString(), "rawvideo");
    EXPECT_EQ(testmedia::Stream(probe, "audio")["codec_name"].toString(), "pcm_s16le");
}

TEST_F(EngineFormatOptions, EveryAviCompressorWritesAPlayableFile) {
    auto engine = CreateVideoEdit();
    const int videos = engine->VideoCompressors().size();
    const int audios = engine->AudioCompressors().size();
    for (int i = 0; i < std::max(videos, audios); ++i) {
        engine->ClearClips();
        engine->SetOutputType(8);
        engine->SetVideoCompressor(int16_t(i % videos));
        engine->SetAudioCompressor(int16_t(i % audios));
        engine->AddVideoClip(testmedia::H264Clip(), 0, 0.6, 0);
        engine->AddAudioClip(testmedia::H264Clip(), 0, 0.6);
        const QJsonObject probe = render(*engine);
        EXPECT_EQ(testmedia::Stream(probe, "video")["nb_read_frames"].toString().toInt(), 15) << "compressor " << i;
        EXPECT_FALSE(testmedia::Stream(probe, "audio").isEmpty()) << "compressor " << i;
    }
}

TEST_F(EngineFormatOptions, StandardMpegRoundsSizeAndRateToWhatTheCodecTakes) {
    auto engine = CreateVideoEdit();
    engine->SetOutputType(7);
    engine->SetOutputFileWidth(333);
    engine->SetOutputFileHeight(241);
    engine->SetFrameRate(26.5f);
    engine->SetMPEGAudioSampleRate(47000);
    engine->SetMPEGAudioBitrate(200);
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    engine->AddAudioClip(testmedia::H264Clip(), 0, 1);
    const QJsonObject probe = render(*engine);
    const QJsonObject v = testmedia::Stream(probe, "video");
    EXPECT_EQ(v["width"].toInt(), 332);
    EXPECT_EQ(v["height"].toInt(), 240);
    EXPECT_EQ(v["r_frame_rate"].toString(), "25/1");
    const QJsonObject a = testmedia::Stream(probe, "audio");
    EXPECT_EQ(a["sample_rate"].toString(), "48000");
    EXPECT_EQ(a["bit_rate"].toString(), "192000");
}

TEST_F(EngineFormatOptions, EveryWmvProfileWritesItsFrameSize) {
    auto engine = CreateVideoEdit();
    const QStringList profiles = engine->WMVProfiles();
    for (int i = 0; i < profiles.size(); ++i) {
        engine->ClearClips();
        engine->SetOutputType(9);
        engine->SetWMVProfile(int16_t(i));
        engine->AddVideoClip(testmedia::H264Clip(), 0, 0.5, 0);
        engine->AddAudioClip(testmedia::H264Clip(), 0, 0.5);
        const QJsonObject v = testmedia::Stream(render(*engine), "video");
        const QString size = QStringLiteral("%1x%2").arg(v["width"].toInt()).arg(v["height"].toInt());
        EXPECT_TRUE(profiles[i].contains(size)) << profiles[i].toStdString() << " wrote " << size.toStdString();
    }
}

} // namespace
