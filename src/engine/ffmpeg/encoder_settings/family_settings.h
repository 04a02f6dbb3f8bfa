#pragma once

#include "engine/ffmpeg/output_settings.h"
#include "engine/formats/format_description.h"

// The encoder parameters of each format family, from the format's description,
// the engine's properties and the first video clip. One builder a family; the
// numbers that tell a family's formats apart come from the description.
using FamilySettingsBuilder = OutputSettings (*)(const FormatDescription& format, const TVideoEdit::Properties& props,
                                                 const SourceShape& first, int resizeMode);

OutputSettings DiscSettings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);
OutputSettings MpegSettings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);
OutputSettings AviSettings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);
OutputSettings WmvSettings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);
OutputSettings Mp4Settings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);
OutputSettings SourceSettings(const FormatDescription&, const TVideoEdit::Properties&, const SourceShape&, int);

// Settings in the format's container with its video encoder, to be filled in.
OutputSettings SettingsIn(const FormatDescription& format);

// The frame size a format with a size setting gets: the asked one, or the first
// clip's when 0 is asked, even and within 16..the format's largest side.
void SetFrameSize(VideoSettings& v, const FormatDescription& format, const TVideoEdit::Properties& props,
                  const SourceShape& first);
// A bit rate that gives the frame size a fair picture: bits per pixel per frame.
int64_t BitRateFor(int width, int height, AVRational rate, double bitsPerPixel, int64_t lowest, int64_t highest);
