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
                                               "quality=18\npreset=4\naudiobitrate=320\n"));
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
