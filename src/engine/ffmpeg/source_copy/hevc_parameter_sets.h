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
// The parameter sets of a record or of Annex B bytes, each with a 4-byte length
// prefix, ready to go in front of a length-prefixed access unit; empty when the
// bytes hold none.
Bytes ParameterSetsLengthPrefixed(const uint8_t* data, int size);
// Annex B bytes as 4-byte length-prefixed NAL units, every unit kept.
Bytes LengthPrefixedKeepingAll(const uint8_t* data, int size);

} // namespace hevc
