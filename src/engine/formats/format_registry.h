#pragma once

#include "engine/formats/format_description.h"

#include <vector>

// Every output format in the order of its number: the engine's output type, the
// position in both format lists and the stored [general] outputformat. The order
// is part of the interface; a new format goes at the end.
const std::vector<FormatDescription>& OutputFormats();

int FormatCount();

// The format of `index`; nullptr when there is none.
const FormatDescription* FindFormat(int index);
