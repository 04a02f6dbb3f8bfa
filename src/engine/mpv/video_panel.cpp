#include "video_panel.h"

#include <QPainter>
#include <QResizeEvent>

VideoPanel::VideoPanel(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoPanel::setPictureRect(const QRect& rect) {
    const QSize before = pictureRect().size();
    requested = rect.normalized();
    update();
    if (pictureRect().size() != before) emit pictureSizeChanged();
}

void VideoPanel::setPictureAspect(double value) {
    const QSize before = pictureRect().size();
    aspect = value > 0 ? value : 0;
    update();
    if (pictureRect().size() != before) emit pictureSizeChanged();
}

QRect VideoPanel::pictureRect() const {
    const QRect box = requested.isEmpty() ? rect() : requested;
    if (aspect <= 0 || box.width() <= 0 || box.height() <= 0) return box;
    QSize fitted(box.width(), qMax(1, qRound(box.width() / aspect)));
    if (fitted.height() > box.height()) fitted = QSize(qMax(1, qRound(box.height() * aspect)), box.height());
    return QRect(box.topLeft() + QPoint((box.width() - fitted.width()) / 2, (box.height() - fitted.height()) / 2),
                 fitted);
}

void VideoPanel::showFrame(const QImage& frame) {
    current = frame;
    ++shown;
    update();
}

void VideoPanel::clearFrame() {
    current = QImage();
    update();
}

void VideoPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!current.isNull()) painter.drawImage(pictureRect(), current);
}

void VideoPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Only a panel without its own picture rectangle follows its size.
    if (requested.isEmpty() && event->oldSize() != event->size()) emit pictureSizeChanged();
}
