#include "engine/ffmpeg/source_copy/source_coding.h"

#include <QFile>
#include <cstring>

SourceCoding ReadSourceCoding(const QString& file, AVFormatContext* format, AVStream* stream, bool sideways) {
    SourceCoding c;
    const AVCodecParameters* par = stream->codecpar;
    c.file = file;
    c.demuxer = format->iformat->name;
    c.codec = par->codec_id;
    c.profile = par->profile;
    c.level = par->level;
    c.tag = par->codec_tag;
    c.pixelFormat = AVPixelFormat(par->format);
    c.width = par->width;
    c.height = par->height;
    const AVRational sar = av_guess_sample_aspect_ratio(format, stream, nullptr);
    if (sar.num > 0 && sar.den > 0)
        c.sampleAspect = sar;
    c.primaries = par->color_primaries;
    c.transfer = par->color_trc;
    c.space = par->color_space;
    c.range = par->color_range;
    c.chroma = par->chroma_location;
    c.sideways = sideways;
    size_t size = 0;
    if (const auto* cpb = reinterpret_cast<const AVCPBProperties*>(
            av_stream_get_side_data(stream, AV_PKT_DATA_CPB_PROPERTIES, &size))) {
        c.maxRate = cpb->max_bitrate;
        c.bufferSize = cpb->buffer_size;
    }
    const int sound = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (sound >= 0) {
        const AVCodecParameters* a = format->streams[sound]->codecpar;
        c.soundCodec = a->codec_id;
        c.sampleRate = a->sample_rate;
        c.channels = a->ch_layout.nb_channels;
        c.soundBitRate = a->bit_rate;
    }
    return c;
}

std::string SourceMuxer(const SourceCoding& coding) {
    // The file's own name says best which of a family's muxers wrote it (MOV or
    // MP4, Matroska or WebM); AVCHD's .mts and .m2ts are transport streams.
    const QByteArray name = QFile::encodeName(coding.file);
    // A DVD's title keeps its navigation packs.
    if (coding.file.endsWith(QStringLiteral(".vob"), Qt::CaseInsensitive))
        return "vob";
    if (const AVOutputFormat* guessed = av_guess_format(nullptr, name.constData(), nullptr)) {
        static const char* const known[] = {"mp4", "mov", "matroska", "webm", "mpegts", "mpeg", "vob", "avi",
                                            "ipod", "3gp", "3g2", "mpeg1video", "asf", "flv"};
        for (const char* k : known)
            if (std::strcmp(guessed->name, k) == 0)
                return guessed->name;
    }
    const std::string& d = coding.demuxer;
    if (d.rfind("mov,", 0) == 0)
        return "mov";
    if (d.rfind("matroska", 0) == 0)
        return coding.codec == AV_CODEC_ID_VP9 || coding.codec == AV_CODEC_ID_VP8 || coding.codec == AV_CODEC_ID_AV1
                   ? "webm" : "matroska";
    for (const char* same : {"mpegts", "mpeg", "avi", "asf", "flv"})
        if (d == same)
            return d;
    return {};
}

std::string MatchedVideoEncoder(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_H264: return "libx264";
    case AV_CODEC_ID_HEVC: return "libx265";
    case AV_CODEC_ID_MPEG2VIDEO: return "mpeg2video";
    case AV_CODEC_ID_MPEG1VIDEO: return "mpeg1video";
    case AV_CODEC_ID_MPEG4: return "mpeg4";
    case AV_CODEC_ID_VP9: return "libvpx-vp9";
    case AV_CODEC_ID_VP8: return "libvpx";
    default: break;
    }
    const AVCodec* any = avcodec_find_encoder(codec);
    return any ? any->name : std::string();
}

std::string MatchedSoundEncoder(AVCodecID codec) {
    switch (codec) {
    case AV_CODEC_ID_MP3: return "libmp3lame";
    case AV_CODEC_ID_OPUS: return "libopus";
    case AV_CODEC_ID_VORBIS: return "libvorbis";
    default: break;
    }
    const AVCodec* any = avcodec_find_encoder(codec);
    return any ? any->name : std::string();
}
