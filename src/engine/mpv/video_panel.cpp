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

QRect VideoPanel::pictureRect() const {
    return requested.isEmpty() ? rect() : requested;
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
