#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

// A one-line progress bar with percent and time left, redrawn in place.
class ProgressBar {
public:
    explicit ProgressBar(FILE* out = stderr);

    void update(double position, double duration);
    // Ends the bar's line so later messages start on a line of their own.
    void finish();

    // The text of the bar for a fraction done and the estimated seconds left
    // (negative: not known yet).
    static QString Render(double fraction, double secondsLeft);

private:
    FILE* out;
    QElapsedTimer clock;
    int shownPercent = -1;
    bool drawn = false;
};
