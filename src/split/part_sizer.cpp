#include "split/part_sizer.h"

#include "formats/format_properties.h"
#include "formats/output_format.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

int64_t ParseByteSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kmg]?)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return 0;
    const QString unit = m.captured(2).toLower();
    const double scale = unit == "k" ? 1024.0 : unit == "m" ? 1048576.0 : unit == "g" ? 1073741824.0 : 1.0;
    const double bytes = std::floor(m.captured(1).toDouble() * scale);
    // A size beyond any file system's files is no size either.
    if (!(bytes >= 1) || bytes > 1e18) return 0;
    return static_cast<int64_t>(bytes);
}

QString ByteSizeText(int64_t bytes) {
    static const char* units[] = {"KB", "MB", "GB"};
    if (bytes < 1024) return QString("%1 bytes").arg(bytes);
    double v = bytes / 1024.0;
    int u = 0;
    while (v >= 1024 && u < 2) v /= 1024, ++u;
    QString number = QString::number(v, 'f', v >= 100 ? 0 : 1);
    if (number.endsWith(".0")) number.chop(2);
    return number + " " + units[u];
}

FormatRate EstimateFormatRate(int format, const FormatSettings& s) {
    const FormatDescription* description = FindFormat(format);
    // A number without a format renders nothing; a megabit a second keeps the sums finite.
    if (!description) return RateOfStreams(1000000, 0, false, false);
    return description->estimateRate(*description, FormatProperties(format, s), OutputFrameRate(format, s));
}

QString TooSmallForOneSecond(int64_t maxBytes, int format, const FormatSettings& settings) {
    const double second = EstimateFormatRate(format, settings).bytesPerSecond;
    if (second <= maxBytes) return {};
    QString name = "the output format";
    FormatShortName(format, name);
    return QString("A part of at most %1 cannot hold one second of %2, which needs about %3")
        .arg(ByteSizeText(maxBytes), name, ByteSizeText(static_cast<int64_t>(second)));
}

int64_t FramesIn(double seconds, double frameRate) {
    return std::max<int64_t>(0, static_cast<int64_t>(std::ceil(seconds * frameRate - 1e-6)));
}

PartSizer::PartSizer(int64_t bound, double frameRate, const FormatRate& rate)
    : maxBytes(bound),
      // A padded stream grows by whole packs only; an encoder's rate wanders more.
      target(bound * (rate.constant ? 0.985 : 0.95)),
      perFrame(rate.bytesPerSecond / frameRate) {}

int64_t PartSizer::framesFor(double bytes) const {
    return std::max<int64_t>(1, static_cast<int64_t>(std::floor(bytes / perFrame)));
}

int64_t PartSizer::NextFrames(int64_t remainingFrames) const {
    return std::min(remainingFrames, framesFor(target));
}

int64_t PartSizer::PartsFor(int64_t remainingFrames) const {
    if (remainingFrames <= 0) return 0;
    const int64_t each = framesFor(target);
    return (remainingFrames + each - 1) / each;
}

PartSizer::Verdict PartSizer::Measure(int64_t frames, int64_t bytes, bool last) {
    if (frames > 0 && bytes > 0) perFrame = double(bytes) / frames;
    if (bytes > maxBytes) return Verdict::Shorter;
    if (!last && bytes < floorBytes()) return Verdict::Longer;
    return Verdict::Keep;
}

int64_t PartSizer::RedoFrames(Verdict verdict, int64_t frames, int64_t bytes, int64_t remainingFrames) const {
    const int64_t scaled = static_cast<int64_t>(std::floor(frames * target / std::max<int64_t>(bytes, 1)));
    if (verdict == Verdict::Shorter) return std::clamp<int64_t>(scaled, 1, std::max<int64_t>(frames - 1, 1));
    return std::clamp<int64_t>(scaled, std::min(frames + 1, remainingFrames), remainingFrames);
}
