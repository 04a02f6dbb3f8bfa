#include "formats/format_value_lists.h"

#include <gtest/gtest.h>

// Each list's texts and values are kept apart in the code; a drift between them
// would show one number and store another.
TEST(FormatValueLists, EveryEntryShowsTheValueItStoresAndMapsBack) {
    ASSERT_EQ(FrameRateItems().size(), 7);
    for (int i = 0; i < FrameRateItems().size(); ++i) {
        EXPECT_EQ(FrameRateFromIndex(i), FrameRateItems()[i].toDouble()) << i;
        EXPECT_EQ(IndexOfFrameRate(FrameRateFromIndex(i)), i) << i;
    }
    ASSERT_EQ(Mp4FrameRateItems().size(), 9);
    EXPECT_EQ(Mp4FrameRateItems().front(), "Same as source");
    EXPECT_EQ(Mp4FrameRateItems().back(), "60");
    for (int i = 0; i < Mp4FrameRateItems().size(); ++i) {
        EXPECT_EQ(Mp4FrameRateFromIndex(i), i == 0 ? 0 : Mp4FrameRateItems()[i].toDouble()) << i;
        EXPECT_EQ(IndexOfMp4FrameRate(Mp4FrameRateFromIndex(i)), i) << i;
    }
    EXPECT_EQ(IndexOfMp4FrameRate(12.5), 0);
    EXPECT_EQ(Mp4FrameRateFromIndex(-1), 0);
    ASSERT_EQ(BitrateItems().size(), 15);
    for (int i = 0; i < BitrateItems().size(); ++i) {
        EXPECT_EQ(BitrateFromIndex(i), BitrateItems()[i].toInt()) << i;
        EXPECT_EQ(IndexOfBitrate(BitrateFromIndex(i)), i) << i;
    }
    ASSERT_EQ(SampleRateItems(), (QStringList{"32000", "44100", "48000"}));
    for (int i = 0; i < SampleRateItems().size(); ++i) {
        EXPECT_EQ(SampleRateFromIndex(i), SampleRateItems()[i].toInt()) << i;
        EXPECT_EQ(IndexOfSampleRate(SampleRateFromIndex(i)), i) << i;
    }
}

TEST(FormatValueLists, NoSelectionOrAPositionOutsideGivesTheDefault) {
    for (int index : {-1, -7, 1000}) {
        EXPECT_EQ(FrameRateFromIndex(index), 23.976) << index;
        EXPECT_EQ(BitrateFromIndex(index), 128) << index;
        EXPECT_EQ(SampleRateFromIndex(index), 44100) << index;
    }
    EXPECT_EQ(FrameRateFromIndex(7), 23.976);
    EXPECT_EQ(BitrateFromIndex(15), 128);
    EXPECT_EQ(SampleRateFromIndex(3), 44100);
}

TEST(FormatValueLists, ValuesOutsideTheListsSelectTheDefaultEntry) {
    EXPECT_EQ(FrameRateItems()[IndexOfFrameRate(12.5)], "23.976");
    EXPECT_EQ(IndexOfFrameRate(29.970001), 0);  // close is not equal
    EXPECT_EQ(IndexOfFrameRate(0), 0);
    EXPECT_EQ(BitrateItems()[IndexOfBitrate(100)], "128");
    EXPECT_EQ(BitrateItems()[IndexOfBitrate(0)], "128");
    EXPECT_EQ(SampleRateItems()[IndexOfSampleRate(22050)], "44100");
    EXPECT_EQ(IndexOfFrameRate(29.97), 3);
    EXPECT_EQ(IndexOfFrameRate(59.94), 6);
}

TEST(FormatValueLists, ModesPresetOnlyTheHeight) {
    EXPECT_EQ(ModePresetHeight(DiscFamily::Vcd, 0), 288);
    EXPECT_EQ(ModePresetHeight(DiscFamily::Vcd, 1), 240);
    EXPECT_EQ(ModePresetHeight(DiscFamily::Svcd, 0), 576);
    EXPECT_EQ(ModePresetHeight(DiscFamily::Svcd, 1), 480);
    EXPECT_EQ(ModePresetHeight(DiscFamily::Dvd, 0), 576);
    EXPECT_EQ(ModePresetHeight(DiscFamily::Dvd, 1), 480);
    for (int mode : {-1, 2}) {
        EXPECT_FALSE(ModePresetHeight(DiscFamily::Vcd, mode).has_value()) << mode;
        EXPECT_FALSE(ModePresetHeight(DiscFamily::Dvd, mode).has_value()) << mode;
    }
}
