#include "engine/ffmpeg/streams/track_labels.h"

#include <QStringList>

namespace {

QString Tag(const AVStream* stream, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(stream->metadata, key, nullptr, 0);
    return entry ? QString::fromUtf8(entry->value).trimmed() : QString();
}

bool IsGenericHandler(const QString& name) {
    static const QStringList generic{"SoundHandler", "VideoHandler", "SubtitleHandler", "TextHandler",
                                     "DataHandler",  "Core Media Audio", "Core Media Video", "Core Media Text",
                                     "ISO Media file produced by Google Inc.", "Mainconcept Video Media Handler",
                                     "GPAC ISO Audio Handler", "GPAC ISO Video Handler", "L-SMASH Audio Handler",
                                     "L-SMASH Video Handler"};
    return name.isEmpty() || generic.contains(name, Qt::CaseInsensitive);
}

} // namespace

QString TrackLanguage(const AVStream* stream) {
    const QString language = Tag(stream, "language");
    return language.compare(QLatin1String("und"), Qt::CaseInsensitive) == 0 ? QString() : language;
}

QString TrackTitle(const AVStream* stream) {
    const QString title = Tag(stream, "title");
    if (!title.isEmpty())
        return title;
    const QString handler = Tag(stream, "handler_name");
    return IsGenericHandler(handler) ? QString() : handler;
}
