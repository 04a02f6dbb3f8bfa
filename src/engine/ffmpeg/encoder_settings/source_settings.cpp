#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <cmath>

namespace {

// A rate factor that keeps the encoded frames at least as good as the copied
// ones, which a camera or a phone codes at a generous rate; or the asked one.
void SetQuality(VideoSettings& v, const SourceCoding& c, int asked) {
    const std::string& e = v.encoder;
    if (e == "libx264" || e == "libx265") {
        v.options.emplace_back("preset", "fast");
        v.options.emplace_back("crf", std::to_string(asked > 0 ? asked : (e == "libx264" ? 16 : 18)));
        if (e == "libx265")
            v.options.emplace_back("x265-params", "log-level=error");
    } else if (e == "libvpx-vp9" || e == "libvpx") {
        v.options.emplace_back("crf", std::to_string(asked > 0 ? std::min(asked, 63) : 20));
        v.options.emplace_back("deadline", "good");
        v.options.emplace_back("cpu-used", "4");
        v.options.emplace_back("row-mt", "1");
    } else if (e == "mpeg2video" || e == "mpeg1video" || e == "mpeg4") {
        const int scale = asked > 0 ? std::clamp(int(std::lround(asked / 6.0)), 1, 31) : 2;
        v.options.emplace_back("flags", "+qscale");
        v.options.emplace_back("global_quality", std::to_string(scale * FF_QP2LAMBDA));
        // A disc player's buffer holds no more than the source's stream says.
        if (c.maxRate > 0 && c.bufferSize > 0) {
            v.maxRate = c.maxRate;
            v.bufferSize = c.bufferSize;
        }
    }
}

const char* X264Profile(int profile) {
    switch (profile) {
    case FF_PROFILE_H264_BASELINE:
    case FF_PROFILE_H264_CONSTRAINED_BASELINE: return "baseline";
    case FF_PROFILE_H264_MAIN: return "main";
    case FF_PROFILE_H264_HIGH: return "high";
    case FF_PROFILE_H264_HIGH_10: return "high10";
    case FF_PROFILE_H264_HIGH_422: return "high422";
    case FF_PROFILE_H264_HIGH_444_PREDICTIVE: return "high444";
    default: return nullptr;
    }
}

// The source's pixel format when the encoder takes it, else the one it takes
// with as many bits and as much colour as it can.
AVPixelFormat PixelFormatFor(const AVCodec* codec, AVPixelFormat source) {
    if (!codec->pix_fmts || source == AV_PIX_FMT_NONE)
        return source == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : source;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == source)
            return source;
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
}

AudioSettings SoundFor(const SourceCoding& c, const std::string& muxer) {
    std::string encoder = MatchedSoundEncoder(c.soundCodec);
    if (encoder.empty() || !avcodec_find_encoder_by_name(encoder.c_str())) {
        // A sound the libraries cannot write (DTS, say): the container's own choice.
        const AVOutputFormat* f = av_guess_format(muxer.c_str(), nullptr, nullptr);
        const AVCodec* fallback = f ? avcodec_find_encoder(f->audio_codec) : nullptr;
        encoder = fallback ? fallback->name : "aac";
    }
    AudioSettings a;
    a.encoder = encoder;
    a.sampleRate = NearestSampleRate(encoder, c.sampleRate > 0 ? c.sampleRate : 48000);
    a.channels = c.channels > 0 ? c.channels : 2;
    a.bitRate = c.soundBitRate > 0 ? c.soundBitRate : 96000LL * std::min(a.channels, 6);
    return a;
}

} // namespace

OutputSettings SourceSettings(const FormatDescription&, const TVideoEdit::Properties& props, const SourceShape& first,
                              int) {
    const SourceCoding& c = first.coding;
    if (!c.known())
        throw QuillmarkError(QStringLiteral("\"Same as source\" takes its format from the first video file, and the "
                                            "clips hold none"));
    OutputSettings out;
    out.muxer = SourceMuxer(c);
    if (out.muxer.empty())
        throw QuillmarkError(QStringLiteral("Cannot write files like \"%1\": no muxer writes its %2 container")
                                 .arg(c.file, QString::fromStdString(c.demuxer)));
    VideoSettings& v = out.video;
    v.encoder = MatchedVideoEncoder(c.codec);
    const AVCodec* codec = v.encoder.empty() ? nullptr : avcodec_find_encoder_by_name(v.encoder.c_str());
    if (!codec)
        throw QuillmarkError(QStringLiteral("Cannot write \"%1\"'s %2 pictures: no encoder for them is installed")
                                 .arg(c.file, QString::fromUtf8(avcodec_get_name(c.codec))));
    v.pixelFormat = PixelFormatFor(codec, c.pixelFormat);
    v.width = c.width;
    v.height = c.height;
    v.sampleAspect = c.sampleAspect;
    v.frameRate = NearestFrameRate(v.encoder, first.frameRate.num > 0 ? first.frameRate : AVRational{25, 1});
    v.fieldOrder = first.fieldOrder;
    const bool mpeg = c.codec == AV_CODEC_ID_MPEG2VIDEO || c.codec == AV_CODEC_ID_MPEG1VIDEO;
    v.gop = mpeg ? 12 : std::max(1, int(std::lround(av_q2d(v.frameRate) * 2)));
    v.primaries = c.primaries;
    v.transfer = c.transfer;
    v.space = c.space;
    v.range = c.range;
    v.chroma = c.chroma;
    // MP4 and MOV name the codec's kind of sample ("hvc1" or "hev1"); other
    // containers have their own ids for it.
    if (out.muxer == "mov" || out.muxer == "mp4" || out.muxer == "ipod")
        v.tag = c.tag;
    SetQuality(v, c, props.sourceQuality);
    if (c.codec == AV_CODEC_ID_H264)
        if (const char* profile = X264Profile(c.profile))
            v.options.emplace_back("profile", profile);
    if (props.outputAudio)
        out.audio = SoundFor(c, out.muxer);
    return out;
}
