#include "engine/formats/format_families.h"

#include <algorithm>

namespace {

// The engine's compressor lists in order. Bits per pixel of the video ones (the
// lossless and raw ones are guesses), whether they have rate control, and the
// sound's bit rate.
const double kBitsPerPixel[] = {1.0, 0.25, 0.25, 0.1, 8, 0.25, 6, 12};
const bool kRateControl[] = {true, true, true, true, false, true, false, false};
const double kSoundRates[] = {1411200, 361600, 361600, 192000, 128000, 192000, 705600};

// A size of 0 asks for the source's, which is not known yet: a DVD-sized guess.
FormatRate AviRate(const FormatDescription&, const TVideoEdit::Properties& props, double fps) {
    const int vc = std::clamp<int>(props.videoCompressor, 0, 7);
    const int ac = std::clamp<int>(props.audioCompressor, 0, 6);
    const int w = props.outputFileWidth > 0 ? props.outputFileWidth : 720;
    const int h = props.outputFileHeight > 0 ? props.outputFileHeight : 576;
    const double video = PixelRate(w, h, fps, {kBitsPerPixel[vc], 200000, 10000000000});
    return RateOfStreams(video, kSoundRates[ac], props.outputAudio, kRateControl[vc]);
}

} // namespace

// Both codecs come from the engine's compressor lists.
FormatDescription AviFormat() {
    return Describe({"AVI/Divx/Xvid", "AVI/DivX", "AVI", "avi", "avi", "", ""}, FormatFamily::Avi,
                    {99, SubtitleKind::None, 0, false, true}, AviRate);
}
