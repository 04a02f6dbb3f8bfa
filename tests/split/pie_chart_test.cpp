#include "split/pie_chart.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace {

QImage paint(PieChart& chart) {
    QImage image(chart.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    chart.render(&image);
    return image;
}

// The slice colours met on a ring near the rim, one sample per degree; blends at
// slice borders and the written count are no slice colour and are left out.
QSet<QRgb> ringColours(const QImage& image) {
    QSet<QRgb> palette;
    for (int i = 0; i < 12; ++i) palette.insert(PieChart::sliceColor(i).rgb());
    QSet<QRgb> colours;
    const QPointF centre(image.width() / 2.0, image.height() / 2.0);
    const double radius = std::min(image.width(), image.height()) * 0.4;
    for (int degree = 0; degree < 360; ++degree) {
        const double a = degree * std::numbers::pi / 180;
        const QPoint at = (centre + QPointF(std::cos(a), std::sin(a)) * radius).toPoint();
        const QRgb colour = image.pixel(at) | 0xff000000u;
        if (palette.contains(colour)) colours.insert(colour);
    }
    return colours;
}

}  // namespace

TEST(PieChart, ASliceForEachPartWhileTheyCanBeTold) {
    PieChart chart;
    chart.setSlices(12);
    EXPECT_EQ(chart.drawnSlices(), 12);
    // Twelve palette colours, each met on the ring.
    EXPECT_EQ(ringColours(paint(chart)).size(), 12);
}

TEST(PieChart, PastWhatCanBeSeenAWholeDiscStandsInForTheSlices) {
    PieChart chart;
    const int most = chart.mostVisibleSlices();
    // At this size a slice of the most still spans about two pixels of the rim.
    EXPECT_GT(most, 60);
    EXPECT_LT(most, 300);
    chart.setSlices(most);
    EXPECT_EQ(chart.drawnSlices(), most);
    chart.setSlices(most + 1);
    EXPECT_EQ(chart.drawnSlices(), 0);

    chart.setSlices(99999999);
    EXPECT_EQ(chart.slices(), 99999999);
    EXPECT_EQ(chart.drawnSlices(), 0);
    // One colour all round the ring (the count is written at the centre, inside it).
    EXPECT_EQ(ringColours(paint(chart)), QSet<QRgb>{PieChart::sliceColor(0).rgb()});
}
