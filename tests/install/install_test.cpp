// The program as `cmake --install` lays it out: every file where the desktop
// looks for it, valid to the desktop's own validators, and both programs
// working from the prefix with nothing of the build tree.
#include "app/getting_started_page.h"
#include "app/main_form.h"
#include "common/folders.h"
#include "common/messages.h"
#include "media/test_media.h"
#include "support/build_paths.h"
#include "support/fake_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

const QString kPrefix = buildpaths::InstallPrefix();
const QString kBin = kPrefix + "/bin/";
const QString kShare = kPrefix + "/share/";
const QString kAppId = QStringLiteral(QUILLMARK_APP_ID);

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
};

// An installed program run for a user whose home is `home`, so no settings of
// the machine's own user reach it.
ProgramRun Installed(const QString& program, const QStringList& args, const QString& home, const QByteArray& input = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.remove("XDG_CONFIG_HOME");
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

ProgramRun Tool(const QString& program, const QStringList& args) { return Installed(program, args, QDir::homePath()); }

QString DesktopEntry() {
    QFile f(kShare + "applications/" + kAppId + ".desktop");
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// The files a running process holds open, as paths.
QStringList OpenFiles(qint64 pid) {
    QStringList paths;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System))
        paths << QFileInfo(fds + '/' + fd).symLinkTarget();
    return paths;
}

} // namespace

TEST(InstalledTree, HoldsEveryFileWhereTheDesktopLooksAndNothingThatMakesItPortable) {
    for (const QString& program : QStringList{"quillmark", "quillmark-cli"})
        EXPECT_TRUE(QFileInfo(kBin + program).isExecutable()) << program.toStdString();
    for (const QString& data : QStringList{"tips.txt", "support.ini", "quillmark.html"}) {
        EXPECT_GT(QFileInfo(kShare + "quillmark/" + data).size(), 0) << data.toStdString();
        // Data beside the executables would make the installed program a portable one.
        EXPECT_FALSE(QFileInfo::exists(kBin + data)) << data.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(kShare + "metainfo/" + kAppId + ".metainfo.xml"));
    EXPECT_GT(QFileInfo(kShare + "man/man1/quillmark-cli.1").size(), 0);
    QFile svg(kShare + "icons/hicolor/scalable/apps/" + kAppId + ".svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    while (!xml.atEnd() && !xml.isStartElement()) xml.readNext();
    EXPECT_EQ(xml.name().toString(), "svg");
    EXPECT_FALSE(xml.attributes().value("viewBox").isEmpty());
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(kShare + QStringLiteral("icons/hicolor/%1x%1/apps/").arg(size) + kAppId + ".png");
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
}

TEST(InstalledTree, TheDesktopEntryAndMetainfoPassTheValidatorsAndNameTheInstalledFiles) {
    const ProgramRun desktop = Tool("desktop-file-validate", {kShare + "applications/" + kAppId + ".desktop"});
    EXPECT_EQ(desktop.code, 0) << desktop.out.toStdString() << desktop.err.toStdString();
    EXPECT_EQ(desktop.out + desktop.err, "");
    const ProgramRun metainfo = Tool("appstreamcli", {"validate", "--no-net", kShare + "metainfo/" + kAppId + ".metainfo.xml"});
    EXPECT_EQ(metainfo.code, 0) << metainfo.out.toStdString() << metainfo.err.toStdString();

    const QString entry = DesktopEntry();
    EXPECT_TRUE(entry.contains("\nExec=quillmark\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nIcon=" + kAppId + "\n"));
    EXPECT_TRUE(entry.contains("\nCategories=AudioVideo;Video;AudioVideoEditing;\n"));
}

TEST(InstalledTree, TheManualPageReadsWithoutWarnings) {
    const ProgramRun man = Tool("man", {"--warnings", "-l", kShare + "man/man1/quillmark-cli.1"});
    EXPECT_EQ(man.code, 0);
    EXPECT_TRUE(man.err.isEmpty()) << man.err.toStdString();
    EXPECT_TRUE(man.out.contains("quillmark-cli")) << man.out.toStdString();
}

TEST(InstalledCli, ListsTransitionsAndRendersAClipWhoseSoundIsShorterThanItsPicture) {
    QTemporaryDir home;
    const ProgramRun list = Installed(kBin + "quillmark-cli", {"list", "transitions"}, home.path());
    EXPECT_EQ(list.code, 0) << list.err.toStdString();
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_GT(lines.size(), 10);
    EXPECT_TRUE(lines.value(0).startsWith("0 ")) << list.out.toStdString();

    // Two seconds of picture, 1.2 s of sound: what a phone leaves when recording stops.
    const QString clip = testmedia::Make("install shört sound.mp4",
        {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=2", "-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=44100:duration=1.2", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    const QString out = home.filePath("out put.avi");
    const QByteArray script =
        QStringLiteral("OutputType 8\nAddVideoClip \"%1\" 0 2 0\nAddAudioClip \"%1\" 0 2\n").arg(clip).toUtf8();
    const ProgramRun render = Installed(kBin + "quillmark-cli", {"render", "-", out}, home.path(), script);
    ASSERT_EQ(render.code, 0) << render.err.toStdString();
    const QJsonObject probe = testmedia::Probe(out);
    const QJsonObject video = testmedia::Stream(probe, "video");
    EXPECT_EQ(video["codec_name"].toString(), "mpeg4");
    EXPECT_NEAR(video["nb_read_frames"].toString().toInt(), 50, 1);
    EXPECT_EQ(testmedia::Stream(probe, "audio")["codec_name"].toString(), "mp3");
    EXPECT_NEAR(testmedia::AudioSeconds(out), 2.0, 0.1);
    // The installed command line keeps no settings beside itself.
    EXPECT_FALSE(QFileInfo::exists(kBin + "setup.ini"));
}

TEST(InstalledProgram, FindsItsDataInShareAndKeepsSettingsInTheUsersConfig) {
    qputenv("XDG_CONFIG_HOME", "/home/ann/.config");
    EXPECT_EQ(DataFolder(kBin), kShare + "quillmark/");
    // The test prefix is writable, as root's /usr is: settings still go to the user's folder.
    ASSERT_TRUE(QFileInfo(kBin).isWritable());
    EXPECT_EQ(SettingsFilePath(kBin), "/home/ann/.config/Quillmark/setup.ini");
    qunsetenv("XDG_CONFIG_HOME");
    // The build's own folder stays a portable one.
    const QString build = buildpaths::BinDir() + "/";
    EXPECT_EQ(DataFolder(build), build);
    EXPECT_EQ(SettingsFilePath(build), build + "setup.ini");
}

TEST(InstalledProgram, TheWindowShowsATipFromTheInstalledTipsFile) {
    QTemporaryDir home;
    QStringList boxes;
    Messages::setBoxHandler([&](Messages::Kind, const QString& caption, const QString& text) { boxes << caption + ": " + text; });
    QFile tips(kShare + "quillmark/tips.txt");
    ASSERT_TRUE(tips.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(tips.readAll()).split('\n'))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    {
        // As main() builds it; a new user's stored tip number is 1, so the second tip shows.
        TMainForm form({DataFolder(kBin), home.filePath("setup.ini")}, FakeServices());
        form.show();
        EXPECT_EQ(form.TabSheet6->RichEdit3->toPlainText().trimmed(), lines.value(1));
    }
    Messages::setBoxHandler({});
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
}

TEST(InstalledProgram, StartsFromTheMenuEntrysCommandAndOpensTheInstalledTips) {
    QTemporaryDir home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.remove("XDG_CONFIG_HOME");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    // The menu runs Exec's command through PATH, where the prefix's bin comes first.
    const QString exec = DesktopEntry().section("\nExec=", 1).section('\n', 0, 0);
    ASSERT_FALSE(exec.isEmpty());
    const QString program = QStandardPaths::findExecutable(exec, QStringList{kBin} + env.value("PATH").split(':'));
    EXPECT_EQ(program, kBin + "quillmark");
    p.start(program, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The window keeps the tips file open while it runs: the running program itself
    // shows which file it found.
    const QString installedTips = QFileInfo(kShare + "quillmark/tips.txt").canonicalFilePath();
    bool opened = false;
    for (int i = 0; i < 100 && !opened && p.state() == QProcess::Running; ++i) {
        opened = OpenFiles(p.processId()).contains(installedTips);
        if (!opened) QThread::msleep(100);
    }
    EXPECT_TRUE(opened) << "quillmark did not open " << installedTips.toStdString() << "; its output: "
                        << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.state(), QProcess::Running);
    p.terminate();
    p.waitForFinished(10000);
}
