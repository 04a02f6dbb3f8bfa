#include "formats/output_format.h"

#include <gtest/gtest.h>

TEST(OutputFormat, ExtensionsCoverEveryIndexInAndOutOfRange) {
    const QStringList expected{"mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "avi", "wmv", "mp4"};
    for (int i = 0; i < OutputFormat::Count; ++i) EXPECT_EQ(FormatExtension(i), expected[i]) << i;
    EXPECT_EQ(FormatExtension(-1), "mpg");
    EXPECT_EQ(FormatExtension(11), "mpg");
    EXPECT_EQ(FormatExtension(12), "mpg");
}

TEST(OutputFormat, ShortNamesLeaveTheNameAloneOutsideTheRange) {
    QString name = "unchanged";
    FormatShortName(4, name);
    EXPECT_EQ(name, "DVD PAL");
    FormatShortName(8, name);
    EXPECT_EQ(name, "AVI");
    FormatShortName(9, name);
    EXPECT_EQ(name, "WMV");
    FormatShortName(10, name);
    EXPECT_EQ(name, "MP4");
    FormatShortName(11, name);
    EXPECT_EQ(name, "MP4");
    FormatShortName(-1, name);
    EXPECT_EQ(name, "MP4");
}

TEST(OutputFormat, TheTwoListsDifferInExactlyTwoSpellings) {
    ASSERT_EQ(SplitFormatNames().size(), OutputFormat::Count);
    ASSERT_EQ(JoinFormatNames().size(), OutputFormat::Count);
    EXPECT_EQ(SplitFormatNames()[OutputFormat::Mp4], "MP4 (H.264 + AAC)");
    QList<int> differing;
    for (int i = 0; i < OutputFormat::Count; ++i) {
        if (SplitFormatNames()[i] != JoinFormatNames()[i]) differing << i;
    }
    EXPECT_EQ(differing, (QList<int>{4, 8}));
    EXPECT_EQ(SplitFormatNames()[4], "MPEG2 ( DVD PAL)");
    EXPECT_EQ(JoinFormatNames()[4], "MPEG2 ( DVD PAL )");
    EXPECT_EQ(SplitFormatNames()[8], "AVI/Divx/Xvid");
    EXPECT_EQ(JoinFormatNames()[8], "AVI/DivX");
}
