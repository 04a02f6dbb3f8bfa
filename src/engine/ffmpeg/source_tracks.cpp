#include "engine/source_tracks.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/source_file.h"
#include "engine/ffmpeg/streams/track_labels.h"

#include <QStringList>

namespace {

const QString kRead = QStringLiteral("Cannot read");

SourceTrack Describe(const AVStream* stream) {
    const AVCodecParameters* par = stream->codecpar;
    SourceTrack track;
    track.stream = stream->index;
    const char* kind = av_get_media_type_string(par->codec_type);
    track.kind = QString::fromUtf8(kind ? kind : "data");
    track.codec = QString::fromUtf8(avcodec_get_name(par->codec_id));
    track.language = TrackLanguage(stream);
    track.title = TrackTitle(stream);
    if (par->codec_type == AVMEDIA_TYPE_AUDIO) track.channels = par->ch_layout.nb_channels;
    if (const AVCodecDescriptor* d = avcodec_descriptor_get(par->codec_id))
        track.bitmap = par->codec_type == AVMEDIA_TYPE_SUBTITLE && (d->props & AV_CODEC_PROP_BITMAP_SUB);
    return track;
}

} // namespace

std::vector<SourceTrack> ReadSourceTracks(const QString& file) {
    if (const QString problem = SourceFileProblem(file); !problem.isEmpty())
        av::Fail(kRead, file, problem);
    AVFormatContext* raw = nullptr;
    av::Check(avformat_open_input(&raw, LocalFileUrl(file).constData(), nullptr, nullptr), kRead, file);
    const av::InputPtr format(raw);
    // The header alone leaves an MPEG program stream's streams and many codecs'
    // channel counts unknown.
    av::Check(avformat_find_stream_info(format.get(), nullptr), kRead, file);
    std::vector<SourceTrack> tracks;
    tracks.reserve(format->nb_streams);
    for (unsigned i = 0; i < format->nb_streams; ++i) tracks.push_back(Describe(format->streams[i]));
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
