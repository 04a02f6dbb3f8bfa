#include "engine/formats/format_families.h"

namespace {

// What a copy costs cannot be told from the settings: it is what the source
// costs. A 1080p phone video's rate is the guess; the first written part corrects it.
FormatRate SourceRate(const FormatDescription&, const TVideoEdit::Properties& props, double) {
    return RateOfStreams(12e6, 256e3, props.outputAudio, false);
}

} // namespace

FormatDescription SourceFormat() {
    return Describe({"Same as source", "Same as source", "Same as source", "", "", "", ""}, FormatFamily::Source,
                    {99, SubtitleKind::AsCoded, 99, true, true}, SourceRate);
}
