#include "join/join_media_info.h"

#include "join/picture_loader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <cmath>
#include <exception>

JoinMediaInfo::JoinMediaInfo(QObject* parent) : QObject(parent) {}

void JoinMediaInfo::request(const QString& file) {
    if (known.contains(file)) return;
    known.insert(file, Facts{});
    // The worker has its own copies of the functions and reaches back only
    // through a guarded pointer, so an owner gone meanwhile is never touched.
    QPointer<JoinMediaInfo> self(this);
    QThreadPool::globalInstance()->start([self, file, probe = probe, firstFrame = firstFrame,
                                          readTracks = readTracks, box = thumbnailSize] {
        Facts found;
        found.done = true;
        if (IsPictureFile(file)) {
            found.thumbnail = PictureLoader::ReadScaled(file, box);
        } else {
            try {
                if (firstFrame) found.thumbnail = firstFrame(file, box);
            } catch (const std::exception&) {
                // No picture then; the row shows its name alone.
            }
            try {
                if (probe) {
                    found.seconds = probe(file);
                    found.probed = true;
                }
            } catch (const std::exception&) {
            }
            try {
                if (readTracks) found.tracks = readTracks(file);
            } catch (const std::exception&) {
                // Nothing to choose then; the engine keeps what it finds.
            }
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, file, found] {
                if (self) self->deliver(file, found);
            },
            Qt::QueuedConnection);
    });
}

void JoinMediaInfo::deliver(const QString& file, const Facts& facts) {
    known.insert(file, facts);
    emit ready(file);
}

QString JoinMediaInfo::totalText(const QList<JoinItem>& items, double pictureDuration) const {
    double total = 0;
    bool waiting = false;
    for (const JoinItem& item : items) {
        if (IsPictureFile(item.path)) {
            total += pictureDuration;
        } else if (item.duration > 0) {
            total += item.duration;
        } else {
            const Facts f = facts(item.path);
            if (f.done && !f.probed) return QStringLiteral("Total length: ?");
            if (!f.done) waiting = true;
            total += f.seconds;
        }
    }
    return QStringLiteral("Total length: ") + (waiting ? QStringLiteral("...") : ClockText(total));
}

QString ClockText(double seconds) {
    const long long whole = std::llround(std::max(0.0, seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}
