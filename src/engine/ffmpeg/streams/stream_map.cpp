#include "engine/ffmpeg/streams/stream_map.h"

#include "engine/ffmpeg/timeline.h"

#include <QFileInfo>
#include <algorithm>
#include <set>

namespace {

bool Kept(const FileStreams& file, const StreamFacts& s, const QMap<QString, QList<int>>& kept) {
    const auto choice = kept.find(file.file);
    return choice == kept.end() || choice->contains(s.index);
}

std::vector<const StreamFacts*> KeptOfType(const FileStreams* file, AVMediaType type,
                                           const QMap<QString, QList<int>>& kept) {
    std::vector<const StreamFacts*> out;
    if (file)
        for (const StreamFacts& s : file->streams)
            if (s.type == type && Kept(*file, s, kept))
                out.push_back(&s);
    return out;
}

QString Describe(const StreamFacts& s) {
    QString text = QString::fromUtf8(avcodec_get_name(s.codec));
    if (!s.tags.language.empty())
        text = QString::fromStdString(s.tags.language) + QStringLiteral(", ") + text;
    return QStringLiteral("%1 (%2)").arg(s.index).arg(text);
}

// Collects notes once per file and reason, however often the file recurs in a join.
class Notes {
public:
    void add(const FileStreams& file, const QString& kind, const StreamFacts& s, const QString& why) {
        const QString note = QStringLiteral("Leaving out %1 track %2 of \"%3\": %4")
                                 .arg(kind, Describe(s), QFileInfo(file.file).fileName(), why);
        if (seen.insert(note).second)
            list.push_back(note);
    }
    std::vector<QString> list;

private:
    std::set<QString> seen;
};

// A subtitle stream the output can take as it is (a picture format holds the
// same pictures) or by converting its text.
bool Fits(const StreamFacts& s, const StreamCapacity& capacity) {
    if (capacity.subtitles == SubtitleKind::AsCoded)
        return true;
    if (capacity.subtitles == SubtitleKind::Bitmap)
        return s.codec == AV_CODEC_ID_DVD_SUBTITLE;
    const AVCodecDescriptor* d = avcodec_descriptor_get(s.codec);
    return capacity.subtitles == SubtitleKind::Text && d && (d->props & AV_CODEC_PROP_TEXT_SUB)
           && avcodec_find_decoder(s.codec);
}

QString Unfit(const StreamCapacity& capacity) {
    switch (capacity.subtitles) {
        case SubtitleKind::None: return QStringLiteral("the output format holds no subtitles");
        case SubtitleKind::Bitmap: return QStringLiteral("the output format holds only DVD subtitle pictures");
        case SubtitleKind::Text:
        case SubtitleKind::AsCoded: break;
    }
    return QStringLiteral("the output format holds only text subtitles");
}

void MapSound(StreamMap& map, const std::vector<const FileStreams*>& files, const QMap<QString, QList<int>>& kept,
              const StreamCapacity& capacity, Notes& notes) {
    std::vector<std::vector<const StreamFacts*>> perClip;
    size_t tracks = 0;
    bool chosenAway = false; // a file has sound, and the user took none of it
    for (const FileStreams* file : files) {
        perClip.push_back(KeptOfType(file, AVMEDIA_TYPE_AUDIO, kept));
        std::vector<const StreamFacts*>& clip = perClip.back();
        chosenAway = chosenAway || (clip.empty() && file && kept.contains(file->file)
                                    && std::any_of(file->streams.begin(), file->streams.end(),
                                                   [](const StreamFacts& s) { return s.type == AVMEDIA_TYPE_AUDIO; }));
        for (size_t t = size_t(capacity.soundTracks); t < clip.size(); ++t)
            notes.add(*file, QStringLiteral("sound"), *clip[t],
                      QStringLiteral("the output format holds %1 sound track(s)").arg(capacity.soundTracks));
        clip.resize(std::min(clip.size(), size_t(std::max(1, capacity.soundTracks))));
        tracks = std::max(tracks, clip.size());
    }
    // Sources without any sound still get a silent track, as players and disc
    // authoring expect one; sound the user left out is not put back as silence.
    if (tracks == 0 && !chosenAway)
        tracks = 1;
    map.sound.assign(tracks, std::vector<int>(files.size(), AudioClip::kNoSound));
    map.soundTags.assign(tracks, TrackTags{});
    std::vector<bool> tagged(tracks, false);
    for (size_t c = 0; c < perClip.size(); ++c)
        for (size_t t = 0; t < perClip[c].size(); ++t) {
            map.sound[t][c] = perClip[c][t]->index;
            if (!tagged[t]) {
                map.soundTags[t] = perClip[c][t]->tags;
                tagged[t] = true;
            }
        }
}

void MapSubtitles(StreamMap& map, const std::vector<const FileStreams*>& files, const QMap<QString, QList<int>>& kept,
                  const StreamCapacity& capacity, Notes& notes) {
    for (size_t c = 0; c < files.size(); ++c) {
        size_t slot = 0;
        for (const StreamFacts* s : KeptOfType(files[c], AVMEDIA_TYPE_SUBTITLE, kept)) {
            if (!Fits(*s, capacity)) {
                notes.add(*files[c], QStringLiteral("subtitle"), *s, Unfit(capacity));
                continue;
            }
            if (slot >= size_t(capacity.subtitleTracks)) {
                notes.add(*files[c], QStringLiteral("subtitle"), *s,
                          QStringLiteral("the output format holds %1 subtitle track(s)").arg(capacity.subtitleTracks));
                continue;
            }
            if (slot == map.subtitles.size())
                map.subtitles.push_back(SubtitleSlot{std::vector<int>(files.size(), -1), s->codec, s->bitmap,
                                                     capacity.subtitles == SubtitleKind::AsCoded, s->tags});
            SubtitleSlot& target = map.subtitles[slot];
            // Text of any kind converts into the one text codec; what is copied copies only among its own kind.
            if ((target.bitmap || target.asCoded) && target.codec != s->codec) {
                notes.add(*files[c], QStringLiteral("subtitle"), *s,
                          target.bitmap ? QStringLiteral("its pictures are coded unlike the first file's")
                                        : QStringLiteral("it is coded unlike the first file's"));
                continue;
            }
            target.streams[c] = s->index;
            ++slot;
        }
    }
}

} // namespace

StreamMap MapStreams(const std::vector<const FileStreams*>& videoFiles,
                     const std::vector<const FileStreams*>& soundFiles, const QMap<QString, QList<int>>& kept,
                     const StreamCapacity& capacity, bool withSound) {
    StreamMap map;
    Notes notes;
    if (withSound)
        MapSound(map, soundFiles, kept, capacity, notes);
    MapSubtitles(map, videoFiles, kept, capacity, notes);
    map.notes = std::move(notes.list);
    return map;
}
