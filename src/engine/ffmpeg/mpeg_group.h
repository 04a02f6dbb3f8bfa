#pragma once

#include "engine/ffmpeg/libav.h"

// Edits to the first group of pictures of an MPEG-1/2 copy whose leading
// pictures (shown before its keyframe, leaning on the group before) were left
// out: the group says it is closed, and its pictures count their place from the
// keyframe, as if those pictures had never been there.
namespace mpeg {

// Marks the group header in the packet, if it holds one, closed and unbroken.
void CloseGroup(AVPacket* packet);
// Moves the temporal reference of every picture in the packet `by` places earlier.
void ShiftTemporalReferences(AVPacket* packet, int by);
// The temporal reference of the picture a packet holds, -1 when none.
int TemporalReference(const AVPacket* packet);
// Whether the packet carries a sequence header, which a decoder needs to start.
bool HoldsSequenceHeader(const AVPacket* packet);
// Whether the packet opens a group of pictures.
bool HoldsGroupHeader(const AVPacket* packet);

} // namespace mpeg
