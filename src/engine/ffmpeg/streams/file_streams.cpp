#include "engine/ffmpeg/streams/file_streams.h"

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/streams/track_labels.h"

namespace {

std::string TagOf(const AVDictionary* metadata, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(metadata, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

} // namespace

FileStreams ReadFileStreams(const QString& file, const std::atomic<bool>* stop) {
    MediaReader reader(file, AVMEDIA_TYPE_VIDEO, true, stop);
    const AVFormatContext* fmt = reader.format();
    FileStreams facts;
    facts.file = file;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        const AVCodecDescriptor* codec = avcodec_descriptor_get(st->codecpar->codec_id);
        facts.streams.push_back(StreamFacts{int(i), st->codecpar->codec_type, st->codecpar->codec_id,
                                            codec && (codec->props & AV_CODEC_PROP_BITMAP_SUB),
                                            TrackTags{TrackLanguage(st).toStdString(), TrackTitle(st).toStdString()},
                                            st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO ? st->codecpar->ch_layout.nb_channels : 0});
    }
    const int64_t origin = fmt->start_time == AV_NOPTS_VALUE ? 0 : fmt->start_time;
    for (unsigned i = 0; i < fmt->nb_chapters; ++i) {
        const AVChapter* c = fmt->chapters[i];
        const double start = c->start * av_q2d(c->time_base) - origin / double(AV_TIME_BASE);
        const double end = c->end * av_q2d(c->time_base) - origin / double(AV_TIME_BASE);
        facts.chapters.push_back(ChapterMark{start, end, TagOf(c->metadata, "title")});
    }
    for (const AVDictionaryEntry* e = nullptr; (e = av_dict_get(fmt->metadata, "", e, AV_DICT_IGNORE_SUFFIX));)
        facts.tags.emplace_back(e->key, e->value);
    return facts;
}
