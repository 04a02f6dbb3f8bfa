#include "engine/ffmpeg/mpeg_group.h"

namespace mpeg {

namespace {

constexpr uint8_t kPicture = 0x00;
constexpr uint8_t kGroup = 0xb8;

constexpr uint8_t kSequence = 0xb3;

// Calls `at` with the offset just past each start code of the given kind among
// the headers. The headers come before the picture's first slice: the slices,
// nearly all of the packet, are not looked at.
template <typename F>
void ForEachStartCode(const AVPacket* p, uint8_t code, F at) {
    for (int i = 0; i + 5 < p->size; ++i) {
        if (p->data[i] != 0 || p->data[i + 1] != 0 || p->data[i + 2] != 1)
            continue;
        const uint8_t found = p->data[i + 3];
        if (found >= 0x01 && found <= 0xaf)
            return;
        if (found == code)
            at(i + 4);
    }
}

} // namespace

int TemporalReference(const AVPacket* packet) {
    int reference = -1;
    ForEachStartCode(packet, kPicture, [&](int at) {
        if (reference < 0)
            reference = (packet->data[at] << 2) | (packet->data[at + 1] >> 6);
    });
    return reference;
}

bool HoldsSequenceHeader(const AVPacket* packet) {
    bool found = false;
    ForEachStartCode(packet, kSequence, [&found](int) { found = true; });
    return found;
}

bool HoldsGroupHeader(const AVPacket* packet) {
    bool found = false;
    ForEachStartCode(packet, kGroup, [&found](int) { found = true; });
    return found;
}

void CloseGroup(AVPacket* packet) {
    if (av_packet_make_writable(packet) < 0)
        return;
    // 25 bits of time code, then closed_gop and broken_link.
    ForEachStartCode(packet, kGroup, [packet](int at) {
        if (at + 3 < packet->size)
            packet->data[at + 3] = uint8_t((packet->data[at + 3] | 0x40) & ~0x20);
    });
}

void ShiftTemporalReferences(AVPacket* packet, int by) {
    if (by == 0 || av_packet_make_writable(packet) < 0)
        return;
    ForEachStartCode(packet, kPicture, [packet, by](int at) {
        uint8_t* d = packet->data + at;
        const int reference = (d[0] << 2) | (d[1] >> 6);
        const int moved = (reference - by + 1024) % 1024;
        d[0] = uint8_t(moved >> 2);
        d[1] = uint8_t((d[1] & 0x3f) | ((moved & 3) << 6));
    });
}

} // namespace mpeg
