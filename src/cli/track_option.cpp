#include "cli/track_option.h"

#include "common/track_choice.h"

#include <QDir>
#include <QStringList>
#include <algorithm>

bool ParseTrackList(const QString& text, std::optional<QList<int>>& streams) {
    if (text.trimmed() == QLatin1String("all")) {
        streams.reset();
        return true;
    }
    QList<int> list;
    for (const QString& item : text.split(',')) {
        bool ok = false;
        const int stream = item.trimmed().toInt(&ok);
        if (!ok || stream < 0) return false;
        list << stream;
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    streams = list;
    return true;
}

QString TrackListProblem(const QString& file, const std::vector<SourceTrack>& tracks, const QList<int>& streams) {
    QStringList choosable;
    for (const SourceTrack& track : tracks)
        if (IsChoosable(track)) choosable << QString::number(track.stream);
    const QString those = choosable.isEmpty() ? QStringLiteral("it has no sound or subtitle streams")
                                              : QStringLiteral("its sound and subtitle streams are ") + choosable.join(", ");
    const QString shown = QDir::toNativeSeparators(file);
    for (int stream : streams) {
        if (choosable.contains(QString::number(stream))) continue;
        const auto it = std::find_if(tracks.begin(), tracks.end(), [stream](const SourceTrack& t) { return t.stream == stream; });
        const QString what = it == tracks.end() ? QStringLiteral("\"%1\" has no stream %2").arg(shown).arg(stream)
                                                : QStringLiteral("stream %1 of \"%2\" is %3").arg(stream).arg(shown, it->kind);
        return QStringLiteral("--tracks %1: %2; %3").arg(stream).arg(what, those);
    }
    return {};
}
