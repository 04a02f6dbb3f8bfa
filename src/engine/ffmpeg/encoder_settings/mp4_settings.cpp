#include "engine/ffmpeg/encoder_settings/family_settings.h"

#include <algorithm>
#include <cmath>

namespace {

// A rate of 0 asks for the first clip's own, exactly, so a 60 or 29.97 fps
// recording keeps every frame once and may be copied; a source whose rate is
// not known renders at 25.
AVRational FrameRateFor(const std::string& encoder, float asked, AVRational source) {
    if (asked > 0)
        return NearestFrameRate(encoder, asked);
    if (source.num <= 0 || source.den <= 0)
        return NearestFrameRate(encoder, 25.0);
    const double fps = av_q2d(source);
    return fps >= 1 && fps <= 120 ? NearestFrameRate(encoder, source) : NearestFrameRate(encoder, fps);
}

} // namespace

OutputSettings Mp4Settings(const FormatDescription& format, const TVideoEdit::Properties& props,
                           const SourceShape& first, int) {
    OutputSettings out = SettingsIn(format);
    // The index in front of the media lets a player start before the whole file is there.
    out.muxerOptions.emplace_back("movflags", "+faststart");
    VideoSettings& v = out.video;
    SetFrameSize(v, format, props, first);
    v.frameRate = FrameRateFor(v.encoder, props.frameRate, first.frameRate);
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) * 2)));
    const QStringList presets = TVideoEdit::MP4Presets();
    const int preset = std::clamp<int>(props.mp4Preset, 0, int(presets.size()) - 1);
    v.options = {{"preset", presets[preset].toStdString()}, {"crf", std::to_string(std::clamp(props.mp4Quality, 18, 28))}};
    if (props.outputAudio)
        out.audio = AudioSettings{format.audioCodec, 48000, 2, std::clamp(props.mp4AudioBitrate, 128, 320) * 1000LL};
    return out;
}
