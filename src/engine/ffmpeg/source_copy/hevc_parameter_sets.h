#pragma once

#include "engine/ffmpeg/h264_parameter_sets.h"

// HEVC as MP4, MOV and Matroska keep it: NAL units with length prefixes and the
// VPS, SPS and PPS in the stream's hvcC record. An encoder cannot be told to give
// its parameter sets ids of their own, so encoded stretches carry theirs in the
// stream and each copied stretch opens with the source's again.
namespace hevc {

using Bytes = h264::Bytes;

// Whether the bytes are an hvcC record (not Annex B start codes).
bool IsRecord(const uint8_t* data, int size);
// The record's NAL units' length size, 0 when it is not one.
int LengthSize(const uint8_t* data, int size);
// What goes in front of a copied stretch's first picture: the parameter sets of
// a record, length-prefixed, or a transport stream's header as it is (start codes).
Bytes CopiedStretchOpening(const uint8_t* data, int size);
// Marks the clean random access pictures of an access unit that opens a copy
// as broken links without leading pictures, which is what they are there (the
// copy leaves its leading pictures out): a decoder then starts counting
// pictures anew, as after the encoded stretch's IDR, instead of carrying its
// count over. Units framed by start codes or by 4-byte lengths; the bytes are
// changed in place.
void MarkAsSpliceStart(uint8_t* data, int size);
// Annex B bytes as 4-byte length-prefixed NAL units, every unit kept.
Bytes LengthPrefixedKeepingAll(const uint8_t* data, int size);

} // namespace hevc
