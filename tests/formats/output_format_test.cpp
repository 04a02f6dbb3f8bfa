#include "formats/output_format.h"

#include <gtest/gtest.h>

TEST(OutputFormat, ExtensionsCoverEveryIndexInAndOutOfRange) {
    // Same as source has none of its own: its files are named after their first video.
    const QStringList expected{"mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "mpg", "avi", "wmv", "mp4", ""};
    ASSERT_EQ(OutputFormat::Count, expected.size());
    for (int i = 0; i < OutputFormat::Count; ++i) EXPECT_EQ(FormatExtension(i), expected[i]) << i;
    EXPECT_EQ(FormatExtension(-1), "mpg");
    EXPECT_EQ(FormatExtension(12), "mpg");
}

// The extension of the files a render writes, given the first video it reads.
TEST(OutputFormat, SameAsSourceTakesTheFirstVideosExtensionInLowerCaseAndTheOthersTheirOwn) {
    struct Case { int format; const char* firstVideo; const char* extension; const char* problem; };
    const Case cases[] = {
        {11, "/v/clip.MOV", "mov", ""},
        {11, "/v/phone.mp4", "mp4", ""},
        {11, "/v.dir/holiday.2024.mkv", "mkv", ""},
        {11, "/v/dvd.VOB", "vob", ""},
        {11, "", "", "the list holds none"},
        {11, "/v.dir/clip", "", "\"/v.dir/clip\", and it has none"},
        {8, "/v/clip.MOV", "avi", ""},
        {10, "", "mp4", ""},
        {4, "/v/clip", "mpg", ""},
        {12, "/v/clip.mkv", "mpg", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutputExtensionFor(c.format, c.firstVideo), c.extension) << c.format << " " << c.firstVideo;
        const QString problem = OutputExtensionProblem(c.format, c.firstVideo);
        EXPECT_EQ(problem.isEmpty(), QString(c.problem).isEmpty()) << problem.toStdString();
        EXPECT_TRUE(problem.contains(c.problem)) << problem.toStdString();
    }
    OutputSelection output;
    output.Select(OutputFormat::SameAsSource);
    EXPECT_EQ(output.ExtensionFor("/v/clip.MOV"), "mov");
    output.Select(OutputFormat::Wmv);
    EXPECT_EQ(output.ExtensionFor("/v/clip.MOV"), "wmv");
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
    EXPECT_EQ(name, "Same as source");
    FormatShortName(12, name);
    EXPECT_EQ(name, "Same as source");
    FormatShortName(-1, name);
    EXPECT_EQ(name, "Same as source");
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
