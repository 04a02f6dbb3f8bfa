#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// H.264 as MP4 keeps it: NAL units with 4-byte length prefixes, and the
// parameter sets in the stream's avcC record. Copied and re-encoded pictures can
// share one stream when their parameter sets have different ids and the record
// holds both.
namespace h264 {

using Bytes = std::vector<uint8_t>;

struct AvcRecord {
    Bytes header;                 // version, profile, compatibility, level, length size
    std::vector<Bytes> sps;
    std::vector<Bytes> pps;
    Bytes tail;                   // the High profiles' chroma and bit depth bytes
    int lengthSize() const { return header.size() == 5 ? (header[4] & 3) + 1 : 0; }
};

// Parses an avcC record; nothing when the bytes are not one (Annex B, truncated).
std::optional<AvcRecord> ParseAvcRecord(const uint8_t* data, int size);
Bytes WriteAvcRecord(const AvcRecord& record);

// The parameter sets in Annex B bytes (start codes), as an encoder's global header has them.
AvcRecord RecordFromAnnexB(const uint8_t* data, int size);

// The ids a record's parameter sets use; the highest of either kind, -1 when none.
int HighestParameterSetId(const AvcRecord& record);

// The record of `source` extended by the parameter sets of `added`.
AvcRecord Merge(const AvcRecord& source, const AvcRecord& added);

// Annex B packet bytes as 4-byte length-prefixed NAL units, without parameter sets
// (the record has them). Bytes already length-prefixed are returned unchanged.
Bytes ToLengthPrefixed(const uint8_t* data, int size);

// Whether a length-prefixed access unit holds an IDR slice, after which nothing
// refers back past it.
bool HoldsIdr(const uint8_t* data, int size, int lengthSize);

} // namespace h264
