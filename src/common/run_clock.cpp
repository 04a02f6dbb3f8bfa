#include "common/run_clock.h"

#include <algorithm>
#include <cmath>

QString ShortClock(double seconds) {
    const long long s = std::llround(std::max(seconds, 0.0));
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0')).arg(s % 60, 2, 10, QChar('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

double SecondsLeft(double elapsed, double fraction) {
    // The first percent is mostly opening files: no pace to go by yet.
    if (!(fraction > 0.01) || elapsed < 0) return -1;
    return elapsed * (1 - std::min(fraction, 1.0)) / fraction;
}

QString RunClock::text(double fraction) const {
    const double spent = elapsed();
    const QString shown = QStringLiteral("Elapsed %1").arg(ShortClock(spent));
    const double left = SecondsLeft(spent, fraction);
    return left < 0 ? shown : shown + QStringLiteral(", %1 left").arg(ShortClock(left));
}
