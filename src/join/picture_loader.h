#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

// Reads pictures for a preview panel on the thread pool, scaled down to the panel
// and turned upright as the camera's orientation tag says, so a large photo never
// stalls the window. Only the request made last is answered: a picture that comes
// back after another was asked for is dropped.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    explicit PictureLoader(QObject* parent = nullptr);

    // Starts reading `path` to fit within `box` (never enlarged); any earlier
    // request no longer counts.
    void request(const QString& path, QSize box);
    // Drops the request in flight: nothing is delivered for it.
    void cancel();
    bool busy() const { return !pendingPath.isEmpty(); }

    // The size a picture stored as `stored` is read at to fit `box` once it is turned
    // by its orientation tag (`turnsSideways` when a quarter turn swaps its sides).
    static QSize readSize(QSize stored, QSize box, bool turnsSideways);
    // Reads the picture scaled to fit `box`, upright; a null image when it cannot.
    // Safe on any thread.
    static QImage ReadScaled(const QString& path, QSize box);

signals:
    void loaded(const QString& path, const QImage& picture);
    void failed(const QString& path);

private:
    void deliver(int ticket, const QString& path, const QImage& picture);

    int ticket = 0;
    QString pendingPath;
};
