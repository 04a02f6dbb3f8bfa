#include "split/part_sizer.h"

#include "formats/output_format.h"

#include <gtest/gtest.h>

namespace {

TEST(ByteSize, ReadsBytesAndBinaryUnitsInEitherCase) {
    EXPECT_EQ(ParseByteSize("700M"), 700LL << 20);
    EXPECT_EQ(ParseByteSize("4G"), 4LL << 30);
    EXPECT_EQ(ParseByteSize("1.5G"), 3LL << 29);
    EXPECT_EQ(ParseByteSize("25m"), 25LL << 20);
    EXPECT_EQ(ParseByteSize("100k"), 100LL << 10);
    EXPECT_EQ(ParseByteSize("1000"), 1000);
    EXPECT_EQ(ParseByteSize(" 2 M "), 2LL << 20);
}

TEST(ByteSize, RefusesWhatIsNoSize) {
    for (const char* bad : {"", "0", "0M", "-5M", "M", "lots", "1.5.2G", "2T", "1e6", "0.0001"})
        EXPECT_EQ(ParseByteSize(bad), 0) << bad;
}

TEST(ByteSize, SaysSizesAsAUserWrites) {
    EXPECT_EQ(ByteSizeText(100 << 10), "100 KB");
    EXPECT_EQ(ByteSizeText(176400), "172 KB");
    EXPECT_EQ(ByteSizeText(3LL << 19), "1.5 MB");
    EXPECT_EQ(ByteSizeText(4LL << 30), "4 GB");
    EXPECT_EQ(ByteSizeText(512), "512 bytes");
}

TEST(FramesIn, CountsATrailingPartOfAFrameAsOne) {
    EXPECT_EQ(FramesIn(30, 25), 750);
    EXPECT_EQ(FramesIn(30.01, 25), 751);
    EXPECT_EQ(FramesIn(1001.0 / 30000 * 3, 30000.0 / 1001), 3);  // no rounding error adds a frame
}

FormatRate Rate(double bytesPerSecond, bool constant = false) {
    FormatRate r;
    r.bytesPerSecond = bytesPerSecond;
    r.constant = constant;
    return r;
}

TEST(PartSizer, PredictsWholeFramesUnderTheBoundFromTheRate) {
    // 100 000 bytes a second at 25 fps: 4000 a frame; 1 MB aims at 95 % of it.
    const PartSizer sizer(1 << 20, 25, Rate(100000));
    EXPECT_EQ(sizer.NextFrames(10000), int64_t(0.95 * (1 << 20) / 4000));
    EXPECT_EQ(sizer.NextFrames(30), 30);  // the rest of the source fits in one part
    EXPECT_EQ(sizer.PartsFor(3 * 249), 3);  // 249 frames a part
    EXPECT_EQ(sizer.PartsFor(3 * 249 + 1), 4);
    // A padded stream needs less slack.
    EXPECT_GT(PartSizer(1 << 20, 25, Rate(100000, true)).NextFrames(10000), sizer.NextFrames(10000));
}

TEST(PartSizer, APartMeasuredTooBigIsRedoneShorterAndTheNextPredictedShorter) {
    PartSizer sizer(1000000, 25, Rate(100000));
    const int64_t first = sizer.NextFrames(10000);
    const int64_t bytes = 1100000;  // the encoder spent 10 % more than predicted... and then some
    ASSERT_EQ(sizer.Measure(first, bytes, false), PartSizer::Verdict::Shorter);
    const int64_t redo = sizer.RedoFrames(PartSizer::Verdict::Shorter, first, bytes, 10000);
    EXPECT_LT(redo, first);
    EXPECT_LE(redo * sizer.bytesPerFrame(), 1000000);
    EXPECT_LT(sizer.NextFrames(10000), first);
}

TEST(PartSizer, KeepsAPartBetweenTheFloorAndTheBound) {
    PartSizer sizer(1000000, 25, Rate(100000));
    EXPECT_EQ(sizer.Measure(250, 1000000, false), PartSizer::Verdict::Keep);
    EXPECT_EQ(sizer.Measure(250, 850000, false), PartSizer::Verdict::Keep);
    EXPECT_EQ(sizer.Measure(250, 1000001, true), PartSizer::Verdict::Shorter);  // the last part is bound too
    EXPECT_EQ(sizer.Measure(250, 300000, true), PartSizer::Verdict::Keep);      // the rest may be small
}

TEST(PartSizer, APartFarUnderIsRedoneLongerButNotPastTheSource) {
    PartSizer sizer(1000000, 25, Rate(100000));
    ASSERT_EQ(sizer.Measure(237, 500000, false), PartSizer::Verdict::Longer);
    const int64_t redo = sizer.RedoFrames(PartSizer::Verdict::Longer, 237, 500000, 10000);
    EXPECT_GT(redo, 237);
    EXPECT_LE(redo * sizer.bytesPerFrame(), 1000000);
    EXPECT_EQ(sizer.RedoFrames(PartSizer::Verdict::Longer, 237, 500000, 300), 300);
}

TEST(PartSizer, AShorterRedoLosesAtLeastOneFrameEvenWhenBarelyOver) {
    PartSizer sizer(1000000, 25, Rate(100000));
    EXPECT_EQ(sizer.RedoFrames(PartSizer::Verdict::Shorter, 2, 1000001, 100), 1);
    EXPECT_EQ(sizer.RedoFrames(PartSizer::Verdict::Shorter, 1, 5000000, 100), 1);
}

TEST(FormatRate, VcdIsItsMuxRateAndCapsNoEncoder) {
    const FormatRate vcd = EstimateFormatRate(OutputFormat::VcdPal, FormatSettings{});
    EXPECT_TRUE(vcd.constant);
    EXPECT_EQ(vcd.videoCap, 0);
    EXPECT_DOUBLE_EQ(vcd.bytesPerSecond, 176400);
}

TEST(FormatRate, LosslessAviHasNoCapAndSoundlessCostsLess) {
    FormatSettings s;
    s.AviVideoCompressor = 6;  // FFV1
    EXPECT_EQ(EstimateFormatRate(OutputFormat::Avi, s).videoCap, 0);
    s.AviVideoCompressor = 5;
    const FormatRate mpeg4 = EstimateFormatRate(OutputFormat::Avi, s);
    EXPECT_GT(mpeg4.videoCap, 0);
    s.VideoOnly = true;
    EXPECT_LT(EstimateFormatRate(OutputFormat::Avi, s).bytesPerSecond, mpeg4.bytesPerSecond);
}

}  // namespace
