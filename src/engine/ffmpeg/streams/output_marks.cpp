#include "engine/ffmpeg/streams/output_marks.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// Whole milliseconds, so a chapter lands on the time a player shows.
int64_t Ms(double seconds) {
    return std::llround(seconds * 1000);
}

// Tags that name the program or layout of the source file, or a clock of it the
// output does not keep.
bool Describes(const std::string& key) {
    static const char* const old[] = {"major_brand", "minor_version", "compatible_brands", "encoder",
                                      "duration",    "timecode",      "creation_time"};
    return std::any_of(std::begin(old), std::end(old), [&](const char* k) { return QString::fromStdString(key).compare(QLatin1String(k), Qt::CaseInsensitive) == 0; });
}

std::string MovedOn(const std::string& stamp, double seconds) {
    QDateTime t = QDateTime::fromString(QString::fromStdString(stamp), Qt::ISODateWithMs);
    if (!t.isValid())
        return {};
    t = t.toUTC().addMSecs(Ms(seconds));
    return (t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QStringLiteral("000Z")).toStdString();
}

} // namespace

std::vector<OutputChapter> OutputChapters(const std::vector<ClipWindow>& clips, bool perEntry) {
    std::vector<OutputChapter> out;
    for (const ClipWindow& clip : clips) {
        if (clip.outEnd <= clip.outStart)
            continue;
        if (perEntry)
            out.push_back({Ms(clip.outStart), Ms(clip.outEnd), QFileInfo(clip.file).completeBaseName().toStdString()});
        if (!clip.facts)
            continue;
        for (const ChapterMark& c : clip.facts->chapters) {
            const double from = std::max(c.start, clip.fileStart);
            const double to = std::min(c.end, clip.fileEnd());
            if (to - from < 0.001 || (perEntry && c.start <= clip.fileStart + 0.001))
                continue;
            out.push_back({Ms(clip.toOutput(from)), Ms(clip.toOutput(to)), c.title});
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const OutputChapter& a, const OutputChapter& b) { return a.start < b.start; });
    return out;
}

Options OutputTags(const ClipWindow& first) {
    Options tags;
    if (!first.facts)
        return tags;
    for (const auto& [key, value] : first.facts->tags) {
        if (!Describes(key))
            tags.emplace_back(key, value);
        else if (QString::fromStdString(key).compare(QLatin1String("creation_time"), Qt::CaseInsensitive) == 0)
            if (const std::string moved = MovedOn(value, first.fileStart); !moved.empty())
                tags.emplace_back("creation_time", moved);
    }
    return tags;
}
