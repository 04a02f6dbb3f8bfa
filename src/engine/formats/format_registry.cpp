#include "engine/formats/format_registry.h"

#include "engine/formats/format_families.h"

#include <algorithm>

const std::vector<FormatDescription>& OutputFormats() {
    static const std::vector<FormatDescription> formats = [] {
        std::vector<FormatDescription> all = DiscFormats();
        for (const auto& more : {MpegFormats(), std::vector{AviFormat(), WmvFormat(), Mp4Format(), SourceFormat()}})
            all.insert(all.end(), more.begin(), more.end());
        return all;
    }();
    return formats;
}

int FormatCount() {
    return int(OutputFormats().size());
}

const FormatDescription* FindFormat(int index) {
    return index >= 0 && index < FormatCount() ? &OutputFormats()[index] : nullptr;
}

FormatRate RateOfStreams(double videoBits, double audioBits, bool sound, bool capVideo) {
    FormatRate r;
    r.videoCap = capVideo ? int64_t(videoBits) : 0;
    r.bytesPerSecond = (videoBits + (sound ? audioBits : 0)) / 8 * kMuxOverhead;
    return r;
}

double PixelRate(int width, int height, double fps, const PixelRateRule& rule) {
    return std::clamp(double(width) * height * fps * rule.bitsPerPixel, double(rule.lowest), double(rule.highest));
}

FormatDescription Describe(const FormatIdentity& id, FormatFamily family, StreamCapacity capacity,
                           RateEstimate estimate) {
    FormatDescription f;
    f.splitName = id.splitName;
    f.joinName = id.joinName;
    f.shortName = id.shortName;
    f.extension = id.extension;
    f.family = family;
    f.container = id.container;
    f.videoCodec = id.videoCodec;
    f.audioCodec = id.audioCodec;
    f.capacity = capacity;
    f.estimateRate = estimate;
    return f;
}
