#include "engine/ffmpeg/output_settings.h"

#include "engine/ffmpeg/output_catalogue.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const AVRational kPal{25, 1};
const AVRational kNtsc{30000, 1001};

struct DiscFormat {
    const char* muxer;
    const char* encoder;
    int width;
    int height;
    bool pal;
    int64_t bitRate, maxRate, minRate;
    int bufferSize;
    int packetSize;
    int64_t muxRate; // 0: the muxer computes it
    int64_t preloadMicroseconds;
    bool scanOffset;
    const char* audioEncoder;
    int sampleRate;
};

// The VCD, SVCD and DVD standards, in OutputType order.
const DiscFormat kDiscs[] = {
    {"vcd", "mpeg1video", 352, 288, true, 1150000, 1150000, 1150000, 327680, 2324, 1411200, 440000, false, "mp2", 44100},
    {"vcd", "mpeg1video", 352, 240, false, 1150000, 1150000, 1150000, 327680, 2324, 1411200, 440000, false, "mp2", 44100},
    {"svcd", "mpeg2video", 480, 576, true, 2040000, 2516000, 0, 1835008, 2324, 0, 0, true, "mp2", 44100},
    {"svcd", "mpeg2video", 480, 480, false, 2040000, 2516000, 0, 1835008, 2324, 0, 0, true, "mp2", 44100},
    {"dvd", "mpeg2video", 720, 576, true, 6000000, 9000000, 0, 1835008, 2048, 10080000, 0, false, "ac3", 48000},
    {"dvd", "mpeg2video", 720, 480, false, 6000000, 9000000, 0, 1835008, 2048, 10080000, 0, false, "ac3", 48000},
};

AVRational Reduced(int64_t num, int64_t den) {
    AVRational r;
    av_reduce(&r.num, &r.den, num, den, 1 << 16);
    return r;
}

double Aspect(AVRational r) {
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 1.0;
}

double DisplayAspect(const SourceShape& s) {
    if (s.width <= 0 || s.height <= 0)
        return 4.0 / 3.0;
    return s.width * Aspect(s.sampleAspect) / s.height;
}

// The pixel shape that shows a frame of width x height at a display aspect.
AVRational SampleAspectFor(double displayAspect, int width, int height) {
    return av_d2q(displayAspect * height / width, 1 << 16);
}

// Disc players know 4:3 and 16:9 pictures, VCD players 4:3 only. A stretched
// source keeps the one nearer its own shape; anything fitted into the frame and
// anything taller than wide is 4:3.
AVRational DiscSampleAspect(int type, int width, int height, const SourceShape& first, int resizeMode) {
    const bool vcd = type <= 1;
    const bool wide = !vcd && resizeMode == 0 && DisplayAspect(first) > (4.0 / 3.0 + 16.0 / 9.0) / 2;
    return wide ? Reduced(16LL * height, 9LL * width) : Reduced(4LL * height, 3LL * width);
}

// MPEG-1 stores a pixel's shape as one of these heights per unit of width, and
// its decoders read back the nearest fraction; asking for exactly that keeps the
// shape the picture is fitted to the one players show.
AVRational Mpeg1SampleAspect(AVRational wanted) {
    static const double heights[] = {1.0,    0.6735, 0.7031, 0.7615, 0.8055, 0.8437, 0.8935,
                                     0.9157, 0.9815, 1.0255, 1.0695, 1.0950, 1.1575, 1.2015};
    const double want = Aspect(wanted);
    double best = 1.0;
    for (double h : heights)
        if (std::abs(1 / h - want) < std::abs(1 / best - want))
            best = h;
    return av_d2q(1 / best, 255);
}

// MPEG-2 stores square pixels or a display aspect of 4:3, 16:9 or 2.21:1.
AVRational Mpeg2SampleAspect(double displayAspect, int width, int height) {
    const double square = double(width) / height;
    const double stored[] = {square, 4.0 / 3.0, 16.0 / 9.0, 2.21};
    double best = square;
    for (double d : stored)
        if (std::abs(std::log(d / displayAspect)) < std::abs(std::log(best / displayAspect)))
            best = d;
    if (best == square)
        return AVRational{1, 1};
    if (best == 2.21)
        return Reduced(221LL * height, 100LL * width);
    return best > 1.5 ? Reduced(16LL * height, 9LL * width) : Reduced(4LL * height, 3LL * width);
}

OutputSettings DiscSettings(int type, const TVideoEdit::Properties& props, const SourceShape& first, int resizeMode) {
    const DiscFormat& d = kDiscs[type];
    OutputSettings out;
    out.muxer = d.muxer;
    out.packetSize = d.packetSize;
    if (d.muxRate)
        out.muxerOptions.emplace_back("muxrate", std::to_string(d.muxRate));
    if (d.preloadMicroseconds)
        out.muxerOptions.emplace_back("preload", std::to_string(d.preloadMicroseconds));

    VideoSettings& v = out.video;
    v.encoder = d.encoder;
    v.width = d.width;
    v.height = d.height;
    v.frameRate = d.pal ? kPal : kNtsc;
    v.sampleAspect = DiscSampleAspect(type, d.width, d.height, first, resizeMode);
    if (v.encoder == "mpeg1video")
        v.sampleAspect = Mpeg1SampleAspect(v.sampleAspect);
    // VCD is progressive by its standard; SVCD and DVD keep a fitting source's fields.
    const OutputPictures frames{{v.width, v.height, v.sampleAspect}, v.frameRate, first.fieldOrder};
    if (type >= 2 && KeepsFields(first, frames, resizeMode))
        v.fieldOrder = first.fieldOrder;
    v.bitRate = d.bitRate;
    v.maxRate = d.maxRate;
    v.minRate = d.minRate;
    v.bufferSize = d.bufferSize;
    v.gop = d.pal ? 15 : 18;
    if (d.scanOffset)
        v.options.emplace_back("scan_offset", "1");

    if (props.outputAudio)
        out.audio = AudioSettings{d.audioEncoder, d.sampleRate, 2, std::string(d.audioEncoder) == "ac3" ? 448000 : 224000};
    return out;
}

// MPEG audio layer 2 bit rates, kbit/s: MPEG-1 rates above 32 kHz, MPEG-2 below.
int NearestMp2BitRate(int kbits, int sampleRate) {
    static const int high[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    static const int low[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int* table = sampleRate >= 32000 ? high : low;
    int best = table[0];
    for (int i = 0; i < 14; ++i)
        if (std::abs(table[i] - kbits) < std::abs(best - kbits))
            best = table[i];
    return best;
}

// A bit rate that gives the frame size a fair picture: bits per pixel per frame.
int64_t BitRateFor(int width, int height, AVRational rate, double bitsPerPixel, int64_t lowest, int64_t highest) {
    const double bits = width * double(height) * av_q2d(rate) * bitsPerPixel;
    return std::clamp<int64_t>(int64_t(bits), lowest, highest);
}

int SizeOrSource(int16_t asked, int source) {
    return asked > 0 ? asked : (source > 0 ? source : 320);
}

OutputSettings StandardMpegSettings(bool mpeg2, const TVideoEdit::Properties& props, const SourceShape& first,
                                    int resizeMode) {
    OutputSettings out;
    out.muxer = mpeg2 ? "vob" : "mpeg";
    VideoSettings& v = out.video;
    v.encoder = mpeg2 ? "mpeg2video" : "mpeg1video";
    v.width = EvenSize(SizeOrSource(props.outputFileWidth, first.width), 16, 4094);
    v.height = EvenSize(SizeOrSource(props.outputFileHeight, first.height), 16, 4094);
    // Pixels shaped so the frame shows the source's shape; without resizing, the
    // source's own pixels.
    const double shown = resizeMode == 1 ? v.width * Aspect(first.sampleAspect) / v.height : DisplayAspect(first);
    v.sampleAspect = mpeg2 ? Mpeg2SampleAspect(shown, v.width, v.height)
                           : Mpeg1SampleAspect(SampleAspectFor(shown, v.width, v.height));
    v.frameRate = NearestFrameRate(v.encoder, props.frameRate);
    v.bitRate = BitRateFor(v.width, v.height, v.frameRate, mpeg2 ? 0.2 : 0.25, 500000, mpeg2 ? 15000000 : 8000000);
    if (mpeg2) {
        v.maxRate = std::min<int64_t>(v.bitRate * 2, 15000000);
        v.bufferSize = 1835008;
    }
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) / 2)));
    if (props.outputAudio) {
        const int rate = NearestSampleRate("mp2", props.mpegAudioSampleRate);
        out.audio = AudioSettings{"mp2", rate, 2, NearestMp2BitRate(props.mpegAudioBitrate, rate) * 1000LL};
    }
    return out;
}

OutputSettings AviSettings(const TVideoEdit::Properties& props, const SourceShape& first) {
    const auto& videos = AviVideoCompressors();
    const auto& audios = AviAudioCompressors();
    const int videoIndex = props.useVideoCompressor ? props.videoCompressor : int(videos.size()) - 1;
    if (videoIndex < 0 || videoIndex >= int(videos.size()))
        throw QuillmarkError(QStringLiteral("Video compressor %1 does not exist; the list has %2 entries")
                                 .arg(videoIndex).arg(videos.size()));
    const VideoCompressor& vc = videos[videoIndex];

    OutputSettings out;
    out.muxer = "avi";
    VideoSettings& v = out.video;
    v.encoder = vc.encoder;
    v.pixelFormat = vc.pixelFormat;
    v.tag = vc.tag;
    // Zero asks for the first clip's own size, shape included.
    v.width = EvenSize(SizeOrSource(props.outputFileWidth, first.width), 16, 4096);
    v.height = EvenSize(SizeOrSource(props.outputFileHeight, first.height), 16, 4096);
    if (props.outputFileWidth <= 0 && props.outputFileHeight <= 0 && first.sampleAspect.num > 0)
        v.sampleAspect = first.sampleAspect;
    v.frameRate = NearestFrameRate(v.encoder, props.frameRate);
    if (vc.bitsPerPixel > 0)
        v.bitRate = BitRateFor(v.width, v.height, v.frameRate, vc.bitsPerPixel, 200000, 50000000);
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) * 10)));
    // AVI keeps no presentation times: frames coded out of order (B-frames) would
    // open the file on a decoder's delay, every picture late by it.
    if (v.encoder == "libx264")
        v.options = {{"preset", "fast"}, {"crf", "23"}, {"bf", "0"}};

    if (props.outputAudio) {
        const int audioIndex = props.useAudioCompressor ? props.audioCompressor : 0;
        if (audioIndex < 0 || audioIndex >= int(audios.size()))
            throw QuillmarkError(QStringLiteral("Audio compressor %1 does not exist; the list has %2 entries")
                                     .arg(audioIndex).arg(audios.size()));
        const AudioCompressor& ac = audios[audioIndex];
        out.audio = AudioSettings{ac.encoder, ac.sampleRate, 2, ac.bitRate};
    }
    return out;
}

OutputSettings WmvSettings(const TVideoEdit::Properties& props) {
    const auto& profiles = WmvProfiles();
    if (props.wmvProfile < 0 || props.wmvProfile >= int(profiles.size()))
        throw QuillmarkError(QStringLiteral("WMV profile %1 does not exist; the list has %2 entries")
                                 .arg(props.wmvProfile).arg(profiles.size()));
    const WmvProfile& p = profiles[props.wmvProfile];
    OutputSettings out;
    out.muxer = "asf";
    VideoSettings& v = out.video;
    v.encoder = "wmv2";
    v.width = p.width;
    v.height = p.height;
    v.frameRate = p.frameRate;
    v.bitRate = p.videoBitRate;
    v.gop = std::max(1, int(std::lround(av_q2d(p.frameRate) * 10)));
    if (props.outputAudio)
        out.audio = AudioSettings{"wmav2", p.sampleRate, p.channels, p.audioBitRate};
    return out;
}

OutputSettings Mp4Settings(const TVideoEdit::Properties& props, const SourceShape& first) {
    OutputSettings out;
    out.muxer = "mp4";
    // The index in front of the media lets a player start before the whole file is there.
    out.muxerOptions.emplace_back("movflags", "+faststart");
    VideoSettings& v = out.video;
    v.encoder = "libx264";
    // Zero asks for the first clip's own size, shape included, as AVI does.
    v.width = EvenSize(SizeOrSource(props.outputFileWidth, first.width), 16, 4096);
    v.height = EvenSize(SizeOrSource(props.outputFileHeight, first.height), 16, 4096);
    if (props.outputFileWidth <= 0 && props.outputFileHeight <= 0 && first.sampleAspect.num > 0)
        v.sampleAspect = first.sampleAspect;
    v.frameRate = NearestFrameRate(v.encoder, props.frameRate);
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) * 2)));
    const QStringList presets = TVideoEdit::MP4Presets();
    const int preset = std::clamp<int>(props.mp4Preset, 0, int(presets.size()) - 1);
    v.options = {{"preset", presets[preset].toStdString()}, {"crf", std::to_string(std::clamp(props.mp4Quality, 18, 28))}};
    if (props.outputAudio)
        out.audio = AudioSettings{"aac", 48000, 2, std::clamp(props.mp4AudioBitrate, 128, 320) * 1000LL};
    return out;
}

} // namespace

int EvenSize(int value, int lowest, int highest) {
    value = std::clamp(value, lowest, highest);
    return value & ~1;
}

AVRational NearestFrameRate(const std::string& encoder, double fps) {
    static const AVRational common[] = {{24000, 1001}, {30000, 1001}, {60000, 1001}};
    if (!(fps > 0) || !std::isfinite(fps))
        fps = 25;
    fps = std::clamp(fps, 1.0, 120.0);
    AVRational rate = av_d2q(fps, 100000);
    for (AVRational c : common)
        if (std::abs(av_q2d(c) - fps) < 0.01)
            rate = c;
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (codec && codec->supported_framerates)
        rate = codec->supported_framerates[av_find_nearest_q_idx(rate, codec->supported_framerates)];
    return rate;
}

int NearestSampleRate(const std::string& encoder, int rate) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (rate <= 0)
        rate = 44100;
    if (!codec || !codec->supported_samplerates)
        return rate;
    int best = codec->supported_samplerates[0];
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (std::abs(*r - rate) < std::abs(best - rate))
            best = *r;
    return best;
}

namespace {

OutputSettings FormatSettingsFor(const TVideoEdit::Properties& props, const SourceShape& first, int firstResizeMode) {
    const int type = props.outputType;
    if (type >= 0 && type <= 5)
        return DiscSettings(type, props, first, firstResizeMode);
    if (type == 6 || type == 7)
        return StandardMpegSettings(type == 7, props, first, firstResizeMode);
    if (type == 8)
        return AviSettings(props, first);
    if (type == 9)
        return WmvSettings(props);
    if (type == 10)
        return Mp4Settings(props, first);
    throw QuillmarkError(QStringLiteral("Output type %1 does not exist; it must be 0 to 10").arg(type));
}

// Holds an encoder that has rate control (a target bit rate or a quality factor)
// under `cap` over every stretch of one buffer. Rates only go down, so a disc
// format stays inside its standard; a constant-rate one (minimum = maximum) is
// left as its standard fixes it. Lossless and raw encoders have no rate to cap.
void CapVideoRate(VideoSettings& v, int64_t cap) {
    const bool qualityFactor = std::any_of(v.options.begin(), v.options.end(),
                                           [](const auto& o) { return o.first == "crf" || o.first == "qp"; });
    if (cap <= 0 || (v.bitRate <= 0 && !qualityFactor) || (v.minRate > 0 && v.minRate == v.maxRate))
        return;
    if (v.bitRate > cap)
        v.bitRate = cap;
    v.maxRate = v.maxRate > 0 ? std::min(v.maxRate, cap) : cap;
    if (v.minRate > v.maxRate)
        v.minRate = v.maxRate;
    // One second of the cap: short enough that a part of a few seconds cannot
    // borrow much beyond it, long enough for the encoder to spend bits on a key frame.
    const int64_t buffer = std::max<int64_t>(cap, 2 * v.width * v.height);
    v.bufferSize = v.bufferSize > 0 ? int(std::min<int64_t>(v.bufferSize, buffer)) : int(std::min<int64_t>(buffer, INT32_MAX));
}

} // namespace

OutputSettings ChooseOutputSettings(const TVideoEdit::Properties& props, const SourceShape& first, int firstResizeMode) {
    OutputSettings out = FormatSettingsFor(props, first, firstResizeMode);
    CapVideoRate(out.video, props.maxVideoBitrate);
    return out;
}
