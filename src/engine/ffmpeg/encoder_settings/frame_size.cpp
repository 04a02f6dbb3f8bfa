#include "engine/ffmpeg/encoder_settings/family_settings.h"

#include <algorithm>

namespace {

int SizeOrSource(int16_t asked, int source) {
    return asked > 0 ? asked : (source > 0 ? source : 320);
}

} // namespace

OutputSettings SettingsIn(const FormatDescription& format) {
    OutputSettings out;
    out.muxer = format.container;
    out.video.encoder = format.videoCodec;
    return out;
}

void SetFrameSize(VideoSettings& v, const FormatDescription& format, const TVideoEdit::Properties& props,
                  const SourceShape& first) {
    v.width = EvenSize(SizeOrSource(props.outputFileWidth, first.width), 16, format.largestSide);
    v.height = EvenSize(SizeOrSource(props.outputFileHeight, first.height), 16, format.largestSide);
    // Zero asks for the first clip's own size, shape included.
    if (props.outputFileWidth <= 0 && props.outputFileHeight <= 0 && first.sampleAspect.num > 0)
        v.sampleAspect = first.sampleAspect;
}

int64_t BitRateFor(int width, int height, AVRational rate, double bitsPerPixel, int64_t lowest, int64_t highest) {
    const double bits = width * double(height) * av_q2d(rate) * bitsPerPixel;
    return std::clamp<int64_t>(int64_t(bits), lowest, highest);
}
