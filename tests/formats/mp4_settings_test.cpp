#include "common/ini_file.h"
#include "formats/format_settings.h"
#include "formats/output_format.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

TEST(Mp4Settings, KeysRoundTripInTheirOwnSection) {
    TempFolder dir;
    FormatSettings s;
    s.Mp4Width = 854;
    s.Mp4Height = 480;
    s.Mp4OriginalSize = false;
    s.Mp4FrameRate = 29.97;
    s.Mp4Quality = 18;
    s.Mp4Preset = 4;
    s.Mp4AudioBitrate = 320;
    {
        IniFile ini(dir.path("setup.ini"));
        SaveFormatSettings(ini, s);
    }
    EXPECT_TRUE(dir.read("setup.ini").endsWith("[mp4]\nwidth=854\nheight=480\noriginalsize=0\nframerate=29.97\n"
                                               "quality=18\npreset=4\naudiobitrate=320\n\n[source]\nquality=0\n"));
    const FormatSettings back = LoadFormatSettings(IniFile(dir.path("setup.ini")));
    EXPECT_EQ(back.Mp4Width, 854);
    EXPECT_EQ(back.Mp4Height, 480);
    EXPECT_FALSE(back.Mp4OriginalSize);
    EXPECT_DOUBLE_EQ(back.Mp4FrameRate, 29.97);
    EXPECT_EQ(back.Mp4Quality, 18);
    EXPECT_EQ(back.Mp4Preset, 4);
    EXPECT_EQ(back.Mp4AudioBitrate, 320);
    EXPECT_DOUBLE_EQ(OutputFrameRate(OutputFormat::Mp4, back), 29.97);
}

TEST(Mp4Settings, UnreadableOrOutOfRangeValuesGiveTheDefaults) {
    TempFolder dir;
    dir.write("setup.ini", "[mp4]\nwidth=-5\nheight=abc\noriginalsize=maybe\nframerate=0\nquality=40\npreset=9\n"
                           "audiobitrate=64\n");
    const FormatSettings back = LoadFormatSettings(IniFile(dir.path("setup.ini")));
    const FormatSettings d;
    EXPECT_EQ(back.Mp4Width, d.Mp4Width);
    EXPECT_EQ(back.Mp4Height, d.Mp4Height);
    EXPECT_EQ(back.Mp4OriginalSize, d.Mp4OriginalSize);
    EXPECT_DOUBLE_EQ(back.Mp4FrameRate, kSourceFrameRate);
    EXPECT_EQ(back.Mp4Quality, 23);
    EXPECT_EQ(back.Mp4Preset, d.Mp4Preset);
    EXPECT_EQ(back.Mp4AudioBitrate, 160);
}

// A quality is kept as stored; anything the spin box cannot show comes back as
// "as good as the source".
TEST(SourceSettings, QualityRoundTripsInItsOwnSectionAndFallsBackOutsideZeroToFiftyOne) {
    struct Case { const char* stored; int read; };
    for (const Case c : {Case{"0", 0}, Case{"1", 1}, Case{"51", 51}, Case{"52", 0}, Case{"-1", 0}, Case{"best", 0},
                         Case{"", 0}}) {
        TempFolder dir;
        dir.write("setup.ini", QByteArray("[source]\nquality=") + c.stored + "\n");
        const FormatSettings read = LoadFormatSettings(IniFile(dir.path("setup.ini")));
        EXPECT_EQ(read.SourceQuality, c.read) << c.stored;
        {
            IniFile ini(dir.path("setup.ini"));
            SaveFormatSettings(ini, read);
        }
        EXPECT_TRUE(dir.read("setup.ini").contains("[source]\nquality=" + QByteArray::number(c.read) + "\n"));
        EXPECT_EQ(LoadFormatSettings(IniFile(dir.path("setup.ini"))).SourceQuality, c.read) << c.stored;
    }
    TempFolder empty;
    EXPECT_EQ(LoadFormatSettings(IniFile(empty.path("setup.ini"))).SourceQuality, 0);
}
