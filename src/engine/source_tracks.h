#pragma once

#include <QString>
#include <vector>

// One stream of a media file as the user chooses among them: what it is, in
// which language, under which title.
struct SourceTrack {
    int stream = 0;      // index among the file's streams, as TVideoEdit::SetKeptTracks takes it
    QString kind;        // "video", "audio", "subtitle", "data", "attachment"
    QString codec;       // the codec's short name: "aac", "ac3", "subrip", "dvd_subtitle"
    QString language;    // ISO 639-2 as tagged ("eng", "fra"), empty when untagged
    QString title;       // the stream's own title tag, empty when none
    int channels = 0;    // sound only
    bool bitmap = false; // subtitles drawn as pictures (DVD, PGS) rather than text
};

// Every stream of a file in its own order. Raises QuillmarkError naming the file
// when it cannot be read as media. Safe to call from any thread.
std::vector<SourceTrack> ReadSourceTracks(const QString& file);

// "audio, ac3, 6 channels, fra, \"Commentaire\"": kind, codec and what is known.
QString DescribeTrack(const SourceTrack& track);
