#pragma once

#include "engine/source_tracks.h"
#include "join/join_list.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <functional>

// What the join page shows about its files beyond the list's own columns: a small
// picture of each file, each video's playing time for the total and its tracks. Found on the
// thread pool, once per file, so the list stays usable meanwhile; the entries'
// own durations (the preview's and the join's measurements) are left alone.
class JoinMediaInfo : public QObject {
    Q_OBJECT
public:
    // Both may raise; both are called off the UI thread.
    using Probe = std::function<double(const QString& file)>;
    using FirstFrame = std::function<QImage(const QString& file, QSize box)>;
    using TrackReader = std::function<std::vector<SourceTrack>(const QString& file)>;

    explicit JoinMediaInfo(QObject* parent = nullptr);

    Probe probe;
    FirstFrame firstFrame;  // none: videos get no picture
    TrackReader readTracks;  // none: videos list no tracks
    QSize thumbnailSize{32, 24};

    struct Facts {
        bool done = false;
        bool probed = false;  // the length below is known
        double seconds = 0;
        QImage thumbnail;     // null when none could be made
        std::vector<SourceTrack> tracks;  // a video's streams; empty when unread
    };

    // Starts finding out about `file` unless that is done or under way.
    void request(const QString& file);
    // What is known about `file`; `done` is false while it is being found.
    Facts facts(const QString& file) const { return known.value(file); }

    // "Total length: 0:03:25": pictures at `pictureDuration`, videos at their
    // measured duration, else their probed one. "?" when a video cannot be
    // probed, "..." while one is still being probed.
    QString totalText(const QList<JoinItem>& items, double pictureDuration) const;

signals:
    void ready(const QString& file);

private:
    void deliver(const QString& file, const Facts& facts);

    QHash<QString, Facts> known;
};

// Seconds as "H:MM:SS", rounded to the nearest second.
QString ClockText(double seconds);
