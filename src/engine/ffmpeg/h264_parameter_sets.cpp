#include "engine/ffmpeg/h264_parameter_sets.h"

#include <algorithm>

namespace h264 {

namespace {

constexpr int kSps = 7;
constexpr int kPps = 8;
constexpr int kIdr = 5;

// Reads unsigned Exp-Golomb numbers from an RBSP, skipping emulation prevention bytes.
class BitReader {
public:
    BitReader(const Bytes& nal, size_t from) : data(nal), byte(from) {}
    int bit() {
        if (byte >= data.size())
            return 0;
        if (bitPos == 0 && byte >= 2 && data[byte] == 3 && data[byte - 1] == 0 && data[byte - 2] == 0) {
            ++byte;
            if (byte >= data.size())
                return 0;
        }
        const int b = (data[byte] >> (7 - bitPos)) & 1;
        if (++bitPos == 8) {
            bitPos = 0;
            ++byte;
        }
        return b;
    }
    int ue() {
        int zeros = 0;
        while (bit() == 0 && zeros < 32)
            ++zeros;
        int value = 0;
        for (int i = 0; i < zeros; ++i)
            value = (value << 1) | bit();
        return (1 << zeros) - 1 + value;
    }

private:
    const Bytes& data;
    size_t byte;
    int bitPos = 0;
};

int SpsId(const Bytes& sps) {
    return sps.size() > 4 ? BitReader(sps, 4).ue() : -1; // after the NAL header, profile, flags and level
}

int PpsId(const Bytes& pps) {
    return pps.size() > 1 ? BitReader(pps, 1).ue() : -1;
}

// Calls `nal` for each unit between Annex B start codes.
template <typename F>
void ForEachAnnexBUnit(const uint8_t* data, int size, F nal) {
    auto startCode = [&](int i) { return i + 2 < size && data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1; };
    int i = 0;
    while (i < size && !startCode(i))
        ++i;
    while (i < size) {
        const int begin = i + 3;
        int end = begin;
        while (end < size && !startCode(end))
            ++end;
        int last = end;
        while (last > begin && data[last - 1] == 0 && end < size)
            --last; // the zero byte of a four-byte start code belongs to the next unit
        if (last > begin)
            nal(data + begin, last - begin);
        i = end;
    }
}

bool IsAnnexB(const uint8_t* data, int size) {
    return (size >= 3 && data[0] == 0 && data[1] == 0 && data[2] == 1) ||
           (size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 1);
}

} // namespace

std::optional<AvcRecord> ParseAvcRecord(const uint8_t* data, int size) {
    if (!data || size < 7 || data[0] != 1)
        return std::nullopt;
    AvcRecord r;
    r.header.assign(data, data + 5);
    int at = 5;
    auto sets = [&](int count, std::vector<Bytes>& into) {
        for (int i = 0; i < count; ++i) {
            if (at + 2 > size)
                return false;
            const int length = (data[at] << 8) | data[at + 1];
            at += 2;
            if (length == 0 || at + length > size)
                return false;
            into.emplace_back(data + at, data + at + length);
            at += length;
        }
        return true;
    };
    if (!sets(data[at++] & 0x1f, r.sps) || at >= size || !sets(data[at++], r.pps))
        return std::nullopt;
    r.tail.assign(data + at, data + size);
    return r;
}

Bytes WriteAvcRecord(const AvcRecord& r) {
    Bytes out = r.header;
    auto sets = [&out](const std::vector<Bytes>& list) {
        for (const Bytes& s : list) {
            out.push_back(uint8_t(s.size() >> 8));
            out.push_back(uint8_t(s.size()));
            out.insert(out.end(), s.begin(), s.end());
        }
    };
    out.push_back(uint8_t(0xe0 | r.sps.size()));
    sets(r.sps);
    out.push_back(uint8_t(r.pps.size()));
    sets(r.pps);
    out.insert(out.end(), r.tail.begin(), r.tail.end());
    return out;
}

AvcRecord RecordFromAnnexB(const uint8_t* data, int size) {
    AvcRecord r;
    ForEachAnnexBUnit(data, size, [&r](const uint8_t* nal, int length) {
        const int type = nal[0] & 0x1f;
        if (type == kSps)
            r.sps.emplace_back(nal, nal + length);
        else if (type == kPps)
            r.pps.emplace_back(nal, nal + length);
    });
    if (!r.sps.empty() && r.sps.front().size() >= 4)
        r.header = {1, r.sps.front()[1], r.sps.front()[2], r.sps.front()[3], 0xff};
    return r;
}

int HighestParameterSetId(const AvcRecord& record) {
    int highest = -1;
    for (const Bytes& s : record.sps)
        highest = std::max(highest, SpsId(s));
    for (const Bytes& p : record.pps)
        highest = std::max(highest, PpsId(p));
    return highest;
}

AvcRecord Merge(const AvcRecord& source, const AvcRecord& added) {
    AvcRecord out = source;
    out.sps.insert(out.sps.end(), added.sps.begin(), added.sps.end());
    out.pps.insert(out.pps.end(), added.pps.begin(), added.pps.end());
    if (out.header.size() == 5 && added.header.size() == 5) {
        // The record names the highest level any of its pictures need.
        out.header[3] = std::max(out.header[3], added.header[3]);
    }
    return out;
}

Bytes ToLengthPrefixed(const uint8_t* data, int size) {
    if (!IsAnnexB(data, size))
        return Bytes(data, data + size);
    Bytes out;
    ForEachAnnexBUnit(data, size, [&out](const uint8_t* nal, int length) {
        const int type = nal[0] & 0x1f;
        if (type == kSps || type == kPps)
            return;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(uint8_t(length >> shift));
        out.insert(out.end(), nal, nal + length);
    });
    return out;
}

bool HoldsIdr(const uint8_t* data, int size, int lengthSize) {
    int at = 0;
    while (at + lengthSize < size) {
        int64_t length = 0;
        for (int i = 0; i < lengthSize; ++i)
            length = (length << 8) | data[at + i];
        at += lengthSize;
        if (length <= 0 || at + length > size)
            return false;
        if ((data[at] & 0x1f) == kIdr)
            return true;
        at += int(length);
    }
    return false;
}

} // namespace h264
