#include "track_media.h"

#include "test_media.h"

#include <QFile>
#include <QUuid>

namespace testmedia {

namespace {

// Two cues within the first second, made once beside the media.
QString SubtitleFile() {
    const QString path = Folder() + "/two_cues.srt";
    if (QFile::exists(path)) return path;
    const QString temp = path + '.' + QUuid::createUuid().toString(QUuid::Id128);
    QFile f(temp);
    if (f.open(QIODevice::WriteOnly)) {
        f.write("1\n00:00:00,100 --> 00:00:00,500\nHello\n\n2\n00:00:00,500 --> 00:00:00,900\nGoodbye\n");
        f.close();
        QFile::rename(temp, path);
    }
    QFile::remove(temp);
    return path;
}

const QStringList kPicture{"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=1"};
QStringList Tone(int frequency, const char* layout = "stereo") {
    return {"-f", "lavfi", "-i",
            QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=1,aformat=channel_layouts=%2")
                .arg(frequency).arg(layout)};
}

}  // namespace

QString TwoLanguagesMkv() {
    return Make("two_languages.mkv",
                kPicture + Tone(440) + Tone(660) +
                    QStringList{"-i", SubtitleFile(), "-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3:s",
                                "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a:0", "aac",
                                "-c:a:1", "ac3", "-c:s", "srt", "-metadata:s:a:0", "language=eng",
                                "-metadata:s:a:0", "title=Main", "-metadata:s:a:1", "language=fra",
                                "-metadata:s:a:1", "title=Commentaire", "-metadata:s:s:0", "language=eng"});
}

QString MovTextMp4() {
    return Make("mov_text.mp4", kPicture + Tone(440) +
                                    QStringList{"-i", SubtitleFile(), "-map", "0:v", "-map", "1:a", "-map", "2:s",
                                                "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                                                "-c:a", "aac", "-c:s", "mov_text", "-metadata:s:s:0", "language=eng"});
}

QString SurroundMkv() {
    return Make("surround.mkv", kPicture + Tone(440, "5.1") +
                                    QStringList{"-c:v", "mpeg4", "-c:a", "ac3", "-b:a", "384k"});
}

}  // namespace testmedia
