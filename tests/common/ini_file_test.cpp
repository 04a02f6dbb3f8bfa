#include "common/ini_file.h"
#include "engine/quillmark_error.h"
#include "support/temp_folder.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(IniFileRead, MatchesSectionsAndKeysInAnyCase) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[GENERAL]\nOutputFormat=3\n[Join]\nJOINOUTPUTPATH=/tmp/out/\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.readInteger("general", "outputformat", 8), 3);
    EXPECT_EQ(ini.readString("join", "joinoutputpath", "x"), "/tmp/out/");
}

TEST(IniFileRead, KeepsValuesRawByteForByte) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\noutputpath=C:\\\nother=  a \"quoted\" ;not a comment\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.readString("general", "outputpath", ""), QString("C:\\"));
    EXPECT_EQ(ini.readString("general", "outputpath", "").size(), 3);
    EXPECT_EQ(ini.readString("general", "other", ""), "a \"quoted\" ;not a comment");
}

TEST(IniFileRead, LenientNumbersFallBackToTheDefault) {
    TempFolder dir;
    const QString path = dir.write("setup.ini",
                                   "[n]\nempty=\nword=abc\nhalf=12abc\nfloaty=3.5\nneg=-7\n"
                                   "rate=29.97\nbadrate=fast\ninf=inf\nhuge=99999999999\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.readInteger("n", "empty", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "word", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "half", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "floaty", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "neg", 5), -7);
    EXPECT_EQ(ini.readInteger("n", "huge", 5), 5);
    EXPECT_EQ(ini.readInteger("n", "missing", 5), 5);
    EXPECT_DOUBLE_EQ(ini.readFloat("n", "rate", 1), 29.97);
    EXPECT_DOUBLE_EQ(ini.readFloat("n", "badrate", 1.5), 1.5);
    EXPECT_DOUBLE_EQ(ini.readFloat("n", "inf", 1.5), 1.5);
}

TEST(IniFileRead, OnlyOneIsATrueFlag) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[f]\none=1\ntwo=2\nzero=0\ntext=yes\n");
    const IniFile ini(path);
    EXPECT_TRUE(ini.readBool("f", "one", false));
    EXPECT_FALSE(ini.readBool("f", "two", true));
    EXPECT_FALSE(ini.readBool("f", "zero", true));
    EXPECT_TRUE(ini.readBool("f", "text", true));  // unreadable gives the default
    EXPECT_TRUE(ini.readBool("f", "missing", true));
}

TEST(IniFileRead, MissingFileGivesDefaultsAndCreatesNothing) {
    TempFolder dir;
    const IniFile ini(dir.path("setup.ini"));
    EXPECT_EQ(ini.readString("general", "outputpath", "d"), "d");
    EXPECT_FALSE(QFileInfo::exists(dir.path("setup.ini")));
}

TEST(IniFileWrite, ReplacesTheKeyInPlaceAndKeepsEverythingElse) {
    TempFolder dir;
    const QByteArray before =
        "; my notes\n[general]\nOutputPath=/old/\n  foreign = kept  \n\n[other]\nx=1\n";
    const QString path = dir.write("setup.ini", before);
    IniFile ini(path);
    ini.writeString("general", "outputpath", "/new/");
    EXPECT_EQ(dir.read("setup.ini"), "; my notes\n[general]\nOutputPath=/new/\n  foreign = kept  \n\n[other]\nx=1\n");
}

TEST(IniFileWrite, AppendsMissingKeysToTheirSectionAndMissingSectionsAtTheEnd) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n\n[join]\nb=2\n");
    IniFile ini(path);
    ini.writeInteger("general", "outputformat", 4);
    ini.writeFloat("dvd", "dvdFrameRate", 29.97);
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=1\noutputformat=4\n\n[join]\nb=2\n\n[dvd]\ndvdFrameRate=29.97\n");
    // A fresh object sees what the first wrote.
    EXPECT_DOUBLE_EQ(IniFile(path).readFloat("DVD", "DVDFRAMERATE", 0), 29.97);
}

TEST(IniFileWrite, KeepsWindowsLineEndings) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\r\na=1\r\n");
    IniFile ini(path);
    ini.writeInteger("general", "a", 2);
    EXPECT_EQ(dir.read("setup.ini"), "[general]\r\na=2\r\n");
}

TEST(IniFileWrite, FloatsUseTheShortestForm) {
    EXPECT_EQ(IniFile::formatFloat(23.976), "23.976");
    EXPECT_EQ(IniFile::formatFloat(25.0), "25");
    EXPECT_EQ(IniFile::formatFloat(29.97), "29.97");
}

TEST(IniFileWrite, FailureSaysWhichFile) {
    TempFolder dir;
    dir.write("blocker", "a file where a folder should be");
    const QString path = dir.path("blocker/setup.ini");
    IniFile ini(path);
    try {
        ini.writeInteger("general", "a", 2);
        FAIL() << "no error raised";
    } catch (const QuillmarkError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
}

TEST(IniFileWrite, FailureWhenThePathIsAFolder) {
    TempFolder dir;
    QDir(dir.path()).mkdir("setup.ini");
    IniFile ini(dir.path("setup.ini"));
    EXPECT_THROW(ini.writeInteger("general", "a", 2), QuillmarkError);
}

TEST(IniFileWrite, LeavesNoTemporaryFilesBehind) {
    TempFolder dir;
    IniFile ini(dir.path("setup.ini"));
    ini.writeInteger("general", "a", 1);
    ini.writeInteger("general", "b", 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"setup.ini"});
}
