#include "engine/formats/format_families.h"

#include <algorithm>

namespace {

// The engine's WMV profiles in order: video and sound bit rates.
const double kVideoRates[] = {1000000, 64000, 350000, 450000, 1500000, 4000000};
const double kSoundRates[] = {128000, 32000, 64000, 64000, 128000, 192000};

FormatRate WmvRate(const FormatDescription&, const TVideoEdit::Properties& props, double) {
    const int p = std::clamp<int>(props.wmvProfile, 0, 5);
    return RateOfStreams(kVideoRates[p], kSoundRates[p], props.outputAudio, true);
}

} // namespace

FormatDescription WmvFormat() {
    FormatDescription f;
    f.splitName = f.joinName = "WMV/ASF";
    f.shortName = "WMV";
    f.extension = "wmv";
    f.family = FormatFamily::Wmv;
    f.container = "asf";
    f.videoCodec = "wmv2";
    f.audioCodec = "wmav2";
    // Frame size and rate come from the chosen profile.
    f.capacity = {1, SubtitleKind::None, 0, false, true};
    f.estimateRate = WmvRate;
    return f;
}
