#pragma once

#include "engine/formats/format_description.h"

#include <vector>

// The descriptions of each family, one file each; the registry puts them in order.
std::vector<FormatDescription> DiscFormats();  // VCD, SVCD and DVD, PAL then NTSC
std::vector<FormatDescription> MpegFormats();  // standard MPEG-1 and MPEG-2
FormatDescription AviFormat();
FormatDescription WmvFormat();
FormatDescription Mp4Format();
