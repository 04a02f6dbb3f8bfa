#include "engine/ffmpeg/source_copy/hevc_parameter_sets.h"

namespace hevc {

bool IsRecord(const uint8_t* data, int size);

namespace {

void PutLength(Bytes& out, size_t length) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(length >> shift));
}

bool StartCodeAt(const uint8_t* data, int size, int at) {
    return at + 3 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1;
}

// Whether the bytes open with a start code of three or four bytes.
bool IsAnnexB(const uint8_t* data, int size) {
    return StartCodeAt(data, size, 0) || (size >= 4 && data[0] == 0 && StartCodeAt(data, size, 1));
}

// Calls `unit` for each NAL unit between start codes.
template <typename F>
void ForEachUnit(const uint8_t* data, int size, F unit) {
    int at = 0;
    while (at < size && !StartCodeAt(data, size, at))
        ++at;
    while (at < size) {
        const int begin = at + 3;
        int end = begin;
        while (end < size && !StartCodeAt(data, size, end))
            ++end;
        int last = end;
        // A four-byte start code leaves a zero byte before the next unit's three.
        while (last > begin && data[last - 1] == 0 && end < size)
            --last;
        if (last > begin)
            unit(data + begin, last - begin);
        at = end;
    }
}

// The parameter sets of a record or of Annex B bytes, each with a 4-byte length prefix.
Bytes ParameterSetsLengthPrefixed(const uint8_t* data, int size) {
    Bytes out;
    if (!data || size <= 0)
        return out;
    if (!IsRecord(data, size)) {
        ForEachUnit(data, size, [&out](const uint8_t* nal, int length) {
            const int type = (nal[0] >> 1) & 0x3f;
            if (type >= 32 && type <= 34) {
                PutLength(out, length);
                out.insert(out.end(), nal, nal + length);
            }
        });
        return out;
    }
    int at = 22;
    const int arrays = data[at++];
    for (int a = 0; a < arrays && at + 3 <= size; ++a) {
        const int type = data[at] & 0x3f;
        const int count = (data[at + 1] << 8) | data[at + 2];
        at += 3;
        for (int n = 0; n < count && at + 2 <= size; ++n) {
            const int length = (data[at] << 8) | data[at + 1];
            at += 2;
            if (at + length > size)
                return {};
            if (type >= 32 && type <= 34) {
                PutLength(out, length);
                out.insert(out.end(), data + at, data + at + length);
            }
            at += length;
        }
    }
    return out;
}

} // namespace

bool IsRecord(const uint8_t* data, int size) {
    return data && size >= 23 && data[0] == 1;
}

int LengthSize(const uint8_t* data, int size) {
    return IsRecord(data, size) ? (data[21] & 3) + 1 : 0;
}

Bytes CopiedStretchOpening(const uint8_t* data, int size) {
    Bytes sets = ParameterSetsLengthPrefixed(data, size);
    if (sets.empty() || IsRecord(data, size))
        return sets;
    return Bytes(data, data + size); // a transport stream's units keep their start codes
}

void MarkAsSpliceStart(uint8_t* data, int size) {
    constexpr int kCra = 21, kBlaWithoutLeading = 18;
    auto mark = [](uint8_t* header) {
        if (((*header >> 1) & 0x3f) == kCra)
            *header = uint8_t((*header & 0x81) | (kBlaWithoutLeading << 1));
    };
    if (IsAnnexB(data, size)) {
        for (int i = 0; i + 3 < size; ++i)
            if (StartCodeAt(data, size, i))
                mark(data + i + 3);
        return;
    }
    for (int at = 0; at + 4 < size;) {
        const int64_t length = (int64_t(data[at]) << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) | data[at + 3];
        at += 4;
        if (length <= 0 || at + length > size)
            return;
        mark(data + at);
        at += int(length);
    }
}

Bytes LengthPrefixedKeepingAll(const uint8_t* data, int size) {
    if (!IsAnnexB(data, size))
        return Bytes(data, data + size);
    Bytes out;
    ForEachUnit(data, size, [&out](const uint8_t* nal, int length) {
        PutLength(out, length);
        out.insert(out.end(), nal, nal + length);
    });
    return out;
}

} // namespace hevc
