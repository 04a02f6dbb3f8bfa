#include "engine/formats/format_families.h"

#include <algorithm>

namespace {

// H.264 at a mid rate factor spends about 0.1 bit a pixel on lively pictures;
// the cap holds it there, and measurement corrects the rest. A size of 0 asks for
// the source's, which is not known yet: a 720p guess.
FormatRate Mp4Rate(const FormatDescription&, const TVideoEdit::Properties& props, double fps) {
    const int w = props.outputFileWidth > 0 ? props.outputFileWidth : 1280;
    const int h = props.outputFileHeight > 0 ? props.outputFileHeight : 720;
    const double video = PixelRate(w, h, fps, {0.1, 200000, 1000000000});
    const double audio = std::clamp(props.mp4AudioBitrate, 128, 320) * 1000.0;
    return RateOfStreams(video, audio, props.outputAudio, true);
}

} // namespace

FormatDescription Mp4Format() {
    return Describe({"MP4 (H.264 + AAC)", "MP4 (H.264 + AAC)", "MP4", "mp4", "mp4", "libx264", "aac"}, FormatFamily::Mp4,
                    {99, SubtitleKind::Text, 99, true, true}, Mp4Rate);
}
