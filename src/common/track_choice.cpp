#include "common/track_choice.h"

#include "engine/video_edit.h"

#include <algorithm>

void ApplyKeptTracks(TVideoEdit& engine, const KeptTracks& kept) {
    if (!engine.properties().keptTracks.isEmpty()) engine.ClearKeptTracks();
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) engine.SetKeptTracks(it.key(), it.value());
}

bool IsChoosable(const SourceTrack& track) {
    return track.kind == QLatin1String("audio") || track.kind == QLatin1String("subtitle");
}

QStringList TrackRowTexts(const SourceTrack& track) {
    QString kind = track.kind == QLatin1String("audio")      ? QStringLiteral("Sound")
                   : track.kind == QLatin1String("subtitle") ? QStringLiteral("Subtitles")
                                                             : track.kind.left(1).toUpper() + track.kind.mid(1);
    kind += QStringLiteral(" #%1").arg(track.stream);
    QString codec = track.codec;
    if (track.channels > 0)
        codec += track.channels == 1 ? QStringLiteral(", 1 channel") : QStringLiteral(", %1 channels").arg(track.channels);
    if (track.bitmap) codec += QStringLiteral(", pictures");
    return {kind, codec, track.language, track.title};
}

void TrackChoices::setTracks(const QString& file, const std::vector<SourceTrack>& tracks) {
    std::vector<SourceTrack> choosable;
    std::copy_if(tracks.begin(), tracks.end(), std::back_inserter(choosable), IsChoosable);
    read.insert(file, choosable);
}

QString TrackChoices::emptyNote(const QString& file) const {
    if (!known(file)) return QStringLiteral("Reading the tracks...");
    return read.value(file).empty() ? QStringLiteral("No sound or subtitle tracks") : QString();
}

bool TrackChoices::isKept(const QString& file, int stream) const { return !dropped.value(file).contains(stream); }

void TrackChoices::setKept(const QString& file, int stream, bool kept) {
    if (kept) {
        dropped[file].remove(stream);
    } else {
        dropped[file].insert(stream);
    }
}

std::optional<QList<int>> TrackChoices::keptStreams(const QString& file) const {
    QList<int> kept;
    bool all = true;
    for (const SourceTrack& track : read.value(file)) {
        if (isKept(file, track.stream)) {
            kept << track.stream;
        } else {
            all = false;
        }
    }
    if (all) return std::nullopt;
    return kept;
}

KeptTracks TrackChoices::keptFor(const QStringList& files) const {
    KeptTracks kept;
    for (const QString& file : files)
        if (const std::optional<QList<int>> streams = keptStreams(file)) kept.insert(file, *streams);
    return kept;
}
