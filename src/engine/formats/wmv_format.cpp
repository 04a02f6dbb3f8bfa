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

// Frame size and rate come from the chosen profile.
FormatDescription WmvFormat() {
    return Describe({"WMV/ASF", "WMV/ASF", "WMV", "wmv", "asf", "wmv2", "wmav2"}, FormatFamily::Wmv,
                    {1, SubtitleKind::None, 0, false, true}, WmvRate);
}
