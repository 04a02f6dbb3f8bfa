#include "common/media_filters.h"

#include <QStringList>

namespace {

// Extensions the engine reads, classic ones first, in the order the entries name them.
const QStringList kClassicVideo{"avi", "mpg", "wmv", "asf", "mpeg"};
const QStringList kNewVideo{"mp4", "m4v", "mkv", "mov", "webm", "ts", "m2ts", "mts", "vob", "flv", "3gp"};
const QStringList kPictures{"bmp", "jpg", "jpeg", "png"};
const QStringList kClassicMusic{"mp3", "wav"};
const QStringList kNewMusic{"m4a", "aac", "flac", "ogg", "opus"};

QString Patterns(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& e : extensions) patterns << "*." + e;
    return patterns.join(';');
}

FileFilter AllOf(const QStringList& extensions) {
    const QString patterns = Patterns(extensions);
    return {"All supported files (" + patterns + ")", patterns};
}

// The entries after the classic ones, one a kind.
QList<FileFilter> NewVideoEntries() {
    return {
        {"MP4 files (*.mp4;*.m4v)", "*.mp4;*.m4v"},
        {"MKV files (*.mkv)", "*.mkv"},
        {"MOV files (*.mov)", "*.mov"},
        {"WebM files (*.webm)", "*.webm"},
        {"Transport streams (*.ts;*.m2ts;*.mts)", "*.ts;*.m2ts;*.mts"},
        {"VOB files (*.vob)", "*.vob"},
        {"FLV files (*.flv)", "*.flv"},
        {"3GP files (*.3gp)", "*.3gp"},
    };
}

QList<FileFilter> ClassicVideoEntries() {
    return {
        {"MPEG files (*.mpg;*.mpeg)", "*.mpg;*.mpeg"},
        {"WMV files (*.wmv)", "*.wmv"},
        {"AVI files (*.avi)", "*.avi"},
        {"ASF files (*.asf)", "*.asf"},
    };
}

}  // namespace

QList<FileFilter> VideoFilters() {
    return QList<FileFilter>{AllOf(kClassicVideo + kNewVideo)} + ClassicVideoEntries() + NewVideoEntries();
}

QList<FileFilter> VideoAndPictureFilters() {
    return QList<FileFilter>{AllOf(kClassicVideo + kPictures + kNewVideo)} + ClassicVideoEntries() +
           QList<FileFilter>{
               {"BMP files (*.bmp)", "*.bmp"},
               {"JPG files (*.jpg,jpeg)", "*.jpg;*.jpeg"},
               {"PNG files (*.png)", "*.png"},
           } +
           NewVideoEntries();
}

QList<FileFilter> MusicFilters() {
    return {
        AllOf(kClassicMusic + kNewMusic),
        {"MP3 (*.mp3)", "*.mp3"},
        {"WAV files (*.wav)", "*.wav"},
        {"M4A and AAC files (*.m4a;*.aac)", "*.m4a;*.aac"},
        {"FLAC files (*.flac)", "*.flac"},
        {"Ogg files (*.ogg;*.opus)", "*.ogg;*.opus"},
    };
}
