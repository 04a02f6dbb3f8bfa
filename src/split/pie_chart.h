#pragma once

#include <QWidget>

// A small pie of equal slices, one per part, each in its own colour. No title,
// legend or labels: it only shows at a glance how many parts a plan makes.
class PieChart : public QWidget {
    Q_OBJECT
public:
    explicit PieChart(QWidget* parent = nullptr);

    // Redraws with `count` equal slices; 0 or less leaves the pie empty.
    void setSlices(int count);
    int slices() const { return count; }
    // The colour of slice i (from 0), from a fixed palette that repeats.
    static QColor sliceColor(int i);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count = 0;
};
