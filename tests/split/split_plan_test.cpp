#include "engine/quillmark_error.h"
#include "split/split_plan.h"

#include <gtest/gtest.h>

TEST(ClockText, FormatsHoursMinutesAndSeconds) {
    EXPECT_EQ(FormatClock(0), "00:00:00");
    EXPECT_EQ(FormatClock(59), "00:00:59");
    EXPECT_EQ(FormatClock(3600), "01:00:00");
    EXPECT_EQ(FormatClock(3725), "01:02:05");
    EXPECT_EQ(FormatClock(360000), "100:00:00");
}

TEST(ClockText, ParsesFixedPositionsAndRejectsOtherForms) {
    EXPECT_EQ(ParseClock("01:02:05"), 3725);
    EXPECT_EQ(ParseClock(""), 0);
    EXPECT_EQ(ParseClock(FormatClock(359999)), 359999);
    EXPECT_THROW(ParseClock("1:2:3"), QuillmarkError);
    EXPECT_THROW(ParseClock("ab:cd:ef"), QuillmarkError);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(3725.5), 3726);
    EXPECT_EQ(RoundHalfEven(3724.5), 3724);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(FormatClock(RoundHalfEven(3725.5)), "01:02:06");
    EXPECT_EQ(FormatClock(RoundHalfEven(3724.5)), "01:02:04");
}

TEST(CeilParts, RoundsUpAnyFraction) {
    EXPECT_EQ(CeilParts(3.0), 3);
    EXPECT_EQ(CeilParts(3.2), 4);
    EXPECT_EQ(CeilParts(2.0001), 3);
    EXPECT_EQ(CeilParts(125.0 / 60.0), 3);
    EXPECT_EQ(CeilParts(0), 0);
    EXPECT_EQ(CeilParts(1e300), INT32_MAX);
}

TEST(TimeModeSlices, WorksOnWholeSecondsOfTheSource) {
    EXPECT_EQ(TimeModeSlices(300, 120), 3);
    EXPECT_EQ(TimeModeSlices(240.9, 120), 2);  // the run itself writes 3 parts
    EXPECT_EQ(TimeModeSlices(120.5, 60), 2);
    EXPECT_EQ(TimeModeSlices(300, 0), 0);
    EXPECT_EQ(TimeModeSlices(0, 60), 0);
}

TEST(PartNames, DropOnlyTheLastExtension) {
    EXPECT_EQ(PartFileName("/clips/holiday.avi", 3, "mpg"), "holiday-3.mpg");
    EXPECT_EQ(PartFileName("/clips/clip", 1, "mpg"), "clip-1.mpg");
    EXPECT_EQ(PartFileName("/clips/a.b.wmv", 2, "avi"), "a.b-2.avi");
    EXPECT_EQ(SourceBaseName("/clips.d/noext"), "noext");
}
