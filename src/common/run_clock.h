#pragma once

#include <QElapsedTimer>
#include <QString>

// How long a run has taken and how long it may still take, for the line under a
// window's progress bars and the command line's bar alike.

// "0:07", "12:34", "1:02:03".
QString ShortClock(double seconds);
// Seconds left at `fraction` done after `elapsed` seconds, at the pace so far;
// negative while too little is done to tell.
double SecondsLeft(double elapsed, double fraction);

class RunClock {
public:
    void start() { clock.start(); }
    double elapsed() const { return clock.isValid() ? clock.elapsed() / 1000.0 : 0; }
    // "Elapsed 0:12, 0:30 left", or only the elapsed time while no estimate can be made.
    QString text(double fraction) const;

private:
    QElapsedTimer clock;
};
