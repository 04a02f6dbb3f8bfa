// A stand-in for a file manager in desktop tests: a small window that, when the
// mouse is pressed on it and moved, drags the files named on its command line as
// a file manager does (text/uri-list and the paths as text). It prints what the
// drop target did with them and ends a little after one drag.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace {
class DragSource : public QLabel {
public:
    explicit DragSource(QStringList files) : QLabel("Drag me"), files(std::move(files)) {
        setWindowTitle("Drag source");
        setAlignment(Qt::AlignCenter);
        resize(200, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { pressedAt = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || dragged) return;
        if ((event->position().toPoint() - pressedAt).manhattanLength() < QApplication::startDragDistance()) return;
        dragged = true;
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& f : files) urls << QUrl::fromLocalFile(f);
        data->setUrls(urls);
        data->setText(files.join('\n'));
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
        // The target asks for the files' names only after the drop, so the
        // source must still be there to answer it.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

private:
    QStringList files;
    QPoint pressedAt;
    bool dragged = false;
};
}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    DragSource source(app.arguments().mid(1));
    source.show();
    return app.exec();
}
