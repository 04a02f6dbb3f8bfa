#pragma once

#include <QList>
#include <QString>
#include <atomic>
#include <functional>

// Split points found from a file's content: the first frame of each new scene,
// the middle of each black stretch, the middle of each silence.
enum class DetectionKind { Scenes, Black, Silence };

// How readily a kind finds a point. `threshold` means, by kind: the scene score
// a change must reach (0-100, lower finds more), the luma below which a pixel
// counts as black (0-1 of the range, higher finds more), the level below which
// sound counts as silence (dB, higher finds more). `minSeconds` is the shortest
// black stretch or silence that counts; scenes ignore it.
struct DetectionSettings {
    DetectionKind kind = DetectionKind::Scenes;
    double threshold = 10;
    double minSeconds = 0.5;
};

// The range a user may set the threshold in, and its default.
struct ThresholdRange {
    double low;
    double high;
    double normal;
    bool higherFindsMore;
};
ThresholdRange DetectionThresholdRange(DetectionKind kind);
// The kind's defaults.
DetectionSettings DefaultDetection(DetectionKind kind);
// "scene changes", "black frames", "silences": for counts and messages.
QString DetectionNoun(DetectionKind kind);

// Seconds read so far and what the file lasts (0 when unknown).
using DetectionProgress = std::function<void(double position, double duration)>;

// The points in `file`, in seconds from its start, in order. Raises
// QuillmarkError naming the file when it cannot be read or lacks the stream the
// kind needs. Once `stop` is raised it returns soon, with what it had.
QList<double> DetectSplitPoints(const QString& file, const DetectionSettings& settings, const std::atomic<bool>& stop,
                                const DetectionProgress& progress = {});
