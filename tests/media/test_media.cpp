#include "test_media.h"

#include "probe_rows.h"

#include "support/build_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QUuid>
#include <cstdio>
#include <cstring>

namespace testmedia {

QString Folder() {
    const QString folder = buildpaths::TestMediaDir();
    QDir().mkpath(folder);
    return folder;
}

QByteArray Run(const QString& program, const QStringList& args, int* exitCode) {
    QProcess process;
    process.start(program, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        process.kill();
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        std::fprintf(stderr, "%s %s failed:\n%s\n", qPrintable(program), qPrintable(args.join(' ')),
                     process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

QString Make(const QString& name, const QStringList& ffmpegArgs) {
    const QString path = Folder() + '/' + name;
    if (QFileInfo::exists(path))
        return path;
    // Made under a unique name and renamed, so a test that runs alongside never
    // reads a half-made file.
    const QString temp = Folder() + QStringLiteral("/.%1-%2").arg(QUuid::createUuid().toString(QUuid::Id128), name);
    QStringList args{"-v", "error", "-y"};
    args << ffmpegArgs << temp;
    Run("ffmpeg", args);
    QFile::rename(temp, path);
    QFile::remove(temp);
    return path;
}

QString H264Clip() {
    return Make("h264_160x120_25.mp4",
                {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=3", "-f", "lavfi", "-i",
                 "sine=frequency=440:sample_rate=44100:duration=3", "-ac", "2", "-c:v", "libx264", "-preset",
                 "ultrafast", "-g", "10", "-bf", "2", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

QString MpegPsClip() {
    return Make("mpeg2_160x120_25.mpg",
                {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=3", "-f", "lavfi", "-i",
                 "sine=frequency=660:sample_rate=48000:duration=3", "-ac", "2", "-c:v", "mpeg2video", "-g", "12",
                 "-bf", "2", "-q:v", "2", "-c:a", "mp2", "-b:a", "192k", "-f", "vob"});
}

QString WideClip() {
    return Make("mpeg4_320x180_2997.avi",
                {"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=30000/1001:duration=2", "-f", "lavfi", "-i",
                 "sine=frequency=330:sample_rate=48000:duration=2", "-ac", "1", "-c:v", "mpeg4", "-q:v", "3",
                 "-c:a", "libmp3lame", "-b:a", "64k"});
}

QString SilentClip() {
    return Make("mjpeg_240x160_15_silent.avi",
                {"-f", "lavfi", "-i", "testsrc2=size=240x160:rate=15:duration=2", "-c:v", "mjpeg", "-q:v", "5",
                 "-pix_fmt", "yuvj420p"});
}

QString PcmClip() {
    return Make("pcm_160x120_25.avi",
                {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=3", "-f", "lavfi", "-i",
                 "anoisesrc=sample_rate=44100:duration=3:seed=7", "-ac", "2", "-c:v", "mpeg4", "-q:v", "3",
                 "-c:a", "pcm_s16le"});
}

QString Picture() {
    return Make("picture_200x100.jpg",
                {"-f", "lavfi", "-i", "testsrc2=size=200x100:rate=1:duration=1", "-frames:v", "1"});
}

namespace {
QJsonObject ProbeJson(const QString& file, bool countFrames) {
    QStringList args{"-v", "error", "-show_streams", "-show_format", "-of", "json", file};
    if (countFrames)
        args.prepend("-count_frames");
    return QJsonDocument::fromJson(Run("ffprobe", args)).object();
}
} // namespace

QJsonObject Probe(const QString& file) { return ProbeJson(file, true); }

QJsonObject ProbeHeaders(const QString& file) { return ProbeJson(file, false); }

QList<QHash<QString, QString>> SoundFrameRows(const QString& file, const QString& fields, int& rate) {
    QList<QHash<QString, QString>> rows = CompactRows(Run(
        "ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=sample_rate:frame=" + fields,
                    "-of", "compact=p=0", file}));
    rate = 0;
    rows.removeIf([&rate](const QHash<QString, QString>& row) {
        if (!row.contains("sample_rate"))
            return false;
        rate = row.value("sample_rate").toInt();
        return true;
    });
    return rows;
}

QJsonObject Stream(const QJsonObject& probe, const QString& type) {
    for (const QJsonValue& s : probe["streams"].toArray())
        if (s["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

QString DecodeErrors(const QString& file) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-i", file, "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(120000)) {
        ffmpeg.kill();
        return "ffmpeg did not finish decoding " + file;
    }
    const QString said = QString::fromUtf8(ffmpeg.readAllStandardError());
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return said.isEmpty() ? "ffmpeg failed on " + file : said;
    return said;
}

QStringList FrameHashes(const QString& file) {
    const QByteArray out = Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:v:0", "-f", "framemd5", "-"});
    QStringList hashes;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        hashes << QString::fromLatin1(line.split(',').last().trimmed());
    }
    return hashes;
}

QString AudioHash(const QString& file) {
    return QString::fromLatin1(
        Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:a:0", "-c:a", "pcm_s16le", "-f", "md5", "-"}).trimmed());
}

QVector<qint16> MonoSamples(const QString& file, int rate) {
    const QByteArray raw = Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:a:0", "-ac", "1", "-ar",
                                          QString::number(rate), "-f", "s16le", "-"});
    QVector<qint16> samples(raw.size() / 2);
    memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
}

QByteArray Luma(const QString& file, int frame) {
    return Run("ffmpeg", {"-v", "error", "-i", file, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(frame),
                          "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
}

double AudioSeconds(const QString& file) {
    int rate = 0;
    long long samples = 0;
    for (const auto& row : SoundFrameRows(file, "nb_samples", rate))
        samples += row.value("nb_samples").toLongLong();
    return rate > 0 ? double(samples) / rate : 0;
}

} // namespace testmedia
