#pragma once

#include "engine/video_edit.h"
#include "formats/format_settings.h"

// The engine parameters a render of `selectedFormat` gets from `settings`: what
// SetOutputType and ApplyFormatSettings give an engine, read without one, so an
// estimate sees exactly what the render will.
TVideoEdit::Properties FormatProperties(int selectedFormat, const FormatSettings& settings);
