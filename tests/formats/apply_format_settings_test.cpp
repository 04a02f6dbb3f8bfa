#include "fakes/recording_video_edit.h"
#include "formats/format_settings.h"

#include <gtest/gtest.h>

namespace {
QStringList applied(int format, const FormatSettings& settings = FormatSettings()) {
    RecordingVideoEdit engine;
    ApplyFormatSettings(engine, format, settings);
    return engine.calls;
}
}  // namespace

TEST(ApplyFormatSettings, DiscFormatsAndUnknownIndexesSetOnlyAudio) {
    for (int format : {0, 1, 2, 3, 4, 5, -1, 12}) {
        EXPECT_EQ(applied(format), (QStringList{"OutputAudio=true", "SmartRender=true"})) << format;
    }
}

TEST(ApplyFormatSettings, StandardMpegFormatsShareTheMpegGroup) {
    FormatSettings s;
    s.MpegWidth = 352;
    s.MpegHeight = 288;
    s.MpegFrameRate = 25;
    s.MpegAudioBitrate = 192;
    s.MpegAudioSampleRate = 48000;
    const QStringList expected{"FrameRate=25",        "OutputFileWidth=352",        "OutputFileHeight=288",
                               "MPEGAudioBitrate=192", "MPEGAudioSampleRate=48000", "OutputAudio=true", "SmartRender=true"};
    EXPECT_EQ(applied(6, s), expected);
    EXPECT_EQ(applied(7, s), expected);
}

TEST(ApplyFormatSettings, AviSwitchesBothCompressorsOnAndPassesIndexesUnchecked) {
    FormatSettings s;
    s.AviVideoCompressor = 99;
    s.AviAudioCompressor = -3;
    EXPECT_EQ(applied(8, s), (QStringList{"FrameRate=23.976", "OutputFileWidth=352", "OutputFileHeight=240",
                                          "UseAudioCompressor=true", "UseVideoCompressor=true", "VideoCompressor=99",
                                          "AudioCompressor=-3", "OutputAudio=true", "SmartRender=true"}));
}

TEST(ApplyFormatSettings, AviOriginalSizeAsksForTheSourceSize) {
    FormatSettings s;
    s.AviOriginalSize = true;
    const QStringList calls = applied(8, s);
    EXPECT_TRUE(calls.contains("OutputFileWidth=0"));
    EXPECT_TRUE(calls.contains("OutputFileHeight=0"));
}

TEST(ApplyFormatSettings, WmvSetsItsProfile) {
    FormatSettings s;
    s.WmvProfile = 2;
    EXPECT_EQ(applied(9, s), (QStringList{"WMVProfile=2", "OutputAudio=true", "SmartRender=true"}));
}

TEST(ApplyFormatSettings, Mp4SetsRateSizeQualityPresetAndSound) {
    FormatSettings s;
    s.Mp4OriginalSize = false;
    s.Mp4Width = 640;
    s.Mp4Height = 360;
    s.Mp4FrameRate = 29.97;
    s.Mp4Quality = 20;
    s.Mp4Preset = 3;
    s.Mp4AudioBitrate = 256;
    EXPECT_EQ(applied(10, s), (QStringList{"FrameRate=29.97", "OutputFileWidth=640", "OutputFileHeight=360",
                                           "MP4Quality=20", "MP4Preset=3", "MP4AudioBitrate=256",
                                           "OutputAudio=true", "SmartRender=true"}));
    s.Mp4OriginalSize = true;
    const QStringList original = applied(10, s);
    EXPECT_TRUE(original.contains("OutputFileWidth=0") && original.contains("OutputFileHeight=0"));
    // The engine keeps its settings within what the encoders are given.
    s.Mp4Quality = 40;
    s.Mp4AudioBitrate = 64;
    const QStringList clamped = applied(10, s);
    EXPECT_TRUE(clamped.contains("MP4Quality=28") && clamped.contains("MP4AudioBitrate=128")) << clamped.join(' ').toStdString();
}

TEST(ApplyFormatSettings, SameAsSourceSetsOnlyItsQualityAndKeepsTheSourcesRateAndSize) {
    FormatSettings s;
    s.SourceQuality = 30;
    s.Mp4FrameRate = 50;  // another family's settings stay out of it
    EXPECT_EQ(applied(11, s), (QStringList{"SourceQuality=30", "OutputAudio=true", "SmartRender=true"}));
    // No rate of its own: a part is measured against the rate of a source whose rate is unknown.
    EXPECT_DOUBLE_EQ(OutputFrameRate(11, s), 25);
}

TEST(ApplyFormatSettings, VideoOnlySilencesEveryFormat) {
    FormatSettings s;
    s.VideoOnly = true;
    for (int format = -1; format <= 11; ++format) {
        EXPECT_TRUE(applied(format, s).contains("OutputAudio=false")) << format;
    }
}

TEST(ApplyFormatSettings, SettingsReachTheEngineProperties) {
    FormatSettings s;
    s.AviWidth = 640;
    s.AviHeight = 480;
    s.AviFrameRate = 29.97;
    RecordingVideoEdit engine;
    ApplyFormatSettings(engine, 8, s);
    EXPECT_EQ(engine.OutputFileWidth(), 640);
    EXPECT_EQ(engine.OutputFileHeight(), 480);
    EXPECT_FLOAT_EQ(engine.FrameRate(), 29.97f);
    EXPECT_TRUE(engine.OutputAudio());
}
