// Making output folders, and where a build and an installed program find their data and settings.
#include "common/folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(Folders, AMissingChainIsMadeAndAnExistingFolderIsFine) {
    QTemporaryDir dir;
    const QString deep = dir.filePath("a/b c/ünï");
    EXPECT_EQ(EnsureFolder(deep), "");
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(EnsureFolder(deep), "");
    EXPECT_EQ(EnsureFolder(deep + "/"), "");
}

TEST(Folders, AFolderThatCannotBeMadeSaysWhy) {
    QTemporaryDir dir;
    QFile(dir.filePath("taken")).open(QIODevice::WriteOnly);
    EXPECT_EQ(EnsureFolder(dir.filePath("taken")), "Cannot create " + dir.filePath("taken") + ": a file of that name exists");
    EXPECT_EQ(EnsureFolder(dir.filePath("taken/sub")),
              "Cannot create " + dir.filePath("taken/sub") + ": \"" + dir.filePath("taken") + "\" is a file, not a folder");
    QString reason;
    EXPECT_FALSE(CreateFolderPath("", &reason));
    EXPECT_FALSE(reason.isEmpty());

    // Under a folder without write permission; root passes that check, /proc refuses even root.
    QString locked = dir.filePath("locked");
    if (geteuid() == 0) {
        locked = "/proc";
    } else {
        QDir().mkpath(locked);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    }
    const QString failure = EnsureFolder(locked + "/new");
    const QString start = "Cannot create " + locked + "/new: ";
    EXPECT_TRUE(failure.startsWith(start) && failure.size() > start.size()) << failure.toStdString();
    if (geteuid() != 0) EXPECT_TRUE(failure.endsWith("Permission denied")) << failure.toStdString();
}

TEST(Folders, ANameWithNothingBeforeItsExtensionIsNameless) {
    for (const char* name : {"", ".avi", " .avi", "."}) EXPECT_TRUE(IsNamelessFile(name)) << name;
    for (const char* name : {"a.avi", "holiday", ".hidden.avi", "my.video.mpg"}) EXPECT_FALSE(IsNamelessFile(name)) << name;
}

// Messages show a name whole up to 81 characters, and a longer one by its two
// ends: a list's name of megabytes must not fill the terminal.
TEST(Folders, APrintableNameIsShortenedToItsEndsAndNeverSplitsACharacter) {
    const QString exact = QString(40, 'a') + "-" + QString(40, 'z');
    EXPECT_EQ(PrintableName(exact), exact);
    const QString huge = "start " + QString(2 << 20, 'n') + " end";
    EXPECT_EQ(PrintableName(huge), "start " + QString(34, 'n') + QChar(0x2026) + QString(36, 'n') + " end");
    EXPECT_EQ(PrintableName(QString("a\tb")), QString("a") + QChar::ReplacementCharacter + "b");
    // Four-byte letters, two UTF-16 units each, where the cut would fall inside one.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString shown = PrintableName("x" + smile.repeated(60) + "y");
    EXPECT_TRUE(shown.isValidUtf16());
    EXPECT_EQ(shown, "x" + smile.repeated(19) + QChar(0x2026) + smile.repeated(19) + "y");
}

TEST(Folders, BlankTextCountsAsEmptyAndOnlyAFullPathIsAnOutputFolder) {
    for (const char* text : {"", " ", "\t  ", "\u3000"}) EXPECT_TRUE(IsBlank(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(IsBlank(" a "));
    for (const char* path : {"/home/ann/My Videos", "/"}) EXPECT_EQ(OutputFolderProblem(path), "") << path;
    for (const char* path : {"parts", "./parts", "~/Videos", "../out"})
        EXPECT_EQ(OutputFolderProblem(path), QStringLiteral("A full path is needed for the output folder, not \"%1\"").arg(path));
}

// The two layouts a program runs from: a build (data beside the executable) and an
// installation (bin/ and share/quillmark/ below one prefix).
class ProgramLayout : public ::testing::Test {
protected:
    void SetUp() override {
        config = dir.filePath("config");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QString folder(const QString& name) {
        QDir().mkpath(dir.filePath(name));
        return dir.filePath(name) + '/';
    }
    static void touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }

    QTemporaryDir dir;
    QString config;
};

TEST_F(ProgramLayout, ABuildReadsItsDataAndKeepsItsSettingsBesideTheExecutable) {
    const QString bin = folder("build/bin");
    touch(bin + "tips.txt");
    EXPECT_EQ(DataFolder(bin), bin);
    EXPECT_EQ(SettingsFilePath(bin), bin + "setup.ini");
}

TEST_F(ProgramLayout, AnInstalledProgramReadsShareAndKeepsSettingsInTheUsersConfigEvenWhenBinIsWritable) {
    const QString bin = folder("usr/bin");
    const QString share = folder("usr/share/quillmark");
    touch(share + "tips.txt");
    ASSERT_TRUE(QFileInfo(bin).isWritable());
    EXPECT_EQ(DataFolder(bin), share);
    EXPECT_EQ(SettingsFilePath(bin), config + "/Quillmark/setup.ini");
    // A setup.ini someone left in bin is not taken up either: it would be every user's.
    touch(bin + "setup.ini");
    EXPECT_EQ(SettingsFilePath(bin), config + "/Quillmark/setup.ini");
}

TEST_F(ProgramLayout, AReadOnlyBuildFolderKeepsItsSettingsInTheUsersConfigUnlessOneIsAlreadyThere) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const QString bin = folder("portable");
    touch(bin + "tips.txt");
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(SettingsFilePath(bin), config + "/Quillmark/setup.ini");
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    touch(bin + "setup.ini");
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(SettingsFilePath(bin), bin + "setup.ini");
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
