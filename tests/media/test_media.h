#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// Small media files for tests, made with the ffmpeg command line the first time a
// test asks and kept in the build tree, so every test and suite shares them.
// Each function returns the absolute path of its file.
namespace testmedia {

// The folder that holds the made files.
QString Folder();

// 3 s, 160x120, 25 fps H.264 (a keyframe every 10 frames, B-frames) and a 440 Hz
// AAC tone, 44.1 kHz stereo, in MP4.
QString H264Clip();
// 3 s, 160x120, 25 fps MPEG-2 (GOP 12) and MP2 48 kHz stereo in an MPEG program
// stream, whose demuxer lands after the seek target and whose times start late.
QString MpegPsClip();
// 2 s, 320x180 (16:9), 30000/1001 fps MPEG-4 and MP3 48 kHz mono in AVI.
QString WideClip();
// 2 s, 240x160, 15 fps Motion JPEG in AVI, no sound.
QString SilentClip();
// 3 s, 160x120, 25 fps MPEG-4 and noise as 16-bit PCM, 44.1 kHz stereo, in
// AVI: sound that can be compared sample for sample.
QString PcmClip();
// A JPEG picture of 200x100.
QString Picture();

// Any other file: made once from `ffmpegArgs` (inputs and codecs; the output
// path is appended). Safe when several test processes ask at once.
QString Make(const QString& name, const QStringList& ffmpegArgs);

// Runs a program and returns its standard output; fails the calling test (via
// an empty result and a message on stderr) when it does not exit 0.
QByteArray Run(const QString& program, const QStringList& args, int* exitCode = nullptr);

// ffprobe's view of a file: {"streams": [...], "format": {...}} with frame counts.
QJsonObject Probe(const QString& file);
// The same without frame counts: what the headers say, without decoding the file.
QJsonObject ProbeHeaders(const QString& file);
// The first audio stream's decoded frames, a row of `fields` each (ffprobe's
// names, comma-separated), and its sample rate (0 without sound), in one reading.
QList<QHash<QString, QString>> SoundFrameRows(const QString& file, const QString& fields, int& rate);
// The first stream of a type ("video", "audio"), or an empty object.
QJsonObject Stream(const QJsonObject& probe, const QString& type);
// What ffmpeg says at level "error" while decoding every stream of a file: empty
// when it decodes cleanly (the messages go to standard error, not the output).
QString DecodeErrors(const QString& file);
// A checksum of every decoded video frame, in order (ffmpeg's framemd5).
QStringList FrameHashes(const QString& file);
// A checksum of the whole decoded first audio stream as 16-bit PCM.
QString AudioHash(const QString& file);
// The decoded first audio stream mixed to mono 16-bit samples at `rate` Hz.
QVector<qint16> MonoSamples(const QString& file, int rate);
// The luma of one decoded frame (first by default), one byte a pixel, row by row.
QByteArray Luma(const QString& file, int frame = 0);
// Seconds of decoded sound (samples / rate), 0 without an audio stream.
double AudioSeconds(const QString& file);

} // namespace testmedia
