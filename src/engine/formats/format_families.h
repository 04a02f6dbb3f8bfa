#pragma once

#include "engine/formats/format_description.h"

#include <vector>

using RateEstimate = FormatRate (*)(const FormatDescription&, const TVideoEdit::Properties&, double);

// A description's names, file and streams; each family adds its own rules.
struct FormatIdentity {
    const char* splitName;
    const char* joinName;
    const char* shortName;
    const char* extension;
    const char* container;
    const char* videoCodec;  // empty when the user picks it from a list
    const char* audioCodec;
};
FormatDescription Describe(const FormatIdentity& identity, FormatFamily family, StreamCapacity capacity,
                           RateEstimate estimate);

// The descriptions of each family, one file each; the registry puts them in order.
std::vector<FormatDescription> DiscFormats();  // VCD, SVCD and DVD, PAL then NTSC
std::vector<FormatDescription> MpegFormats();  // standard MPEG-1 and MPEG-2
FormatDescription AviFormat();
FormatDescription WmvFormat();
FormatDescription Mp4Format();
FormatDescription SourceFormat();
