#include "engine/source_tracks.h"

#include "engine/ffmpeg/streams/file_streams.h"

#include <QStringList>

namespace {

SourceTrack Describe(const StreamFacts& s) {
    SourceTrack track;
    track.stream = s.index;
    const char* kind = av_get_media_type_string(s.type);
    track.kind = QString::fromUtf8(kind ? kind : "data");
    track.codec = QString::fromUtf8(avcodec_get_name(s.codec));
    track.language = QString::fromStdString(s.tags.language);
    track.title = QString::fromStdString(s.tags.title);
    track.channels = s.channels;
    track.bitmap = s.type == AVMEDIA_TYPE_SUBTITLE && s.bitmap;
    return track;
}

} // namespace

std::vector<SourceTrack> ReadSourceTracks(const QString& file) {
    std::vector<SourceTrack> tracks;
    for (const StreamFacts& s : ReadFileStreams(file, nullptr).streams)
        tracks.push_back(Describe(s));
    return tracks;
}

QString DescribeTrack(const SourceTrack& track) {
    QStringList parts{track.kind, track.codec};
    if (track.channels > 0) parts << (track.channels == 1 ? QStringLiteral("1 channel")
                                                           : QStringLiteral("%1 channels").arg(track.channels));
    if (track.bitmap) parts << QStringLiteral("pictures");
    if (!track.language.isEmpty()) parts << track.language;
    if (!track.title.isEmpty()) parts << '"' + track.title + '"';
    return parts.join(QStringLiteral(", "));
}
