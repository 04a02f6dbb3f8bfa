#pragma once

#include "engine/source_tracks.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class TVideoEdit;

// The sound and subtitle streams of each source that go into an output, by
// stream index; a source missing here keeps every one.
using KeptTracks = QMap<QString, QList<int>>;

// Hands `kept` to the engine. What an earlier run left there goes first: the
// engine keeps a file's choice until it is cleared, and one engine serves many runs.
void ApplyKeptTracks(TVideoEdit& engine, const KeptTracks& kept);

// Sound and subtitle tracks are the ones a user picks; the picture always goes in.
bool IsChoosable(const SourceTrack& track);

// A track's row as the lists show it: kind, codec (with channels, or that the
// subtitles are pictures), language, title.
QStringList TrackRowTexts(const SourceTrack& track);

// Which tracks the user ticked in each source, for as long as the program runs
// (never saved). A track is ticked until the user unticks it, and a file chosen
// again keeps its ticks.
class TrackChoices {
public:
    // What `file` holds, once read; its sound and subtitle tracks are listed.
    void setTracks(const QString& file, const std::vector<SourceTrack>& tracks);
    bool known(const QString& file) const { return read.contains(file); }
    // The sound and subtitle tracks of `file` in stream order; empty while unknown.
    std::vector<SourceTrack> tracks(const QString& file) const { return read.value(file); }
    // What a list shows instead of rows: empty when `file` has tracks to tick.
    QString emptyNote(const QString& file) const;

    bool isKept(const QString& file, int stream) const;
    void setKept(const QString& file, int stream, bool kept);
    // The streams of `file` that go in, or nothing when all do (or none are known).
    std::optional<QList<int>> keptStreams(const QString& file) const;
    // The choice of every one of `files` that leaves a track out.
    KeptTracks keptFor(const QStringList& files) const;

private:
    QHash<QString, std::vector<SourceTrack>> read;
    QHash<QString, QSet<int>> dropped;
};
