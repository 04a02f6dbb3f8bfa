// Nothing but the output is ever written, whatever the path, the name, the list or
// the signal. Each case here once replaced, lost or left behind a file while the
// command said it had done its work; each now ends with a reason and leaves every
// file but its output as it was.
#include "cli_run.h"
#include "test_media.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Checksum(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The environment a spied-on program runs in: the spy put in front of the
// libraries, which AddressSanitizer must be told it may not be first in.
QProcessEnvironment SpiedEnvironment(const QString& log, const QString& slowRemoval = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", buildpaths::SyscallSpy());
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    if (!log.isEmpty()) env.insert("QM_SPY_LOG", log);
    if (!slowRemoval.isEmpty()) env.insert("QM_SPY_SLOW_PART_REMOVAL", slowRemoval);
    return env;
}

CliRun RunIn(const QString& program, const QStringList& args, const QString& folder,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class OnlyTheOutput : public ::testing::Test {
protected:
    void SetUp() override {
        // An old camera AVI: MPEG-4 picture at 29.97 fps and MP3 sound.
        source = path("in.avi");
        ASSERT_TRUE(QFile::copy(testmedia::WideClip(), source));
        sourceSum = Checksum(source);
        script = path("one second.txt");
        WriteFile(script, QStringLiteral("OutputType 8\nAddVideoClip \"%1\" 0 1 0\n").arg(source).toUtf8());
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString source;
    QByteArray sourceSum;
    QString script;
};

// --- paths ---

TEST_F(OnlyTheOutput, AnOutputThatIsNoPlainWritableFileIsRefusedBeforeTheRenderAndLeftAsItWas) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.avi")), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(path("null.avi"))), 0);
    struct Case {
        QString output;
        QString reason;
    };
    const QString longName = path(QString(60000, QChar(0x00e9)) + ".avi"); // é: two bytes each
    for (const Case& c : {Case{path("fifo.avi"), "not a regular file but a FIFO"},
                          Case{path("null.avi"), "not a regular file but a device"},
                          Case{dir.path(), "it is a folder"}, Case{".", "it is a folder"},
                          Case{longName, "longer than the 255 bytes"}, Case{script, "the render's own script"}}) {
        SCOPED_TRACE(c.output.left(80).toStdString());
        const QByteArray scriptSum = Checksum(script);
        const CliRun run = RunIn(kCli, {"render", script, c.output}, dir.path());
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.left(300).toStdString();
        EXPECT_FALSE(run.err.contains('%')) << "the render started";
        EXPECT_EQ(Checksum(script), scriptSum);
    }
    struct stat st {};
    EXPECT_TRUE(::lstat(QFile::encodeName(path("fifo.avi")), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::lstat(QFile::encodeName(path("null.avi")), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"fifo.avi", "in.avi", "null.avi", "one second.txt"}));
}

TEST_F(OnlyTheOutput, AWriteProtectedOutputIsRefusedToItsOwnerAsCpRefusesIt) {
    // Root may write anything; the owner is who the protection is for.
    const bool root = ::geteuid() == 0;
    const QString protectedFile = path("kept.avi");
    WriteFile(protectedFile, "an earlier render the user protected");
    ASSERT_EQ(::chmod(QFile::encodeName(protectedFile), 0444), 0);
    QString program = kCli;
    QStringList args{"render", script, protectedFile};
    if (root) {
        for (const QString& p : {dir.path(), protectedFile, script, source})
            ASSERT_EQ(::chown(QFile::encodeName(p), 65534, 65534), 0);
        program = "setpriv";
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--", kCli} + args;
    }
    const CliRun run = RunIn(program, args, dir.path());
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\"" + protectedFile + "\": it is write-protected")) << run.err.toStdString();
    QFile kept(protectedFile);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "an earlier render the user protected");
    EXPECT_EQ(QFileInfo(protectedFile).permissions() & QFileDevice::WriteOwner, 0);
}

TEST_F(OnlyTheOutput, AClipIsTheFileItNamesWhateverProtocolItsNameLooksLike) {
    // Relative to the folder the command runs in, as a user types them.
    for (const QString clip : {"file:in.avi", "concat:in.avi", "pipe:in.avi"}) {
        SCOPED_TRACE(clip.toStdString());
        WriteFile(path("p.txt"), QStringLiteral("OutputType 8\nAddVideoClip \"%1\" 0 1 0\n").arg(clip).toUtf8());
        const CliRun run = RunIn(kCli, {"render", "p.txt", "in.avi"}, dir.path());
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains("\"" + clip + "\": the file does not exist")) << run.err.toStdString();
        EXPECT_EQ(Checksum(source), sourceSum);
    }
    // A name with a colon is a file like any other.
    ASSERT_TRUE(QFile::copy(source, path("10:30.avi")));
    WriteFile(path("c.txt"), "OutputType 8\nAddVideoClip \"10:30.avi\" 0 1 0\n");
    const CliRun colon = RunIn(kCli, {"render", "c.txt", "from 10:30.avi"}, dir.path());
    EXPECT_EQ(colon.code, 0) << colon.err.toStdString();
    EXPECT_NEAR(testmedia::Stream(testmedia::Probe(path("from 10:30.avi")), "video")["duration"].toString().toDouble(),
                1.0, 0.05);
}

TEST_F(OnlyTheOutput, TheFinishedFileIsOnTheDiskBeforeItTakesItsName) {
    const QString log = path("calls.log");
    const CliRun run = RunIn(kCli, {"render", script, path("out.avi")}, dir.path(), SpiedEnvironment(log));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    const qsizetype renamed = calls.indexOf(QRegularExpression("^rename .*\\.part " + QRegularExpression::escape(path("out.avi")) + "$"));
    ASSERT_GE(renamed, 0) << calls.join('\n').toStdString();
    const QString temporary = calls[renamed].section(' ', 1, 1);
    EXPECT_TRUE(calls.mid(0, renamed).contains("fsync " + temporary)) << calls.join('\n').toStdString();
    EXPECT_TRUE(calls.mid(renamed).contains("fsync " + dir.path())) << calls.join('\n').toStdString();
}

// --- names ---

TEST_F(OnlyTheOutput, PartNamesThatCollideOrLeaveTheFolderAreRefusedBeforeAnyPartIsWritten) {
    struct Case {
        QStringList options;
        QString reason;
    };
    QByteArray nulName = "start,end,name,save\n0,0.7,a";
    nulName += '\0';
    nulName += "b,1\n";
    WriteFile(path("nul.csv"), nulName);
    WriteFile(path("long.csv"), "start,end,name,save\n0,0.7," + QByteArray(2 << 20, 'n') + ",1\n");
    for (const Case& c : {Case{{"--points", "0.7,1.4", "--names", "a,a,a"}, "Parts 1 and 2 would both be written to"},
                          // in-2 is the name the second part has of itself.
                          Case{{"--points", "0.7", "--names", "in-2"}, "Parts 1 and 2 would both be written to"},
                          Case{{"--points", "0.7", "--names", "../x.avi"}, "with a folder in it"},
                          Case{{"--points", "0.7", "--names", ".."}, "with a folder in it"},
                          Case{{"--segments", path("nul.csv")}, "with the control character U+0000 in it"},
                          Case{{"--segments", path("long.csv")}, "more than the 255 a file name may have"}}) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const CliRun run = Cli(QStringList{"split", source, "--format", "8", "--out", path("parts")} + c.options);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.left(300).toStdString();
        // A name of megabytes is shown by its ends, not echoed whole.
        EXPECT_LT(run.err.size(), 1000) << run.err.left(300).toStdString();
        EXPECT_TRUE(Entries(path("parts")).isEmpty()) << Entries(path("parts")).join(' ').toStdString();
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{"in.avi", "long.csv", "nul.csv", "one second.txt", "parts"}));

    // The list is an input too: no part is written over it.
    WriteFile(path("cuts.avi"), "start,end,name,save\n0,0.7,cuts,1\n");
    const CliRun overList = Cli({"split", source, "--format", "8", "--segments", path("cuts.avi")});
    EXPECT_EQ(overList.code, 1);
    EXPECT_TRUE(overList.err.contains("which the split reads")) << overList.err.toStdString();
    EXPECT_EQ(Checksum(source), sourceSum);
}

// --- lists, scripts and sources ---

TEST_F(OnlyTheOutput, EndlessOrOddInputIsRefusedSayingWhatIsWrongWithIt) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.avi")), 0644), 0);
    struct Case {
        QStringList args;
        int code;
        QString says;
    };
    const QString noExtension = path("clip");
    ASSERT_TRUE(QFile::copy(source, noExtension));
    const QString render = "OutputType 8\nAddVideoClip \"" + source + "\" 0 1 0\n";
    const QString out = path("out.avi");
    const auto scriptWith = [&](const QString& name, const QString& line) {
        WriteFile(path(name), (render + line + "\n").toUtf8());
        return path(name);
    };
    for (const Case& c : {
             Case{{"split", source, "--segments", "/dev/zero"}, 1, "longer than 16 MB"},
             Case{{"render", "/dev/zero", out}, 2, "longer than 16 MB"},
             Case{{"render", scriptWith("r0.txt", "FrameRate 0"), out}, 2, ":3: FrameRate: 0 is not between 1 and 240"},
             Case{{"render", scriptWith("r1.txt", "FrameRate -25"), out}, 2, ":3: FrameRate: -25 is not"},
             Case{{"render", scriptWith("r2.txt", "FrameRate 1e30"), out}, 2, ":3: FrameRate: 1e30 is not"},
             Case{{"render", scriptWith("r3.txt", "AddTransition 40000 0 1"), out}, 2,
                  ":3: AddTransition: \"40000\" is not a whole number in range"},
             Case{{"render", scriptWith("r4.txt", "OutputFileWidth 32767"), out}, 2, ":3: OutputFileWidth: 32767 is not"},
             Case{{"render", scriptWith("r5.txt", "AddAudioClip \"" + source + "\" 2 1"), out}, 1,
                  "its sound clip starts at 2 s, after it stops at 1 s"},
             Case{{"probe", path("fifo.avi")}, 1, "it is not a regular file"},
             Case{{"probe", "/dev/zero"}, 1, "it is not a regular file"},
             Case{{"probe", "/proc/self/status"}, 1, "it is not a regular file"},
             Case{{"split", path("fifo.avi"), "--parts", "2"}, 1, "it is not a regular file"},
             // 2 s at 29.97 fps into DVD PAL: 100 parts would be shorter than a frame.
             Case{{"split", source, "--parts", "100", "--format", "4"}, 2, "\"" + source + "\" lasts 2"},
             Case{{"render", scriptWith("r6.txt", "SourceQuality 52"), out}, 2, ":3: SourceQuality: 52 is not between 0 and 51"},
             // Same as source names its output after the first video, which must exist and have an extension.
             Case{{"join", testmedia::Picture(), "--out", out, "--format", "11"}, 2, "the list holds none"},
             Case{{"split", noExtension, "--parts", "2", "--format", "11"}, 1, "\"" + noExtension + "\", and it has none"},
         }) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));

    // A name that is not UTF-8 reaches the program only as bytes, as a shell gives it.
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9.avi";
    ASSERT_EQ(::link(QFile::encodeName(source), latin1), 0);
    const CliRun bytes = RunIn("bash", {"-c", "exec \"$0\" probe \"$(printf '%s/caf\\351.avi' \"$1\")\"", kCli, dir.path()},
                               dir.path());
    EXPECT_EQ(bytes.code, 1);
    EXPECT_TRUE(bytes.err.contains("is not UTF-8 text")) << bytes.err.toStdString();
    ::unlink(latin1); // a name the folder's removal cannot spell
}

TEST_F(OnlyTheOutput, AFileTheLibrariesCannotFullyReadFailsTheSameWayInEveryJob) {
    // A camera AVI whose video header says each frame lasts 40 hours; one whose
    // sound has a codec nothing here decodes.
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray avi = file.readAll();
    QByteArray stretched = avi;
    const qsizetype strh = stretched.indexOf("strh");
    ASSERT_GT(strh, 0);
    const quint32 scale = 0xfffffff0; // its rate is 30000
    std::memcpy(stretched.data() + strh + 8 + 20, &scale, 4);
    WriteFile(path("stretched.avi"), stretched);
    QByteArray unknownSound = avi;
    const qsizetype soundFormat = unknownSound.indexOf("strf", unknownSound.indexOf("strf") + 4);
    ASSERT_GT(soundFormat, 0);
    unknownSound[soundFormat + 8] = '\x77';
    unknownSound[soundFormat + 9] = '\x77';
    WriteFile(path("unknown sound.avi"), unknownSound);

    struct Case {
        QString file;
        QString says;
    };
    for (const Case& c : {Case{path("stretched.avi"), "its header is damaged: it says each frame of its video stream"},
                          Case{path("unknown sound.avi"), "no decoder here reads its audio stream (tagged ww"}}) {
        SCOPED_TRACE(c.file.toStdString());
        WriteFile(path("s.txt"), QStringLiteral("OutputType 8\nAddVideoClip \"%1\" 0 1 0\nAddAudioClip \"%1\" 0 1\n")
                                     .arg(c.file).toUtf8());
        for (const QStringList& args : {QStringList{"split", c.file, "--parts", "2", "--out", path("parts")},
                                        QStringList{"join", c.file, "--out", path("joined.avi")},
                                        QStringList{"render", path("s.txt"), path("rendered.avi")}}) {
            SCOPED_TRACE(args.first().toStdString());
            const CliRun run = Cli(args);
            EXPECT_EQ(run.code, 1);
            EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        }
    }
    EXPECT_TRUE(Entries(path("parts")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("joined.avi")) || QFileInfo::exists(path("rendered.avi")));
}

// --- signals ---

TEST_F(OnlyTheOutput, CtrlCEndsACommandThatWaitsOnAPipeOrAFifo) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("cuts.fifo")), 0644), 0);
    for (const QStringList& args : {QStringList{"render", "-", path("slow.avi")},
                                    QStringList{"split", source, "--segments", path("cuts.fifo")}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QProcess p;
        p.start(kCli, args);
        p.write("OutputType 8\n"); // and the rest never comes
        ASSERT_TRUE(CatchesSigint(pid_t(p.processId())));
        QThread::msleep(300); // into the wait
        ::kill(pid_t(p.processId()), SIGINT);
        EXPECT_TRUE(p.waitForFinished(5000)) << "still waiting after Ctrl+C";
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            continue;
        }
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_TRUE(p.readAllStandardError().contains("Stopped"));
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{"cuts.fifo", "in.avi", "one second.txt"}));
}

TEST_F(OnlyTheOutput, CtrlCLeavesNoTemporaryEvenWhenTheWorkerWindsDownLate) {
    QProcess p;
    p.setProcessEnvironment(SpiedEnvironment({}, "30"));
    const QString output = path("long.mpg");
    const QByteArray err = StartLongRender(p, testmedia::H264Clip(), 30, output);
    ASSERT_TRUE(err.contains('%')) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000)) << "the program waited for its worker";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(Entries(dir.path()), (QStringList{"in.avi", "one second.txt"}));
}

} // namespace
