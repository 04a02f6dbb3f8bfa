#include "user_media.h"

#include "probe_rows.h"
#include "test_media.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cmath>
#include <functional>

namespace testmedia {
namespace {

// LAME's encoder and decoder delay together. AVI has nowhere to record it, so
// FFmpeg plays MP3-in-AVI sound this many samples late; the beeps are written
// that much early so the file still plays in sync.
constexpr int kLameDelaySamples = 1105;

// MP3 starts before zero (LAME's padding); shifting every stream to make up
// for it rounds to whole frames in AVI's frame clock and leaves an empty chunk
// after the first frame. AVI sound always starts at zero, so nothing is shifted.
const QStringList kKeepAviClock{"-avoid_negative_ts", "disabled"};

// Black frames with one white frame once a second, the first at frame fps/2.
QString Flashes(const QString& size, int fps, double seconds) {
    return QStringLiteral("color=black:s=%1:r=%2:d=%3,drawbox=c=white:t=fill:enable='eq(mod(n-%4\\,%2)\\,0)'")
        .arg(size)
        .arg(fps)
        .arg(seconds)
        .arg(fps / 2);
}

// The instant of the first flash of a constant-rate picture.
double FirstFlash(int fps) { return double(fps / 2) / fps; }

// Silence with 40 ms of a 1 kHz sine once a second, the first starting at
// sample `first`. Counted in samples so every beep starts on an exact sample.
QString Beeps(int rate, double seconds, long long first) {
    const int length = rate * 40 / 1000;
    return QStringLiteral("aevalsrc=exprs='if(gte(n\\,%1)*lt(mod(n-%1\\,%2)\\,%3)\\,0.8*sin(2*PI*1000*(n-%1)/%2)\\,0)'"
                          ":s=%2:d=%4")
        .arg(first)
        .arg(rate)
        .arg(length)
        .arg(seconds);
}

long long SampleAt(double seconds, int rate) { return std::llround(std::ceil(seconds * rate - 1e-9)); }

QStringList Lavfi(const QString& graph) { return {"-f", "lavfi", "-i", graph}; }

const QStringList kH264{"-c:v", "libx264", "-preset", "veryfast", "-bf", "2", "-g", "12", "-pix_fmt", "yuv420p"};
const QStringList kAac{"-c:a", "aac", "-b:a", "128k", "-ac", "2"};

// The common phone shape: 320x240 25 fps H.264 + AAC with beeps on the flashes.
QStringList PhoneArgs(double pictureSeconds, double soundSeconds) {
    QStringList args = Lavfi(Flashes("320x240", 25, pictureSeconds));
    args << Lavfi(Beeps(44100, soundSeconds, SampleAt(FirstFlash(25), 44100))) << kH264 << kAac;
    return args;
}

QString MakeShape(Shape shape) {
    switch (shape) {
    case Shape::AacMp4:
        return Make("user_AacMp4.mp4", PhoneArgs(4, 4));
    case Shape::Mp3Avi: {
        QStringList args = Lavfi(Flashes("320x240", 25, 4));
        args << Lavfi(Beeps(44100, 4, SampleAt(FirstFlash(25), 44100) - kLameDelaySamples)) << "-c:v" << "mpeg4"
             << "-q:v" << "4" << "-bf" << "0" << "-c:a" << "libmp3lame" << "-b:a" << "128k" << "-ac" << "2"
             << kKeepAviClock;
        return Make("user_Mp3Avi.avi", args);
    }
    case Shape::Ac3Mpeg: {
        QStringList args = Lavfi(Flashes("720x576", 25, 4));
        args << Lavfi(Beeps(48000, 4, SampleAt(FirstFlash(25), 48000))) << "-c:v" << "mpeg2video" << "-q:v" << "4"
             << "-g" << "12" << "-bf" << "2" << "-c:a" << "ac3" << "-b:a" << "192k" << "-ac" << "2" << "-f" << "vob";
        return Make("user_Ac3Mpeg.vob", args);
    }
    case Shape::Mp2Mpeg: {
        QStringList args = Lavfi(Flashes("352x288", 25, 4));
        args << Lavfi(Beeps(44100, 4, SampleAt(FirstFlash(25), 44100))) << "-c:v" << "mpeg1video" << "-q:v" << "4"
             << "-bf" << "2" << "-c:a" << "mp2" << "-b:a" << "192k" << "-ac" << "2" << "-f" << "mpeg";
        return Make("user_Mp2Mpeg.mpg", args);
    }
    case Shape::WmaAsf: {
        QStringList args = Lavfi(Flashes("320x240", 25, 4));
        args << Lavfi(Beeps(44100, 4, SampleAt(FirstFlash(25), 44100))) << "-c:v" << "wmv2" << "-q:v" << "4"
             << "-c:a" << "wmav2" << "-b:a" << "128k" << "-ac" << "2";
        return Make("user_WmaAsf.wmv", args);
    }
    case Shape::SoundLonger:
        return Make("user_SoundLonger.mp4", PhoneArgs(2.0, 2.5));
    case Shape::SoundShorter:
        return Make("user_SoundShorter.mp4", PhoneArgs(2.5, 2.0));
    case Shape::LateSound: {
        // The sound begins with the second flash: its own first beep, at 0.48 s of
        // its clock, lands on 1.48 s of the file's. A movie timescale of the sample
        // rate keeps the edit list that delays it sample-exact.
        QStringList args = Lavfi(Flashes("320x240", 25, 4));
        args << "-itsoffset" << "1" << Lavfi(Beeps(44100, 3, SampleAt(FirstFlash(25), 44100))) << kH264 << kAac
             << "-movie_timescale" << "44100";
        return Make("user_LateSound.mp4", args);
    }
    case Shape::RotatedPhone: {
        // FFmpeg 5.1 writes the display matrix from the "rotate" tag only when it copies.
        QStringList args = Lavfi(Flashes("320x240", 25, 4) + ",drawbox=x=0:y=0:w=48:h=48:c=white:t=fill");
        args << Lavfi(Beeps(44100, 4, SampleAt(FirstFlash(25), 44100))) << kH264 << kAac;
        const QString coded = Make("user_RotatedPhone_coded.mp4", args);
        return Make("user_RotatedPhone.mp4", {"-i", coded, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    }
    case Shape::Interlaced576i: {
        // Two progressive 50 fps pictures woven into each frame, the first in the
        // top field; both halves of a flash frame are white.
        const QString picture =
            "color=black:s=720x576:r=50:d=4,drawbox=c=white:t=fill:enable='eq(mod(floor(n/2)-12\\,25)\\,0)'[bg];"
            "color=gray:s=64x576:r=50:d=4[bar];[bg][bar]overlay=x='mod(n*24\\,656)':y=0:shortest=1,"
            "interlace=scan=tff";
        QStringList args = Lavfi(picture);
        args << Lavfi(Beeps(48000, 4, SampleAt(FirstFlash(25), 48000))) << "-c:v" << "mpeg2video" << "-q:v" << "4"
             << "-flags" << "+ildct+ilme" << "-top" << "1" << "-c:a" << "mp2" << "-b:a" << "192k" << "-ac" << "2"
             << "-f" << "vob";
        return Make("user_Interlaced576i.mpg", args);
    }
    case Shape::Anamorphic: {
        QStringList args = Lavfi(Flashes("720x576", 25, 4));
        args << Lavfi(Beeps(48000, 4, SampleAt(FirstFlash(25), 48000))) << "-c:v" << "mpeg2video" << "-q:v" << "4"
             << "-aspect" << "16:9" << "-c:a" << "mp2" << "-b:a" << "192k" << "-ac" << "2" << "-f" << "vob";
        return Make("user_Anamorphic.mpg", args);
    }
    case Shape::OffsetTs: {
        QStringList args = PhoneArgs(4, 4);
        args << "-output_ts_offset" << "10" << "-muxdelay" << "0" << "-muxpreload" << "0" << "-f" << "mpegts";
        return Make("user_OffsetTs.ts", args);
    }
    case Shape::VariableRate: {
        // A 100 fps picture thinned to frames 20..50 ms apart: the same 14 gaps
        // every 500 ms, so the frames at 0.5 + k s (the flashes) are always kept.
        QString keep;
        for (int tick : {0, 2, 5, 9, 14, 16, 19, 23, 28, 30, 33, 37, 42, 45})
            keep += QStringLiteral("%1eq(mod(n\\,50)\\,%2)").arg(keep.isEmpty() ? "" : "+").arg(tick);
        const QString picture = "color=black:s=320x240:r=100:d=4,"
                                "drawbox=c=white:t=fill:enable='eq(mod(n-50\\,100)\\,0)',select='" + keep + "'";
        QStringList args = Lavfi(picture);
        args << Lavfi(Beeps(44100, 4, SampleAt(0.5, 44100))) << kH264 << kAac << "-fps_mode" << "vfr";
        return Make("user_VariableRate.mp4", args);
    }
    case Shape::CameraMjpeg: {
        QStringList args = Lavfi(Flashes("320x240", 30, 4));
        args << Lavfi(Beeps(11025, 4, SampleAt(FirstFlash(30), 11025)) + ",asetnsamples=n=11025") << "-c:v" << "mjpeg"
             << "-q:v" << "4" << "-pix_fmt" << "yuvj420p" << "-c:a" << "pcm_s16le" << "-ac" << "1";
        return Make("user_CameraMjpeg.avi", args);
    }
    case Shape::PackedXvid: {
        // libxvid packs each B-frame with the next P-frame as DivX did, but leaves
        // empty chunks after the first frame; renumbering the packets removes
        // them. FFmpeg shows a B-frame AVI's first frame one frame (40 ms) late,
        // so the beeps sit at 0.52 + k s less LAME's delay.
        const QString picture = Flashes("320x240", 25, 4) +
                                "[bg];color=gray:s=32x32:r=25:d=4[sq];[bg][sq]overlay=x='mod(n*8\\,288)':y=100:shortest=1";
        QStringList args = Lavfi(picture);
        args << Lavfi(Beeps(44100, 4, SampleAt(FirstFlash(25) + 0.04, 44100) - kLameDelaySamples)) << "-c:v"
             << "libxvid" << "-bf" << "2" << "-q:v" << "4" << "-c:a" << "libmp3lame" << "-b:a" << "128k" << "-ac"
             << "2" << kKeepAviClock;
        const QString encoded = Make("user_PackedXvid_encoded.avi", args);
        return Make("user_PackedXvid.avi", {"-i", encoded, "-c", "copy", "-bsf:v", "setts=dts=N:pts=N"});
    }
    }
    return {};
}

// Writes `bytes` as `name` in the media folder under a temporary name first, so
// a test running alongside never reads half a file.
QString WriteOnce(const QString& name, const std::function<QByteArray()>& bytes) {
    const QString path = Folder() + '/' + name;
    if (QFileInfo::exists(path))
        return path;
    const QString temp = Folder() + QStringLiteral("/.%1-%2").arg(QUuid::createUuid().toString(QUuid::Id128), name);
    QFile out(temp);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(bytes());
        out.close();
        QFile::rename(temp, path);
    }
    QFile::remove(temp);
    return path;
}

QByteArray ReadAll(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

QString UserClip(Shape shape) { return MakeShape(shape); }

QString ShapeName(Shape shape) {
    switch (shape) {
    case Shape::AacMp4: return "AacMp4";
    case Shape::Mp3Avi: return "Mp3Avi";
    case Shape::Ac3Mpeg: return "Ac3Mpeg";
    case Shape::Mp2Mpeg: return "Mp2Mpeg";
    case Shape::WmaAsf: return "WmaAsf";
    case Shape::SoundLonger: return "SoundLonger";
    case Shape::SoundShorter: return "SoundShorter";
    case Shape::LateSound: return "LateSound";
    case Shape::RotatedPhone: return "RotatedPhone";
    case Shape::Interlaced576i: return "Interlaced576i";
    case Shape::Anamorphic: return "Anamorphic";
    case Shape::OffsetTs: return "OffsetTs";
    case Shape::VariableRate: return "VariableRate";
    case Shape::CameraMjpeg: return "CameraMjpeg";
    case Shape::PackedXvid: return "PackedXvid";
    }
    return "Unknown";
}

std::vector<Shape> AllShapes() {
    return {Shape::AacMp4,      Shape::Mp3Avi,       Shape::Ac3Mpeg,        Shape::Mp2Mpeg,    Shape::WmaAsf,
            Shape::SoundLonger, Shape::SoundShorter, Shape::LateSound,      Shape::RotatedPhone,
            Shape::Interlaced576i, Shape::Anamorphic, Shape::OffsetTs,      Shape::VariableRate,
            Shape::CameraMjpeg, Shape::PackedXvid};
}

QString AwkwardlyNamedClip() {
    const QString source = UserClip(Shape::AacMp4);
    return WriteOnce(QString::fromUtf8("Tom's \"Urlaub\" Ürümqi 1.mp4"), [&] { return ReadAll(source); });
}

namespace {

// The AacMp4 clip with its AAC packets from `from` to `to` s overwritten.
QString WithDamagedSound(const QString& name, double from, double to) {
    const QString source = UserClip(Shape::AacMp4);
    return WriteOnce(name, [&] {
        QByteArray bytes = ReadAll(source);
        const QByteArray packets = Run("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                   "packet=pts_time,pos,size", "-of", "compact=p=0", source});
        // A fixed pseudo-random fill, so every build tree damages the file alike.
        quint32 noise = 12345;
        for (const auto& packet : CompactRows(packets)) {
            const double pts = packet.value("pts_time").toDouble();
            const qint64 size = packet.value("size").toLongLong(), pos = packet.value("pos").toLongLong();
            if (pts < from || pts >= to || pos <= 0 || pos + size > bytes.size())
                continue;
            for (qint64 i = pos; i < pos + size; ++i) {
                noise = noise * 1103515245u + 12345u;
                bytes[i] = char(noise >> 24);
            }
        }
        return bytes;
    });
}

} // namespace

QString DamagedSoundMp4() {
    return WithDamagedSound("user_DamagedSound.mp4", 1.5, 2.5);
}

QString UndecodableSoundMp4() {
    return WithDamagedSound("user_UndecodableSound.mp4", -1, 1e9);
}

QString TruncatedMp4() {
    const QString source = UserClip(Shape::AacMp4);
    return WriteOnce("user_Truncated.mp4", [&] { return ReadAll(source).left(100); });
}

} // namespace testmedia
