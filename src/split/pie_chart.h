#pragma once

#include <QWidget>

// A small pie of equal slices, one per part, each in its own colour. No title,
// legend or labels: it only shows at a glance how many parts a plan makes. When
// there are more parts than slices that could be told apart at its size, it shows
// a whole disc with the count written on it, so a paint costs the same for any count.
class PieChart : public QWidget {
    Q_OBJECT
public:
    explicit PieChart(QWidget* parent = nullptr);

    // Redraws with `count` equal slices; 0 or less leaves the pie empty.
    void setSlices(int count);
    int slices() const { return count; }
    // The most slices drawn one by one: past it each would be under two pixels
    // wide at the rim.
    int mostVisibleSlices() const;
    // The slices a paint draws one by one: the count, or 0 when the disc with the
    // count stands in for them.
    int drawnSlices() const { return count <= mostVisibleSlices() ? count : 0; }
    // The colour of slice i (from 0), from a fixed palette that repeats.
    static QColor sliceColor(int i);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF circle() const;
    int count = 0;
};
