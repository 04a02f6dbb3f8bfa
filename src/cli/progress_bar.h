#pragma once

#include <QByteArray>
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
    // A line of its own above the bar: the bar is wiped, the line written, and the
    // bar drawn again beneath it.
    void note(const QString& text);

    // The text of the bar for a fraction done and the estimated seconds left
    // (negative: not known yet).
    static QString Render(double fraction, double secondsLeft);

private:
    FILE* out;
    QElapsedTimer clock;
    int shownPercent = -1;
    bool drawn = false;
    QByteArray shown;  // the bar as last drawn
};
