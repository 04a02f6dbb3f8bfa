#include "engine/ffmpeg/output_settings.h"

#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/formats/format_registry.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <climits>
#include <cmath>

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
    return NearestFrameRate(encoder, rate);
}

AVRational NearestFrameRate(const std::string& encoder, AVRational rate) {
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

FamilySettingsBuilder BuilderOf(FormatFamily family) {
    switch (family) {
    case FormatFamily::Disc:
        return DiscSettings;
    case FormatFamily::Mpeg:
        return MpegSettings;
    case FormatFamily::Avi:
        return AviSettings;
    case FormatFamily::Wmv:
        return WmvSettings;
    case FormatFamily::Mp4:
        return Mp4Settings;
    case FormatFamily::Source:
        return SourceSettings;
    }
    return nullptr;
}

OutputSettings FormatSettingsFor(const TVideoEdit::Properties& props, const SourceShape& first, int firstResizeMode) {
    const FormatDescription* format = FindFormat(props.outputType);
    if (!format)
        throw QuillmarkError(QStringLiteral("Output type %1 does not exist; it must be 0 to %2")
                                 .arg(props.outputType).arg(FormatCount() - 1));
    return BuilderOf(format->family)(*format, props, first, firstResizeMode);
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
