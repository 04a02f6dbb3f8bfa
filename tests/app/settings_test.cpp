#include "app/settings.h"
#include "common/ini_file.h"
#include "support/temp_folder.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(LoadSettings, DefaultsWithoutAFile) {
    TempFolder dir;
    const LoadedSettings s = LoadSettings(dir.path("setup.ini"), "/home/me/");
    EXPECT_EQ(s.main.OutputPath, "/home/me/");
    EXPECT_EQ(s.main.JoinOutputPath, "/home/me/");
    EXPECT_EQ(s.main.SelectedFormat, 8);
    EXPECT_EQ(s.formats.ResizeMode, 2);  // keeps portrait and wide clips in shape
    EXPECT_DOUBLE_EQ(s.formats.Mp4FrameRate, kSourceFrameRate);
    EXPECT_FALSE(s.formats.VideoOnly);
    EXPECT_EQ(s.formats.VcdWidth, 352);
    EXPECT_EQ(s.formats.VcdHeight, 288);
    EXPECT_DOUBLE_EQ(s.formats.VcdFrameRate, 23.976);
    EXPECT_EQ(s.formats.SvcdWidth, 480);
    EXPECT_EQ(s.formats.SvcdHeight, 576);
    EXPECT_EQ(s.formats.DvdWidth, 720);
    EXPECT_EQ(s.formats.DvdHeight, 576);
    EXPECT_DOUBLE_EQ(s.formats.DvdFrameRate, 29.97);
    EXPECT_EQ(s.formats.MpegWidth, 480);
    EXPECT_EQ(s.formats.MpegHeight, 576);
    EXPECT_DOUBLE_EQ(s.formats.MpegFrameRate, 23.976);
    EXPECT_EQ(s.formats.MpegAudioBitrate, 128);
    EXPECT_EQ(s.formats.MpegAudioSampleRate, 44100);
    EXPECT_EQ(s.formats.AviWidth, 352);
    EXPECT_EQ(s.formats.AviHeight, 240);
    EXPECT_EQ(s.formats.AviAudioCompressor, 4);
    EXPECT_EQ(s.formats.AviVideoCompressor, 5);
    EXPECT_FALSE(s.formats.AviOriginalSize);
    EXPECT_EQ(s.formats.WmvProfile, 0);
    EXPECT_DOUBLE_EQ(s.pictures.PictureDuration, 4);
    EXPECT_DOUBLE_EQ(s.pictures.TransitionDuration, 2);
    EXPECT_EQ(s.pictures.TransitionIndex, 0);
    EXPECT_TRUE(s.pictures.RandomTransition);
    EXPECT_TRUE(s.pictures.MusicFile.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path("setup.ini")));
}

TEST(LoadSettings, ReadsStoredValuesLeniently) {
    TempFolder dir;
    const QString path = dir.write("setup.ini",
                                   "[General]\noutputpath=C:\\\noutputformat=12\nvideoonly=2\nresizemode=3\n"
                                   "[join]\njoinpicduration=7\njointransition=-1\n"
                                   "[dvd]\ndvdFrameRate=fast\n[mpeg]\ndvdFrameRate=fast\ndvdwidth=640\n"
                                   "[avi]\nfaviorigsize=1\n");
    const LoadedSettings s = LoadSettings(path, "/home/me/");
    EXPECT_EQ(s.main.OutputPath, QString("C:\\"));
    EXPECT_EQ(s.main.SelectedFormat, 12);
    EXPECT_FALSE(s.formats.VideoOnly);  // only 1 is true
    EXPECT_EQ(s.formats.ResizeMode, 3);
    EXPECT_DOUBLE_EQ(s.pictures.PictureDuration, 7);
    EXPECT_EQ(s.pictures.TransitionIndex, -1);
    EXPECT_TRUE(s.pictures.RandomTransition);  // missing reads as true
    // The same unreadable text falls back to each section's own default.
    EXPECT_DOUBLE_EQ(s.formats.DvdFrameRate, 29.97);
    EXPECT_DOUBLE_EQ(s.formats.MpegFrameRate, 23.976);
    // The standard MPEG section shares the dvd key names but not the dvd values.
    EXPECT_EQ(s.formats.MpegWidth, 640);
    EXPECT_EQ(s.formats.DvdWidth, 720);
    EXPECT_TRUE(s.formats.AviOriginalSize);
    EXPECT_EQ(s.main.JoinOutputPath, "/home/me/");
}

TEST(SaveMainSettings, WritesExactlyTheThreeKeys) {
    TempFolder dir;
    const QString path = dir.path("setup.ini");
    SaveMainSettings(path, {"C:\\", 12, "/films/"});
    EXPECT_EQ(dir.read("setup.ini"), "[general]\noutputpath=C:\\\noutputformat=12\n\n[join]\njoinoutputpath=/films/\n");
    const LoadedSettings back = LoadSettings(path, "/x/");
    EXPECT_EQ(back.main.SelectedFormat, 12);
    EXPECT_EQ(back.main.OutputPath, QString("C:\\"));
}

TEST(SaveMainSettings, PathsTheUserWroteInLatin1ComeBackAsWrittenAndStayUntouched) {
    TempFolder dir;
    const QByteArray before = "[General]\r\nOutputPath = /media/Vid\xe9os/\r\nOutputFormat=3\r\n"
                              "[join]\r\njoinoutputpath=/home/j\xfcrgen/\r\n";
    const QString path = dir.write("setup.ini", before);
    const LoadedSettings s = LoadSettings(path, "/x/");
    EXPECT_EQ(s.main.OutputPath, QString::fromUtf8("/media/Vidéos/"));
    EXPECT_EQ(s.main.JoinOutputPath, QString::fromUtf8("/home/jürgen/"));
    // Closing the window with nothing changed leaves the file as it was.
    SaveMainSettings(path, s.main);
    EXPECT_EQ(dir.read("setup.ini"), before);
    MainSettings changed = s.main;
    changed.SelectedFormat = 5;
    SaveMainSettings(path, changed);
    QByteArray expected = before;
    expected.replace("OutputFormat=3", "OutputFormat=5");
    EXPECT_EQ(dir.read("setup.ini"), expected);
}

TEST(FormatSettingsFile, RoundTripsEveryKeyUnderItsOwnName) {
    TempFolder dir;
    const QString path = dir.path("setup.ini");
    FormatSettings s;
    s.ResizeMode = 2;
    s.VideoOnly = true;
    s.SmartRender = false;
    s.VcdMode = 1;
    s.VcdHeight = 240;
    s.DvdFrameRate = 59.94;
    s.MpegWidth = 352;
    s.MpegFrameRate = 25;
    s.MpegAudioBitrate = 192;
    s.MpegAudioSampleRate = 48000;
    s.AviVideoCompressor = 2;
    s.AviOriginalSize = true;
    s.WmvProfile = 3;
    {
        IniFile ini(path);
        SaveFormatSettings(ini, s);
    }
    const QByteArray text = dir.read("setup.ini");
    EXPECT_TRUE(text.startsWith("[general]\nresizemode=2\nvideoonly=1\nsmartrender=0\n\n[vcd]\nvcdmode=1\n"));
    EXPECT_TRUE(text.contains("[mpeg]\ndvdwidth=352\ndvdheight=576\ndvdFrameRate=25\ndvdbitrate=192\n"
                              "dvdSampleRate=48000\n"));
    EXPECT_TRUE(text.contains("[dvd]\ndvdmode=0\ndvdwidth=720\ndvdheight=576\ndvdFrameRate=59.94\n"));
    EXPECT_TRUE(text.contains("faviorigsize=1\n\n[wmv]\nwmvprofile=3\n"));
    const FormatSettings back = LoadFormatSettings(IniFile(path));
    EXPECT_EQ(back.ResizeMode, 2);
    EXPECT_TRUE(back.VideoOnly);
    EXPECT_FALSE(back.SmartRender);
    EXPECT_EQ(back.VcdHeight, 240);
    EXPECT_DOUBLE_EQ(back.DvdFrameRate, 59.94);
    EXPECT_EQ(back.MpegWidth, 352);
    EXPECT_EQ(back.DvdWidth, 720);
    EXPECT_EQ(back.MpegAudioSampleRate, 48000);
    EXPECT_TRUE(back.AviOriginalSize);
    EXPECT_EQ(back.WmvProfile, 3);
}

TEST(PictureOptionsFile, DurationsAreStoredAsWholeSeconds) {
    TempFolder dir;
    const QString path = dir.path("setup.ini");
    {
        IniFile ini(path);
        SavePictureOptions(ini, {2.9, 1.5, -1, false, "/music/song.mp3"});
    }
    EXPECT_EQ(dir.read("setup.ini"),
              "[join]\njoinpicduration=2\njointransduration=1\njointransition=-1\nrandomtrans=0\n");
    const PictureOptions back = LoadPictureOptions(IniFile(path));
    EXPECT_DOUBLE_EQ(back.PictureDuration, 2);
    EXPECT_DOUBLE_EQ(back.TransitionDuration, 1);
    EXPECT_FALSE(back.RandomTransition);
    EXPECT_TRUE(back.MusicFile.isEmpty());  // the music file is never stored
}
