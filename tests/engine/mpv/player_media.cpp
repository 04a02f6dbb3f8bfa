#include "player_media.h"

#include "support/build_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace player_media {
namespace {

bool run(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000)) return false;
    if (output) *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Tests run in parallel processes: each makes the file under a name of its own
// and moves it into place, so none ever reads a half-written one.
QString made(const QString& name, const QStringList& ffmpegArgs) {
    QDir dir(buildpaths::PlayerMediaDir());
    dir.mkpath(".");
    const QString target = dir.filePath(name);
    if (QFile::exists(target)) return target;
    const QString scratch =
        dir.filePath(QString("part%1-%2").arg(QCoreApplication::applicationPid()).arg(name));
    QStringList args{"-v", "error", "-y"};
    args << ffmpegArgs << scratch;
    if (!run("ffmpeg", args)) return {};
    if (!QFile::rename(scratch, target)) QFile::remove(scratch);  // another process was first
    return target;
}

}  // namespace

QString clip() {
    return made("clip.avi",
                {"-f", "lavfi", "-i",
                 "color=c=red:s=160x120:r=25,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill",
                 "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100",
                 "-t", "5", "-c:v", "mpeg4", "-q:v", "3", "-c:a", "mp2"});
}

QString wav() {
    return made("tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=3"});
}

QString mp3() {
    return made("tone.mp3",
                {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=3", "-c:a", "libmp3lame"});
}

QString notMedia() {
    const QString target = QDir(buildpaths::PlayerMediaDir()).filePath("not-media.avi");
    QDir().mkpath(buildpaths::PlayerMediaDir());
    QFile file(target);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) file.write("This is a note, not a video.\n");
    return target;
}

double probeDuration(const QString& file) {
    QByteArray output;
    if (!run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file}, &output)) {
        return -1;
    }
    bool ok = false;
    const double seconds = output.trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

}  // namespace player_media
