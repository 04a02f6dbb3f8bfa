#include "split/split_plan.h"

#include "engine/quillmark_error.h"

#include <QFileInfo>
#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>


int32_t CeilParts(double x) {
    if (!std::isfinite(x)) return 0;
    // Quotients beyond what a part count can hold are capped rather than wrapped.
    if (x >= INT32_MAX) return INT32_MAX;
    if (x <= INT32_MIN) return INT32_MIN;
    const int32_t t = static_cast<int32_t>(std::trunc(x));
    return x - t == 0 ? t : t + 1;
}

QString FormatClock(int64_t seconds) {
    auto two = [](int64_t v) { return v < 10 ? "0" + QString::number(v) : QString::number(v); };
    return two(seconds / 3600) + ":" + two((seconds % 3600) / 60) + ":" + two(seconds % 60);
}

QString FormatExactClock(double seconds) {
    const int64_t ms = std::llround(std::max(0.0, seconds) * 1000.0);
    return FormatClock(ms / 1000) + "." + QString::number(ms % 1000).rightJustified(3, '0');
}

int64_t ParseClock(const QString& text) {
    if (text.isEmpty()) return 0;
    bool okH = false, okM = false, okS = false;
    const int h = text.mid(0, 2).toInt(&okH);
    const int m = text.mid(3, 2).toInt(&okM);
    const int s = text.mid(6, 2).toInt(&okS);
    if (!okH || !okM || !okS) throw QuillmarkError(QString("'%1' is not a valid time").arg(text));
    return 3600LL * h + 60LL * m + s;
}

int64_t TimeModeSlices(double sourceDuration, int64_t partSeconds) {
    if (partSeconds == 0) return 0;
    const int64_t whole = std::isfinite(sourceDuration) ? static_cast<int64_t>(std::trunc(sourceDuration)) : 0;
    return whole / partSeconds + (whole % partSeconds != 0 ? 1 : 0);
}

QString WithoutExtension(const QString& fileName) {
    const int dot = fileName.lastIndexOf('.');
    return dot < 0 ? fileName : fileName.left(dot);
}

QString SourceBaseName(const QString& source) { return WithoutExtension(QFileInfo(source).fileName()); }

QString PartFileName(const QString& source, int n, const QString& extension) {
    return SourceBaseName(source) + "-" + QString::number(n) + "." + extension;
}
