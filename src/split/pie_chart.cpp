#include "split/pie_chart.h"

#include <QPainter>
#include <numbers>

namespace {
// The narrowest slice worth drawing, measured along the rim.
constexpr double NarrowestSlicePixels = 2.0;
}  // namespace

PieChart::PieChart(QWidget* parent) : QWidget(parent) { setFixedSize(99, 90); }

void PieChart::setSlices(int n) {
    count = std::max(n, 0);
    update();
}

QColor PieChart::sliceColor(int i) {
    static const QColor palette[] = {QColor(230, 25, 75),  QColor(60, 180, 75),  QColor(255, 225, 25),
                                     QColor(0, 130, 200),  QColor(245, 130, 48), QColor(145, 30, 180),
                                     QColor(70, 240, 240), QColor(240, 50, 230), QColor(210, 245, 60),
                                     QColor(250, 190, 190), QColor(0, 128, 128), QColor(170, 110, 40)};
    return palette[i % (sizeof(palette) / sizeof(palette[0]))];
}

QRectF PieChart::circle() const {
    const int side = std::min(width(), height()) - 4;
    return QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side);
}

int PieChart::mostVisibleSlices() const {
    return std::max(1, static_cast<int>(std::numbers::pi * circle().width() / NarrowestSlicePixels));
}

void PieChart::paintEvent(QPaintEvent*) {
    if (count <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = circle();
    const int drawn = drawnSlices();
    p.setPen(count > 60 ? Qt::NoPen : QPen(QColor(60, 60, 60), 0.6));
    if (drawn <= 1) {
        p.setBrush(sliceColor(0));
        p.drawEllipse(disc);
        if (drawn == 0) {
            QFont f = font();
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(disc, Qt::AlignCenter, QString::number(count));
        }
        return;
    }
    // Angles are in sixteenths of a degree; starting at 12 o'clock, clockwise.
    const double span = 360.0 * 16 / drawn;
    for (int i = 0; i < drawn; ++i) {
        p.setBrush(sliceColor(i));
        const int start = static_cast<int>(90 * 16 - i * span);
        const int end = static_cast<int>(90 * 16 - (i + 1) * span);
        p.drawPie(disc, start, end - start);
    }
}
