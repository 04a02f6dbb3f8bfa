#include "engine/formats/format_families.h"

#include <algorithm>

namespace {

// A size of 0 asks for the source's, which is not known yet: a DVD-sized guess.
FormatRate MpegRate(const FormatDescription& f, const TVideoEdit::Properties& props, double fps) {
    const int w = props.outputFileWidth > 0 ? props.outputFileWidth : 720;
    const int h = props.outputFileHeight > 0 ? props.outputFileHeight : 576;
    const double audio = std::max(32, props.mpegAudioBitrate) * 1000.0;
    return RateOfStreams(PixelRate(w, h, fps, f.pixelRate), audio, props.outputAudio, true);
}

FormatDescription Mpeg(const char* name, const char* container, const char* video, PixelRateRule rate,
                       StreamCapacity capacity) {
    FormatDescription f =
        Describe({name, name, name, "mpg", container, video, "mp2"}, FormatFamily::Mpeg, capacity, MpegRate);
    // The encodes' own ceiling is also the most a copied stream may have.
    f.copy.videoRateLimit = rate.highest;
    f.pixelRate = rate;
    // MPEG-1 and MPEG-2 code a side in 12 bits.
    f.largestSide = 4094;
    return f;
}

} // namespace

std::vector<FormatDescription> MpegFormats() {
    // An MPEG-1 system stream holds 32 audio streams; an MPEG-2 program stream 8,
    // and 32 subpicture streams.
    return {
        Mpeg("Standard MPEG1", "mpeg", "mpeg1video", {0.25, 500000, 8000000}, {32, SubtitleKind::None, 0, false, false}),
        Mpeg("Standard MPEG2", "vob", "mpeg2video", {0.2, 500000, 15000000}, {8, SubtitleKind::Bitmap, 32, false, false}),
    };
}
