// quillmark-cli refuses before it writes: parts and outputs that are the source
// under another name, names that are only an extension, durations no frame can
// show, folders it cannot make (saying why); and it keeps the libraries' own log
// lines off the terminal unless --verbose asks for them.
#include "cli_run.h"
#include "engine/ffmpeg/temporary_file.h"
#include "test_media.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray Checksum(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override {
        source = path("in.avi");
        QFile::copy(testmedia::WideClip(), source);
        sum = Checksum(source);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void link(const QString& name, bool hard) {
        const QByteArray from = QFile::encodeName(source), to = QFile::encodeName(path(name));
        ASSERT_EQ(hard ? ::link(from, to) : ::symlink(from, to), 0);
    }

    QTemporaryDir dir;
    QString source;
    QByteArray sum;
};

TEST_F(CliSafety, ASplitPartThatIsTheSourceStopsTheRunBeforePartOne) {
    link("soft.avi", false);
    link("hard.avi", true);
    struct Case {
        const char* source;
        const char* names;
    };
    // Part 2 named like the source itself, like the file behind a link, like a hard link.
    for (const Case& c : {Case{"in.avi", "x,in"}, Case{"soft.avi", "x,in"}, Case{"in.avi", "x,hard"},
                          Case{"in.avi", "x,soft.avi"}}) {
        SCOPED_TRACE(std::string(c.source) + " --names " + c.names);
        const CliRun run = Cli({"split", path(c.source), "--points", "1", "--names", c.names, "--format", "8"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains("Part 2") && run.err.contains("source")) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("Part 1")) << run.out.toStdString();
        EXPECT_EQ(Entries(dir.path()), (QStringList{"hard.avi", "in.avi", "soft.avi"}));
        EXPECT_EQ(Checksum(source), sum);
    }
    const CliRun bare = Cli({"split", source, "--points", "1", "--names", ".avi", "--format", "8"});
    EXPECT_EQ(bare.code, 1);
    EXPECT_TRUE(bare.err.contains("no file name") && bare.err.contains(path(".avi"))) << bare.err.toStdString();
    EXPECT_EQ(Entries(dir.path()).size(), 3);
}

TEST_F(CliSafety, AJoinIntoItsOwnInputOrIntoAFolderNameIsRefused) {
    link("soft.avi", false);
    const CliRun own = Cli({"join", path("soft.avi"), "--out", source, "--format", "8"});
    EXPECT_EQ(own.code, 1);
    EXPECT_TRUE(own.err.contains(source)) << own.err.toStdString();
    EXPECT_EQ(Checksum(source), sum);

    for (const QString& out : {dir.path() + "/", path(".avi")}) {
        const CliRun folder = Cli({"join", testmedia::Picture(), "--out", out, "--format", "8"});
        EXPECT_EQ(folder.code, 2) << out.toStdString();
        EXPECT_TRUE(folder.err.contains("--out") && folder.err.contains("names no file")) << folder.err.toStdString();
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{"in.avi", "soft.avi"}));
}

TEST_F(CliSafety, DurationsNoFrameCanShowAreRefusedNamingTheValue) {
    struct Case {
        const char* option;
        const char* value;
        const char* shown;
    };
    for (const Case& c : {Case{"--picture-seconds", "inf", "inf"}, Case{"--picture-seconds", "nan", "nan"},
                          Case{"--picture-seconds", "1e-9", "1e-09"}, Case{"--picture-seconds", "0.03", "0.03"},
                          Case{"--transition-seconds", "nan", "nan"}, Case{"--transition-seconds", "0.01", "0.01"}}) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        // DVD PAL: 25 frames a second, so 0.04 s is the shortest picture.
        const CliRun run = Cli({"join", testmedia::Picture(), "--out", path("pics.mpg"), "--format", "4", c.option, c.value});
        EXPECT_EQ(run.code, 2);
        EXPECT_TRUE(run.err.contains(c.shown)) << run.err.toStdString();
    }
    EXPECT_EQ(Entries(dir.path()), QStringList{"in.avi"});

    // A 2 s source at 25 fps holds 50 frames: 100 parts would be shorter than one.
    const CliRun parts = Cli({"split", source, "--parts", "100", "--format", "4", "--out", path("parts")});
    EXPECT_EQ(parts.code, 2);
    EXPECT_TRUE(parts.err.contains("--parts 100") && parts.err.contains("one frame")) << parts.err.toStdString();
    const CliRun every = Cli({"split", source, "--every", "0.01", "--format", "4", "--out", path("parts")});
    EXPECT_EQ(every.code, 2);
    EXPECT_TRUE(every.err.contains("0.01")) << every.err.toStdString();
    EXPECT_TRUE(Entries(path("parts")).isEmpty());
}

TEST_F(CliSafety, AFolderThatCannotBeMadeSaysWhy) {
    QFile(path("taken")).open(QIODevice::WriteOnly);
    const CliRun underFile = Cli({"join", testmedia::Picture(), "--out", path("taken/sub/x.avi")});
    EXPECT_EQ(underFile.code, 1);
    EXPECT_TRUE(underFile.err.contains("Cannot create " + path("taken/sub") + ": \"" + path("taken") +
                                       "\" is a file, not a folder"))
        << underFile.err.toStdString();
    const CliRun asFile = Cli({"split", source, "--parts", "2", "--out", path("taken")});
    EXPECT_EQ(asFile.code, 1);
    EXPECT_TRUE(asFile.err.contains("Cannot create " + path("taken") + ": a file of that name exists"))
        << asFile.err.toStdString();
    // Not even root may make folders in /proc.
    const CliRun locked = Cli({"split", source, "--parts", "2", "--out", "/proc/quillmark-parts"});
    EXPECT_EQ(locked.code, 1);
    const QString start = "Cannot create /proc/quillmark-parts: ";
    EXPECT_TRUE(locked.err.startsWith(start) && locked.err.trimmed().size() > start.size()) << locked.err.toStdString();
}

TEST(CliLibraryLog, TheLibrariesLinesShowOnlyWithVerbose) {
    // The first frame's side information overwritten: the decoder complains while
    // the probe reads the format.
    const QString clean = testmedia::Make("tone_plain.mp3", {"-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                                                             "-c:a", "libmp3lame", "-write_xing", "0", "-id3v2_version", "0"});
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.mp3");
    QFile::copy(clean, damaged);
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4);
    f.write(QByteArray(8, '\xff'));
    f.close();

    const CliRun quiet = Cli({"probe", damaged});
    EXPECT_EQ(quiet.code, 0);
    EXPECT_FALSE(quiet.err.contains("[mp3")) << quiet.err.toStdString();
    const CliRun verbose = Cli({"--verbose", "probe", damaged});
    EXPECT_EQ(verbose.code, 0);
    EXPECT_TRUE(verbose.err.contains("[mp3float")) << verbose.err.toStdString();
    EXPECT_EQ(verbose.out, quiet.out);
}

TEST(CliCrash, AKilledRenderLeavesARecognisedTemporaryThatALaterRenderClears) {
    QTemporaryDir dir;
    QProcess p;
    const QByteArray err = StartLongRender(p, testmedia::H264Clip(), 30, dir.filePath("long.mpg"));
    ASSERT_TRUE(err.contains('%')) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(20000));

    const QStringList left = Entries(dir.path());
    ASSERT_EQ(left.size(), 1) << left.join(' ').toStdString();
    EXPECT_TRUE(IsTemporaryName(left[0])) << left[0].toStdString();
    EXPECT_TRUE(left[0].startsWith(".long.mpg.")) << left[0].toStdString();

    // Two days later, another render into the folder clears it.
    QFile stale(dir.filePath(left[0]));
    ASSERT_TRUE(stale.open(QIODevice::ReadWrite));
    stale.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime);
    stale.close();
    const QByteArray shortScript = QStringLiteral("OutputType 4\nAddVideoClip \"%1\" 0 0.5 0\n")
                                       .arg(testmedia::H264Clip()).toUtf8();
    ASSERT_EQ(Cli({"render", "-", dir.filePath("short.mpg")}, shortScript).code, 0);
    EXPECT_EQ(Entries(dir.path()), QStringList{"short.mpg"});
}

TEST(CliInterrupt, CtrlCRightAfterStartOfAManyClipRenderExitsAtOnceAndLeavesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sources"));
    QString script = "OutputType 4\n";
    for (int i = 0; i < 200; ++i) {
        const QString name = dir.filePath(QStringLiteral("sources/clip %1.mp4").arg(i));
        ASSERT_EQ(::link(QFile::encodeName(testmedia::H264Clip()), QFile::encodeName(name)), 0);
        script += QStringLiteral("AddVideoClip \"%1\" 0 3 0\nAddAudioClip \"%1\" 0 3\n").arg(name);
    }
    QProcess p;
    p.start(kCli, {"render", "-", dir.filePath("many.mpg")});
    ASSERT_TRUE(p.waitForStarted());
    QElapsedTimer sinceStart;
    sinceStart.start();
    p.write(script.toUtf8());
    p.closeWriteChannel();
    // A loaded machine may not even have run the program's first line by 0.2 s;
    // what is tested is a Ctrl+C that the program can see, as a user's is.
    ASSERT_TRUE(CatchesSigint(pid_t(p.processId()))) << "the program never caught Ctrl+C";
    p.waitForFinished(std::max<int>(0, 200 - int(sinceStart.elapsed())));
    ASSERT_EQ(p.state(), QProcess::Running) << "the render ended before it could be interrupted";
    ::kill(pid_t(p.processId()), SIGINT);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(p.waitForFinished(20000));
    // A second is far above an exit that does not wait for the clips' inspection.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("Stopped"));
    EXPECT_EQ(Entries(dir.path()), QStringList());
}

} // namespace

namespace {

TEST(CliJoinPictures, APngIsShownAsAPicture) {
    const QString png = testmedia::Make("picture_120x90.png", {"-f", "lavfi", "-i", "testsrc=size=120x90", "-frames:v", "1"});
    QTemporaryDir dir;
    const QString out = dir.filePath("with png.avi");
    const CliRun run = Cli({"join", png, testmedia::H264Clip(), "--out", out, "--format", "8", "--picture-seconds", "2",
                            "--transition-seconds", "0"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const double video = testmedia::Stream(testmedia::Probe(out), "video")["duration"].toString().toDouble();
    EXPECT_NEAR(video, 2 + 3, 0.1);
}

} // namespace

namespace {

TEST(CliReplacing, ARunOverEarlierOutputsReplacesThemAndSaysWhich) {
    QTemporaryDir dir;
    const QString source = dir.filePath("clip.avi");
    QFile::copy(testmedia::WideClip(), source);
    const QStringList split{"split", source, "--parts", "2", "--format", "8", "--out", dir.filePath("parts")};
    const CliRun first = Cli(split);
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_FALSE(first.out.contains("replacing"));
    const CliRun again = Cli(split);
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("Part 1: " + dir.filePath("parts/clip-1.avi") + " (replacing the file there)"))
        << again.out.toStdString();
    EXPECT_TRUE(again.out.contains("Part 2: " + dir.filePath("parts/clip-2.avi") + " (replacing the file there)"));

    const QStringList join{"join", source, "--out", dir.filePath("joined.avi"), "--format", "8"};
    ASSERT_EQ(Cli(join).code, 0);
    const CliRun joinedAgain = Cli(join);
    EXPECT_EQ(joinedAgain.code, 0);
    EXPECT_TRUE(joinedAgain.err.contains("Joining into " + dir.filePath("joined.avi") + " (replacing the file there)"))
        << joinedAgain.err.toStdString();
}

// The settings file is read like any list the user names, and never written:
// a missing one is an error rather than the defaults, a FIFO or a device is
// refused at once instead of read forever, and no output takes its place.
TEST(CliSettingsFile, IsAFileThatIsReadAndNeverAnOutput) {
    QTemporaryDir dir;
    const QString clip = dir.filePath("clip.mp4");
    ASSERT_TRUE(QFile::copy(testmedia::H264Clip(), clip));
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString missing = dir.filePath("missing.ini");
    for (const auto& [settings, reason] : {std::pair{missing, "there is no such file"},
                                           std::pair{fifo, "it is not a regular file"},
                                           std::pair{QStringLiteral("/dev/zero"), "it is not a regular file"}}) {
        const CliRun run = Cli({"--settings", settings, "join", clip, "--out", dir.filePath("out.mp4")});
        EXPECT_EQ(run.code, 1) << settings.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Cannot read \"%1\": %2").arg(settings, reason))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.mp4")));
    EXPECT_FALSE(QFileInfo::exists(missing));

    // Settings that name MP4, in a file the join's output or a split's part would be.
    const QByteArray stored = "[general]\noutputformat=10\n";
    for (const QString& name : {QStringLiteral("s.mp4"), QStringLiteral("clip-1.mp4")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    const CliRun join = Cli({"--settings", dir.filePath("s.mp4"), "join", clip, "--out", dir.filePath("s.mp4")});
    EXPECT_EQ(join.code, 1);
    EXPECT_TRUE(join.err.contains("it is the settings file this join reads")) << join.err.toStdString();
    const CliRun split = Cli({"--settings", dir.filePath("clip-1.mp4"), "split", clip, "--parts", "2", "--out", dir.path()});
    EXPECT_EQ(split.code, 1);
    EXPECT_TRUE(split.err.contains("which the split reads; nothing was written")) << split.err.toStdString();
    for (const QString& name : {QStringLiteral("s.mp4"), QStringLiteral("clip-1.mp4")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), stored) << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("clip-2.mp4")));
}

} // namespace
