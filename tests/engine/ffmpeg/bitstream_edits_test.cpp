// The byte-level edits that let copied and encoded pictures share one stream.
#include "engine/ffmpeg/h264_parameter_sets.h"
#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/mpeg_group.h"

#include <gtest/gtest.h>

namespace {

using h264::Bytes;

// An SPS whose id is `id` (ue(v) after profile, flags and level) and a PPS of
// `id` referring to SPS `id`; the bits after them do not matter here.
Bytes Sps(int id) {
    // ue(0) = "1", ue(1) = "010", ue(2) = "011"
    const uint8_t idBits[] = {0x80, 0x40, 0x60};
    return {0x67, 0x64, 0x00, 0x1f, idBits[id], 0x11};
}
Bytes Pps(int id) {
    const uint8_t idBits[] = {0x80, 0x40, 0x60};
    return {0x68, idBits[id], 0x22};
}

Bytes AnnexB(const std::vector<Bytes>& units) {
    Bytes out;
    for (const Bytes& u : units) {
        out.insert(out.end(), {0, 0, 0, 1});
        out.insert(out.end(), u.begin(), u.end());
    }
    return out;
}

TEST(H264ParameterSets, AnEncodersSetsJoinTheSourceRecordUnderIdsOfTheirOwn) {
    h264::AvcRecord source;
    source.header = {1, 0x4d, 0x40, 0x1e, 0xff};
    source.sps = {Sps(0)};
    source.pps = {Pps(0)};
    source.tail = {0xfd, 0xf8, 0xf8, 0x00};
    const Bytes written = h264::WriteAvcRecord(source);
    const auto parsed = h264::ParseAvcRecord(written.data(), int(written.size()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sps, source.sps);
    EXPECT_EQ(parsed->tail, source.tail) << "the High profile bytes survive";
    EXPECT_EQ(parsed->lengthSize(), 4);
    EXPECT_EQ(h264::HighestParameterSetId(*parsed), 0);

    const Bytes encoderHeader = AnnexB({Sps(1), Pps(1), {0x06, 0x05, 0x01}});
    const h264::AvcRecord added = h264::RecordFromAnnexB(encoderHeader.data(), int(encoderHeader.size()));
    ASSERT_EQ(added.sps.size(), 1u);
    ASSERT_EQ(added.pps.size(), 1u);
    EXPECT_EQ(h264::HighestParameterSetId(added), 1);

    const h264::AvcRecord both = h264::Merge(*parsed, added);
    const Bytes merged = h264::WriteAvcRecord(both);
    const auto again = h264::ParseAvcRecord(merged.data(), int(merged.size()));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->sps, (std::vector<Bytes>{Sps(0), Sps(1)}));
    EXPECT_EQ(again->pps, (std::vector<Bytes>{Pps(0), Pps(1)}));
    EXPECT_EQ(again->header[3], 0x1f) << "the record names the higher level";

    EXPECT_FALSE(h264::ParseAvcRecord(encoderHeader.data(), int(encoderHeader.size()))) << "Annex B is no record";
    EXPECT_FALSE(h264::ParseAvcRecord(written.data(), 9)) << "a cut record is refused";
}

TEST(H264ParameterSets, EncodedPacketsBecomeLengthPrefixedWithoutTheirParameterSets) {
    const Bytes idr = {0x65, 0x88, 0x84, 0x00, 0x00, 0x03, 0x01};
    const Bytes packet = AnnexB({Sps(1), Pps(1), idr});
    const Bytes converted = h264::ToLengthPrefixed(packet.data(), int(packet.size()));
    Bytes expected = {0, 0, 0, uint8_t(idr.size())};
    expected.insert(expected.end(), idr.begin(), idr.end());
    EXPECT_EQ(converted, expected);
    EXPECT_TRUE(h264::HoldsIdr(converted.data(), int(converted.size()), 4));
    EXPECT_EQ(h264::ToLengthPrefixed(converted.data(), int(converted.size())), converted) << "already prefixed";

    const Bytes slice = {0, 0, 0, 3, 0x41, 0x9a, 0x00};
    EXPECT_FALSE(h264::HoldsIdr(slice.data(), int(slice.size()), 4));
    const Bytes lying = {0, 0, 0, 9, 0x65, 0x88};
    EXPECT_FALSE(h264::HoldsIdr(lying.data(), int(lying.size()), 4)) << "a length past the end is no IDR";
}

struct Packet {
    AVPacket* p = av_packet_alloc();
    explicit Packet(const std::vector<uint8_t>& bytes) {
        av_new_packet(p, int(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), p->data);
    }
    ~Packet() { av_packet_free(&p); }
    std::vector<uint8_t> bytes() const { return {p->data, p->data + p->size}; }
};

TEST(MpegGroup, TheFirstGroupOfACopyIsClosedAndCountsFromItsKeyframe) {
    // A group header (open and broken, time code bits set), then an I picture with temporal reference 2.
    Packet key({0, 0, 1, 0xb8, 0x00, 0x08, 0x00, 0x3f, 0, 0, 1, 0x00, 0x00, 0x8f, 0xff, 0xf8});
    EXPECT_TRUE(mpeg::HoldsGroupHeader(key.p));
    EXPECT_EQ(mpeg::TemporalReference(key.p), 2);
    mpeg::CloseGroup(key.p);
    EXPECT_EQ(key.bytes()[7], 0x5f) << "closed_gop set, broken_link cleared, the time code kept";
    mpeg::ShiftTemporalReferences(key.p, 2);
    EXPECT_EQ(mpeg::TemporalReference(key.p), 0);
    EXPECT_EQ(key.bytes()[13] & 0x3f, 0x0f) << "the picture type after the reference is kept";

    Packet picture({0, 0, 1, 0x00, 0x01, 0x5f, 0xff, 0xf8}); // temporal reference 5
    EXPECT_FALSE(mpeg::HoldsGroupHeader(picture.p));
    mpeg::ShiftTemporalReferences(picture.p, 2);
    EXPECT_EQ(mpeg::TemporalReference(picture.p), 3);
}

} // namespace
