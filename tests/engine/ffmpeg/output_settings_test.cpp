// The parameters each output type derives, and where pictures land in a frame.
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/ffmpeg/output_settings.h"
#include "engine/ffmpeg/placement.h"
#include "engine/formats/format_registry.h"
#include "engine/quillmark_error.h"

#include <gtest/gtest.h>

namespace {

TVideoEdit::Properties Props(int type) {
    TVideoEdit::Properties p;
    p.outputType = type;
    return p;
}

const SourceShape kFourThree{640, 480, {1, 1}};
const SourceShape kWide{1280, 720, {1, 1}};

std::string Option(const Options& options, const std::string& key) {
    for (const auto& [k, v] : options)
        if (k == key)
            return v;
    return {};
}

TEST(EngineDiscSettings, FollowTheStandards) {
    const OutputSettings vcd = ChooseOutputSettings(Props(1), kFourThree, 0);
    EXPECT_EQ(vcd.muxer, "vcd");
    EXPECT_EQ(vcd.packetSize, 2324);
    EXPECT_EQ(Option(vcd.muxerOptions, "muxrate"), "1411200");
    EXPECT_EQ(Option(vcd.muxerOptions, "preload"), "440000");
    EXPECT_EQ(vcd.video.bitRate, 1150000);
    EXPECT_EQ(vcd.video.minRate, 1150000);
    EXPECT_EQ(vcd.video.bufferSize, 327680);
    EXPECT_EQ(vcd.video.gop, 18);
    EXPECT_EQ(av_cmp_q(vcd.video.frameRate, AVRational{30000, 1001}), 0);
    EXPECT_EQ(vcd.audio->bitRate, 224000);
    EXPECT_EQ(vcd.audio->sampleRate, 44100);

    const OutputSettings svcd = ChooseOutputSettings(Props(2), kFourThree, 0);
    EXPECT_EQ(svcd.video.maxRate, 2516000);
    EXPECT_EQ(svcd.video.bufferSize, 1835008);
    EXPECT_EQ(Option(svcd.video.options, "scan_offset"), "1");
    EXPECT_EQ(svcd.video.gop, 15);

    const OutputSettings dvd = ChooseOutputSettings(Props(4), kFourThree, 0);
    EXPECT_EQ(dvd.muxer, "dvd");
    EXPECT_EQ(dvd.packetSize, 2048);
    EXPECT_EQ(Option(dvd.muxerOptions, "muxrate"), "10080000");
    EXPECT_EQ(dvd.video.bitRate, 6000000);
    EXPECT_EQ(dvd.video.maxRate, 9000000);
    EXPECT_EQ(dvd.audio->encoder, "ac3");
    EXPECT_EQ(dvd.audio->bitRate, 448000);
    EXPECT_EQ(dvd.audio->sampleRate, 48000);
}

TEST(EngineDiscSettings, StretchedOrFittedWideSourcesStayWideOthersAreFourThree) {
    // 720x576 shown 16:9 takes pixels 64:45 wide, shown 4:3 16:15. A wide clip
    // fitted whole fills a 16:9 picture rather than a letterboxed 4:3 one; a
    // cropped one and a portrait one are 4:3.
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), kWide, 0).video.sampleAspect, AVRational{64, 45}), 0);
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), kWide, 2).video.sampleAspect, AVRational{64, 45}), 0);
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), kWide, 3).video.sampleAspect, AVRational{16, 15}), 0);
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), SourceShape{1080, 1920, {1, 1}}, 2).video.sampleAspect,
                       AVRational{16, 15}), 0);
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), kFourThree, 0).video.sampleAspect, AVRational{16, 15}), 0);
    // Anamorphic 720x576 source meant as 16:9.
    const SourceShape anamorphic{720, 576, {64, 45}};
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(5), anamorphic, 0).video.sampleAspect, AVRational{32, 27}), 0);
}

TEST(EngineOutputSettings, ListIndexesAndTypesOutsideTheListsAreErrors) {
    EXPECT_THROW(ChooseOutputSettings(Props(11), kFourThree, 0), QuillmarkError);
    EXPECT_THROW(ChooseOutputSettings(Props(-1), kFourThree, 0), QuillmarkError);
    TVideoEdit::Properties avi = Props(8);
    avi.videoCompressor = 99;
    EXPECT_THROW(ChooseOutputSettings(avi, kFourThree, 0), QuillmarkError);
    TVideoEdit::Properties wmv = Props(9);
    wmv.wmvProfile = -1;
    EXPECT_THROW(ChooseOutputSettings(wmv, kFourThree, 0), QuillmarkError);
}

TEST(EngineOutputSettings, AviDefaultsAreXvidTaggedMpeg4AndMp3) {
    const OutputSettings avi = ChooseOutputSettings(Props(8), kFourThree, 0);
    EXPECT_EQ(avi.video.encoder, "mpeg4");
    EXPECT_EQ(avi.video.tag, MKTAG('X', 'V', 'I', 'D'));
    EXPECT_EQ(avi.audio->encoder, "libmp3lame");
    // Every listed encoder exists in this FFmpeg.
    for (const auto& c : AviVideoCompressors())
        EXPECT_NE(avcodec_find_encoder_by_name(c.encoder), nullptr) << c.encoder;
    for (const auto& c : AviAudioCompressors())
        EXPECT_NE(avcodec_find_encoder_by_name(c.encoder), nullptr) << c.encoder;
}

TEST(EngineOutputSettings, OutputAudioOffMeansNoAudioForEveryType) {
    for (int type = 0; type <= 10; ++type) {
        TVideoEdit::Properties p = Props(type);
        p.outputAudio = false;
        EXPECT_FALSE(ChooseOutputSettings(p, kFourThree, 0).audio.has_value()) << type;
    }
}

TEST(EngineNearestValues, MapToWhatTheEncoderAccepts) {
    EXPECT_EQ(av_cmp_q(NearestFrameRate("mpeg2video", 23.976), AVRational{24000, 1001}), 0);
    EXPECT_EQ(av_cmp_q(NearestFrameRate("mpeg1video", 26), AVRational{25, 1}), 0);
    EXPECT_EQ(av_cmp_q(NearestFrameRate("mpeg1video", 1000), AVRational{60, 1}), 0);
    EXPECT_EQ(av_cmp_q(NearestFrameRate("mpeg4", 29.97), AVRational{30000, 1001}), 0);
    EXPECT_EQ(av_cmp_q(NearestFrameRate("mpeg4", -3), AVRational{25, 1}), 0);
    EXPECT_EQ(NearestSampleRate("mp2", 47000), 48000);
    EXPECT_EQ(NearestSampleRate("mp2", 11025), 16000);
    EXPECT_EQ(EvenSize(333, 16, 4094), 332);
    EXPECT_EQ(EvenSize(3, 16, 4094), 16);
    EXPECT_EQ(EvenSize(9999, 16, 4094), 4094);
}

TEST(EnginePlacement, ResizeModes) {
    const PictureShape wide{320, 180, {1, 1}};
    const PictureShape frame{160, 120, {1, 1}};

    const Placement stretch = PlacePicture(wide, frame, 0);
    EXPECT_EQ(stretch.dstWidth, 160);
    EXPECT_EQ(stretch.dstHeight, 120);
    EXPECT_EQ(stretch.srcWidth, 320);

    // No resize: the centre 160x120 of the source, pixel for pixel.
    const Placement none = PlacePicture(wide, frame, 1);
    EXPECT_EQ(none.srcX, 80);
    EXPECT_EQ(none.srcY, 30);
    EXPECT_EQ(none.srcWidth, 160);
    EXPECT_EQ(none.dstWidth, 160);

    // Keep aspect: 160x90 with bars above and below.
    const Placement keep = PlacePicture(wide, frame, 2);
    EXPECT_EQ(keep.dstWidth, 160);
    EXPECT_EQ(keep.dstHeight, 90);
    EXPECT_EQ(keep.dstY, 14);
    EXPECT_EQ(keep.srcWidth, 320);

    // Fill: the frame is covered, the source's sides are cropped to 4:3.
    const Placement fill = PlacePicture(wide, frame, 3);
    EXPECT_EQ(fill.dstWidth, 160);
    EXPECT_EQ(fill.dstHeight, 120);
    EXPECT_EQ(fill.srcWidth, 240);
    EXPECT_EQ(fill.srcX, 40);

    // A small source without resizing sits in the middle of black.
    const Placement small = PlacePicture(PictureShape{100, 50, {1, 1}}, frame, 1);
    EXPECT_EQ(small.dstX, 30);
    EXPECT_EQ(small.dstY, 34);
    EXPECT_EQ(small.dstWidth, 100);
}

TEST(EnginePlacement, KeepAspectHonoursNonSquarePixels) {
    // A 16:9 picture into DVD PAL shown 4:3 (pixels 16:15): letterboxed to 432 lines.
    const Placement p = PlacePicture(PictureShape{1280, 720, {1, 1}}, PictureShape{720, 576, {16, 15}}, 2);
    EXPECT_EQ(p.dstWidth, 720);
    EXPECT_EQ(p.dstHeight, 432);
}

} // namespace

namespace {

const SourceShape kPalInterlaced{720, 576, {16, 15}, AV_FIELD_TT, {25, 1}};

TEST(EngineDiscSettings, VcdIsFourThreeWhateverTheSource) {
    for (int type : {0, 1}) {
        const OutputSettings vcd = ChooseOutputSettings(Props(type), kWide, 0);
        const double shown = vcd.video.width * av_q2d(vcd.video.sampleAspect) / vcd.video.height;
        EXPECT_NEAR(shown, 4.0 / 3.0, 0.01) << type;
    }
}

TEST(EngineDiscSettings, PortraitSourcesAreFourThree) {
    const SourceShape portrait{180, 320, {1, 1}};
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(Props(4), portrait, 0).video.sampleAspect, AVRational{16, 15}), 0);
}

TEST(EngineDiscSettings, InterlacedOutputOnlyForAFittingInterlacedSourceOnSvcdOrDvd) {
    EXPECT_EQ(ChooseOutputSettings(Props(4), kPalInterlaced, 2).video.fieldOrder, AV_FIELD_TT);
    SourceShape bottom = kPalInterlaced;
    bottom.fieldOrder = AV_FIELD_BB;
    EXPECT_EQ(ChooseOutputSettings(Props(4), bottom, 0).video.fieldOrder, AV_FIELD_BB);
    SourceShape svcd = kPalInterlaced;
    svcd.width = 480;
    svcd.sampleAspect = {8, 5};
    EXPECT_EQ(ChooseOutputSettings(Props(2), svcd, 0).video.fieldOrder, AV_FIELD_TT);

    EXPECT_EQ(ChooseOutputSettings(Props(0), kPalInterlaced, 0).video.fieldOrder, AV_FIELD_PROGRESSIVE) << "VCD";
    EXPECT_EQ(ChooseOutputSettings(Props(5), kPalInterlaced, 0).video.fieldOrder, AV_FIELD_PROGRESSIVE) << "NTSC";
    EXPECT_EQ(ChooseOutputSettings(Props(2), kPalInterlaced, 0).video.fieldOrder, AV_FIELD_PROGRESSIVE) << "resized";
    EXPECT_EQ(ChooseOutputSettings(Props(7), kPalInterlaced, 0).video.fieldOrder, AV_FIELD_PROGRESSIVE);
    EXPECT_EQ(ChooseOutputSettings(Props(4), kFourThree, 0).video.fieldOrder, AV_FIELD_PROGRESSIVE);
    // Square pixels fitted into a 4:3 frame are scaled, which fields cannot survive.
    SourceShape square = kPalInterlaced;
    square.sampleAspect = {1, 1};
    EXPECT_EQ(ChooseOutputSettings(Props(4), square, 2).video.fieldOrder, AV_FIELD_PROGRESSIVE);
}

TEST(EngineStandardMpegSettings, PixelsShowTheSourcesShapeAsTheCodecCanStoreIt) {
    TVideoEdit::Properties mpeg2 = Props(7);
    mpeg2.outputFileWidth = 480;
    mpeg2.outputFileHeight = 576;
    // 4:3 at 480x576 takes pixels 8:5 wide; 16:9 takes 32:15.
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(mpeg2, kFourThree, 0).video.sampleAspect, AVRational{8, 5}), 0);
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(mpeg2, kWide, 2).video.sampleAspect, AVRational{32, 15}), 0);
    // Without resizing the source's pixels keep their shape.
    EXPECT_EQ(av_cmp_q(ChooseOutputSettings(mpeg2, kFourThree, 1).video.sampleAspect, AVRational{1, 1}), 0);

    // MPEG-1 takes the nearest of its pixel shapes, exactly as its decoders read it back.
    TVideoEdit::Properties mpeg1 = Props(6);
    mpeg1.outputFileWidth = 352;
    mpeg1.outputFileHeight = 288;
    const AVRational sar = ChooseOutputSettings(mpeg1, kFourThree, 0).video.sampleAspect;
    EXPECT_EQ(av_cmp_q(sar, av_d2q(1 / 0.9157, 255)), 0) << sar.num << ":" << sar.den;
}

// Every registered format builds its parameters with the container and codecs
// its description names, so a new format cannot half-join the registry.
// A source's coding as the render reads it from the first video clip.
SourceShape Coded(const QString& file, const char* demuxer, AVCodecID codec, AVPixelFormat pixels = AV_PIX_FMT_YUV420P) {
    SourceShape shape = kWide;
    shape.frameRate = {30000, 1001};
    shape.coding.file = file;
    shape.coding.demuxer = demuxer;
    shape.coding.codec = codec;
    shape.coding.pixelFormat = pixels;
    shape.coding.width = 1280;
    shape.coding.height = 720;
    shape.coding.soundCodec = AV_CODEC_ID_AC3;
    shape.coding.sampleRate = 48000;
    shape.coding.channels = 6;
    return shape;
}

TEST(EngineFormatRegistry, EveryFormatBuildsWithItsOwnContainerAndCodecs) {
    for (int type = 0; type < FormatCount(); ++type) {
        const FormatDescription& f = *FindFormat(type);
        if (f.family == FormatFamily::Source)
            continue; // its container and codecs are the source's: below
        const OutputSettings out = ChooseOutputSettings(Props(type), kWide, 2);
        EXPECT_EQ(out.muxer, f.container) << type;
        if (*f.videoCodec)
            EXPECT_EQ(out.video.encoder, f.videoCodec) << type;
        if (*f.audioCodec)
            EXPECT_EQ(out.audio->encoder, f.audioCodec) << type;
        ASSERT_NE(f.estimateRate, nullptr) << type;
        EXPECT_GT(f.estimateRate(f, Props(type), 25).bytesPerSecond, 0) << type;
    }
    EXPECT_EQ(FindFormat(FormatCount()), nullptr);
}

// The source's own format: the muxer its file's name or demuxer asks for, an
// encoder of its codec at its pixel format, size and rate, its sound's codec
// and channels. Pictures alone give nothing to take a format from.
TEST(EngineSourceSettings, TakeTheFirstVideoFilesContainerAndCodecs) {
    struct Case { const char* file; const char* demuxer; AVCodecID codec; AVPixelFormat pixels; const char* muxer;
                  const char* encoder; };
    const Case cases[] = {
        {"/v/IMG_0001.MOV", "mov,mp4,m4a,3gp,3g2,mj2", AV_CODEC_ID_HEVC, AV_PIX_FMT_YUV420P10LE, "mov", "libx265"},
        {"/v/phone.mp4", "mov,mp4,m4a,3gp,3g2,mj2", AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, "mp4", "libx264"},
        {"/v/game.mkv", "matroska,webm", AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, "matroska", "libx264"},
        {"/v/screen.webm", "matroska,webm", AV_CODEC_ID_VP9, AV_PIX_FMT_YUV420P, "webm", "libvpx-vp9"},
        {"/v/00001.MTS", "mpegts", AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, "mpegts", "libx264"},
        {"/v/dvd.VOB", "mpeg", AV_CODEC_ID_MPEG2VIDEO, AV_PIX_FMT_YUV420P, "vob", "mpeg2video"},
        {"/v/old.avi", "avi", AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, "avi", "mpeg4"},
        {"/v/no extension", "matroska,webm", AV_CODEC_ID_VP9, AV_PIX_FMT_YUV420P, "webm", "libvpx-vp9"},
    };
    for (const Case& c : cases) {
        const OutputSettings out = ChooseOutputSettings(Props(11), Coded(c.file, c.demuxer, c.codec, c.pixels), 2);
        EXPECT_EQ(out.muxer, c.muxer) << c.file;
        EXPECT_EQ(out.video.encoder, c.encoder) << c.file;
        EXPECT_EQ(out.video.pixelFormat, c.pixels) << c.file;
        EXPECT_EQ(av_cmp_q(out.video.frameRate, AVRational{30000, 1001}), 0) << c.file;
        ASSERT_TRUE(out.audio) << c.file;
        EXPECT_EQ(out.audio->encoder, "ac3") << c.file;
        EXPECT_EQ(out.audio->channels, 6) << c.file;
    }
    EXPECT_THROW(ChooseOutputSettings(Props(11), kWide, 2), QuillmarkError);
}

// MP4 asked for the source's rate (0) takes the first clip's exactly; an unknown
// rate renders at 25; a rate the user set is kept whatever the source's.
TEST(EngineMp4Settings, FrameRateFollowsTheSourceUnlessSet) {
    struct Case { AVRational source; float asked; AVRational expected; };
    const Case cases[] = {{{60, 1}, 0, {60, 1}},           {{60000, 1001}, 0, {60000, 1001}},
                          {{50, 1}, 0, {50, 1}},           {{30000, 1001}, 0, {30000, 1001}},
                          {{24000, 1001}, 0, {24000, 1001}}, {{0, 1}, 0, {25, 1}},
                          {{1000, 1}, 0, {120, 1}},        {{60, 1}, 25, {25, 1}},
                          {{25, 1}, 60, {60, 1}}};
    for (const Case& c : cases) {
        TVideoEdit::Properties mp4 = Props(10);
        mp4.frameRate = c.asked;
        SourceShape source = kWide;
        source.frameRate = c.source;
        const AVRational got = ChooseOutputSettings(mp4, source, 2).video.frameRate;
        EXPECT_EQ(av_cmp_q(got, c.expected), 0) << c.source.num << "/" << c.source.den << " asked " << c.asked
                                               << ": " << got.num << "/" << got.den;
    }
}

} // namespace
