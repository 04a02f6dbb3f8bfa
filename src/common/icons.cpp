#include "common/icons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>
#include <algorithm>
#include <functional>

namespace Icons {

namespace {

const QColor ink(40, 70, 130);
const QColor accent(230, 140, 40);

// Paints the drawing anew at every size asked for, so a large button or a screen
// scaled by two gets sharp lines instead of a small picture blown up.
class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(std::function<void(QPainter&)> drawing) : drawing(std::move(drawing)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatioF(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            // The drawings are made on a 64 x 64 canvas, kept square and centred.
            const qreal side = std::min(size.width(), size.height());
            p.translate((size.width() - side) / 2, (size.height() - side) / 2);
            p.scale(side / 64, side / 64);
            drawing(p);
        }
        if (mode == QIcon::Disabled) image = faded(image);
        return QPixmap::fromImage(image);
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(drawing); }

private:
    // Grey and half transparent, the way the desktop shows a disabled button's picture.
    static QImage faded(const QImage& drawn) {
        QImage image = drawn.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = qGray(line[x]);
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
            }
        }
        return image;
    }

    std::function<void(QPainter&)> drawing;
};

QIcon draw(std::function<void(QPainter&)> paint) { return QIcon(new DrawnIconEngine(std::move(paint))); }

void filmStrip(QPainter& p, const QRectF& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(r, 3, 3);
    p.setBrush(Qt::white);
    for (qreal x = r.left() + 3; x + 4 < r.right(); x += 8) {
        p.drawRect(QRectF(x, r.top() + 2, 4, 4));
        p.drawRect(QRectF(x, r.bottom() - 6, 4, 4));
    }
    p.setBrush(QColor(150, 190, 235));
    p.drawRect(r.adjusted(2, 8, -2, -8));
}

void roundBadge(QPainter& p, const QString& glyph) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    QFont f;
    f.setBold(true);
    f.setPixelSize(38);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, glyph);
}

}  // namespace

QIcon split() {
    return draw([](QPainter& p) {
        filmStrip(p, QRectF(2, 18, 26, 28));
        filmStrip(p, QRectF(36, 18, 26, 28));
        p.setPen(QPen(accent, 4, Qt::DashLine, Qt::RoundCap));
        p.drawLine(QPointF(32, 6), QPointF(32, 58));
    });
}

QIcon join() {
    return draw([](QPainter& p) {
        filmStrip(p, QRectF(2, 6, 40, 22));
        filmStrip(p, QRectF(22, 36, 40, 22));
        p.setPen(QPen(accent, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 44), QPointF(12, 56));
        p.drawLine(QPointF(6, 50), QPointF(18, 50));
    });
}

QIcon settings() {
    return draw([](QPainter& p) {
        QPainterPath gear;
        const QPointF c(32, 32);
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotateRadians(a);
            gear.addPolygon(t.map(QPolygonF(QRectF(-6, -29, 12, 14))));
        }
        gear.addEllipse(c, 22, 22);
        gear.setFillRule(Qt::WindingFill);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(gear.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(c, 9, 9);
    });
}

QIcon help() { return draw([](QPainter& p) { roundBadge(p, "?"); }); }

QIcon about() { return draw([](QPainter& p) { roundBadge(p, "i"); }); }

QIcon homepage() {
    return draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(32, 4), QPointF(62, 30), QPointF(2, 30)}));
        p.drawRect(QRectF(10, 28, 44, 32));
        p.setBrush(accent);
        p.drawRect(QRectF(26, 40, 12, 20));
    });
}

QIcon bulb() {
    return draw([](QPainter& p) {
        p.setPen(QPen(QColor(150, 110, 0), 2));
        p.setBrush(QColor(255, 215, 60));
        p.drawEllipse(QRectF(14, 4, 36, 36));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 215, 60));
        p.drawRect(QRectF(24, 34, 16, 10));
        p.setBrush(QColor(120, 120, 130));
        p.drawRoundedRect(QRectF(23, 44, 18, 6), 2, 2);
        p.drawRoundedRect(QRectF(24, 51, 16, 5), 2, 2);
        p.drawRoundedRect(QRectF(27, 57, 10, 4), 2, 2);
    });
}

QIcon start() {
    return draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QRectF(4, 4, 56, 56));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(25, 18), QPointF(47, 32), QPointF(25, 46)}));
    });
}

QIcon formatPage() {
    return draw([](QPainter& p) {
        filmStrip(p, QRectF(2, 10, 52, 36));
        p.setPen(QPen(Qt::white, 3));
        p.setBrush(accent);
        p.drawEllipse(QRectF(34, 30, 28, 28));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(42, 44), QPointF(54, 44));
        p.drawLine(QPointF(48, 38), QPointF(48, 50));
    });
}

}  // namespace Icons
