#include "join/picture_loader.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QMetaObject>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

PictureLoader::PictureLoader(QObject* parent) : QObject(parent) {}

QImage PictureLoader::ReadScaled(const QString& path, QSize box) {
    QImageReader reader(path);
    reader.setAutoTransform(true);  // upright, as a camera's EXIF orientation says
    const bool sideways = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored = reader.size();
    if (stored.isValid()) reader.setScaledSize(PictureLoader::readSize(stored, box, sideways));
    return reader.read();
}

QSize PictureLoader::readSize(QSize stored, QSize box, bool turnsSideways) {
    // The scaling applies before the turn, so a sideways picture fits the box turned.
    // Small pictures grow to it too: the panel shows every picture as large as
    // fits at its own shape.
    if (turnsSideways) box.transpose();
    if (box.isEmpty()) return stored;
    return stored.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

void PictureLoader::request(const QString& path, QSize box) {
    const int mine = ++ticket;
    pendingPath = path;
    // The worker reaches back only through a guarded pointer resolved on this
    // object's thread, so a loader destroyed meanwhile is never touched.
    QPointer<PictureLoader> self(this);
    QThreadPool::globalInstance()->start([self, mine, path, box] {
        const QImage picture = ReadScaled(path, box);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, mine, path, picture] {
                if (self) self->deliver(mine, path, picture);
            },
            Qt::QueuedConnection);
    });
}

void PictureLoader::cancel() {
    ++ticket;
    pendingPath.clear();
}

void PictureLoader::deliver(int from, const QString& path, const QImage& picture) {
    if (from != ticket) return;
    pendingPath.clear();
    if (picture.isNull()) {
        emit failed(path);
    } else {
        emit loaded(path, picture);
    }
}
