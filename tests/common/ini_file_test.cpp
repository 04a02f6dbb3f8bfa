#include "common/ini_file.h"
#include "engine/quillmark_error.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>
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
    ini.setString("general", "outputpath", "/new/");
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "; my notes\n[general]\nOutputPath=/new/\n  foreign = kept  \n\n[other]\nx=1\n");
}

TEST(IniFileWrite, AppendsMissingKeysToTheirSectionAndMissingSectionsAtTheEnd) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n\n[join]\nb=2\n");
    IniFile ini(path);
    ini.setInteger("general", "outputformat", 4);
    ini.setFloat("dvd", "dvdFrameRate", 29.97);
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=1\noutputformat=4\n\n[join]\nb=2\n\n[dvd]\ndvdFrameRate=29.97\n");
    // A fresh object sees what the first wrote.
    EXPECT_DOUBLE_EQ(IniFile(path).readFloat("DVD", "DVDFRAMERATE", 0), 29.97);
}

TEST(IniFileWrite, KeepsWindowsLineEndings) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\r\na=1\r\n");
    IniFile ini(path);
    ini.setInteger("general", "a", 2);
    ini.setInteger("general", "b", 3);
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\r\na=2\r\nb=3\r\n");
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
    ini.setInteger("general", "a", 2);
    try {
        ini.save();
        FAIL() << "no error raised";
    } catch (const QuillmarkError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
}

// Every file in the folder: a failed or finished save leaves no temporary behind.
QStringList filesIn(const TempFolder& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot);
}

TEST(IniFileWrite, FailureWhenThePathIsAFolderLeavesNoTemporary) {
    TempFolder dir;
    QDir(dir.path()).mkdir("setup.ini");
    IniFile ini(dir.path("setup.ini"));
    ini.setInteger("general", "a", 2);
    EXPECT_THROW(ini.save(), QuillmarkError);
    EXPECT_EQ(filesIn(dir), QStringList{"setup.ini"});
}

TEST(IniFileWrite, FailureInAReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    IniFile ini(path);
    ini.setInteger("general", "a", 2);
    EXPECT_THROW(ini.save(), QuillmarkError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=1\n");
    EXPECT_EQ(filesIn(dir), QStringList{"setup.ini"});
}

TEST(IniFileWrite, SetsReachTheDiskOnlyOnSave) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n");
    IniFile ini(path);
    ini.setInteger("general", "a", 2);
    ini.setInteger("general", "b", 3);
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=1\n");
    EXPECT_EQ(ini.readInteger("general", "b", 0), 3);  // the object sees its own sets at once
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=2\nb=3\n");
    EXPECT_EQ(filesIn(dir), QStringList{"setup.ini"});
}

TEST(IniFileWrite, ALeftoverOfAKilledSaveIsClearedButALiveOneIsNot) {
    TempFolder dir;
    // No process has a number this large (pid_max is at most 2^22).
    dir.write("setup.ini.saving-999999999", "[general]\na=half");
    const QString alive = "setup.ini.saving-1";  // init never goes away
    dir.write(alive, "[general]\n");
    IniFile ini(dir.path("setup.ini"));
    ini.setInteger("general", "a", 1);
    ini.save();
    EXPECT_EQ(filesIn(dir), (QStringList{"setup.ini", alive}));
}

TEST(IniFileWrite, KeepsThePermissionsOfTheFile) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    IniFile ini(path);
    ini.setInteger("general", "a", 2);
    ini.save();
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
}

TEST(IniFileBytes, LinesASaveDoesNotChangeAreKeptByteForByte) {
    TempFolder dir;
    // A Latin-1 path, CRLF line ends, a line with only LF, odd spacing, a comment.
    const QByteArray latin1Line = "OutputPath = C:\\Pfad\\M\xfcll  \r";
    const QByteArray before = "\xEF\xBB\xBF; notes\r\n[ General ]\r\n" + latin1Line +
                              "\n\t OutputFormat\t=  3 \r\nfoo==bar\n\r\n[join]\r\njoinoutputpath=/x/\r\n";
    const QString path = dir.write("setup.ini", before);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("general", "outputpath", ""), QString::fromUtf8("C:\\Pfad\\Müll"));
    ini.setInteger("general", "outputformat", 7);
    ini.setString("general", "outputpath", QString::fromUtf8("C:\\Pfad\\Müll"));  // unchanged
    ini.setInteger("general", "outputformat", 7);
    ini.save();
    const QByteArray after = "\xEF\xBB\xBF; notes\r\n[ General ]\r\n" + latin1Line +
                             "\n\t OutputFormat\t=  7\r\nfoo==bar\n\r\n[join]\r\njoinoutputpath=/x/\r\n";
    EXPECT_EQ(dir.read("setup.ini"), after);
}

TEST(IniFileBytes, ValuesAreWrittenAsUtf8AndReadBack) {
    TempFolder dir;
    const QString value = QString::fromUtf8("/home/zoë/Vidéos «neu»/");
    {
        IniFile ini(dir.path("setup.ini"));
        ini.setString("general", "outputpath", value);
        ini.save();
    }
    EXPECT_EQ(dir.read("setup.ini"), "[general]\noutputpath=" + value.toUtf8() + "\n");
    EXPECT_EQ(IniFile(dir.path("setup.ini")).readString("general", "outputpath", ""), value);
}

TEST(IniFileBytes, AChangedLatin1ValueIsRewrittenAsUtf8) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\noutputpath=C:\\M\xfcll\n");
    IniFile ini(path);
    ini.setString("general", "outputpath", QString::fromUtf8("C:\\Müll\\neu"));
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\noutputpath=C:\\M\xc3\xbcll\\neu\n");
}

TEST(IniFileBytes, AFileWithoutAFinalNewlineKeepsItsLastLine) {
    TempFolder dir;
    const QString path = dir.write("setup.ini", "[general]\na=1\n[join]\nb=2");
    IniFile ini(path);
    ini.setInteger("general", "a", 5);
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=5\n[join]\nb=2");
    ini.setInteger("join", "c", 3);
    ini.save();
    EXPECT_EQ(dir.read("setup.ini"), "[general]\na=5\n[join]\nb=2\nc=3\n");
}

// What may stand where the settings file should: only a regular file is read or
// replaced. A FIFO would hold the reader forever and a device never ends; a link
// to either must not turn it into a file of settings.
TEST(IniFileSafety, OnlyARegularFileIsReadAndOnlyARegularFileIsReplaced) {
    TempFolder dir;
    const QString fifo = dir.path("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QDir(dir.path()).mkdir("folder.ini");
    for (const auto& [path, reason] : {std::pair{fifo, "it is not a regular file"},
                                       std::pair{QStringLiteral("/dev/zero"), "it is not a regular file"},
                                       std::pair{dir.path("folder.ini"), "it is a folder"}}) {
        const IniFile ini(path);
        EXPECT_EQ(ini.problem(), QStringLiteral("Cannot read \"%1\": %2").arg(path, reason));
        EXPECT_EQ(ini.readInteger("general", "outputformat", 8), 8);
    }
    EXPECT_EQ(IniFile(dir.path("missing.ini")).problem(), "");
    EXPECT_EQ(IniFile(dir.write("setup.ini", "[general]\na=1\n")).problem(), "");

    // A link to a FIFO, and a FIFO under the settings file's own name.
    const QString link = dir.path("linked.ini");
    ASSERT_TRUE(QFile::link(fifo, link));
    for (const QString& path : {link, fifo}) {
        IniFile ini(path);
        ini.setInteger("general", "a", 2);
        try {
            ini.save();
            ADD_FAILURE() << "saved over a FIFO through " << path.toStdString();
        } catch (const QuillmarkError& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + path);
        }
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // A link to a regular file still writes that file and stays a link.
    const QString target = dir.write("target.ini", "[general]\na=1\n");
    const QString toFile = dir.path("to-file.ini");
    ASSERT_TRUE(QFile::link(target, toFile));
    IniFile ini(toFile);
    ini.setInteger("general", "a", 3);
    ini.save();
    EXPECT_TRUE(QFileInfo(toFile).isSymLink());
    EXPECT_EQ(dir.read("target.ini"), "[general]\na=3\n");
}
