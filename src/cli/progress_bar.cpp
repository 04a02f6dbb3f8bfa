#include "cli/progress_bar.h"

#include "common/run_clock.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWidth = 30;

} // namespace

ProgressBar::ProgressBar(FILE* out) : out(out) {
    clock.start();
}

QString ProgressBar::Render(double fraction, double secondsLeft) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = int(fraction * kWidth);
    const QString left = secondsLeft < 0 ? QStringLiteral("--:--") : ShortClock(secondsLeft);
    return QStringLiteral("[%1%2] %3%  %4 left")
        .arg(QString(filled, '#'), QString(kWidth - filled, '-'))
        .arg(std::lround(fraction * 100), 3)
        .arg(left);
}

void ProgressBar::update(double position, double duration) {
    if (duration <= 0)
        return;
    const double fraction = std::clamp(position / duration, 0.0, 1.0);
    const int percent = int(std::lround(fraction * 100));
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    const double elapsed = clock.elapsed() / 1000.0;
    const double left = SecondsLeft(elapsed, fraction);
    shown = Render(fraction, left).toLocal8Bit();
    std::fprintf(out, "\r%s", shown.constData());
    std::fflush(out);
    drawn = true;
}

void ProgressBar::note(const QString& text) {
    // Blanks rather than a terminal's erase code: standard error may be a log file.
    if (drawn) std::fprintf(out, "\r%s\r", QByteArray(shown.size(), ' ').constData());
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    if (drawn) std::fprintf(out, "%s", shown.constData());
    std::fflush(out);
}

void ProgressBar::finish() {
    if (drawn)
        std::fputc('\n', out);
    drawn = false;
}
