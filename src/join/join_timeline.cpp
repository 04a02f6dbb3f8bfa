#include "join/join_timeline.h"

#include "common/folders.h"
#include "engine/video_edit.h"

#include <algorithm>
#include <chrono>
#include <random>

void BuildJoinTimeline(TVideoEdit& engine, QList<JoinItem>& items, PictureOptions& options,
                       const JoinTimelineSetup& setup, const DurationMeter& measure, const TransitionDraw& draw) {
    engine.ClearClips();
    ApplyKeptTracks(engine, setup.keptTracks);
    ApplyFormatSettings(engine, setup.selectedFormat, setup.formats);
    engine.SetOutputType(setup.selectedFormat);

    const auto resize = static_cast<int16_t>(setup.formats.ResizeMode);
    int k = 0;       // pictures met so far, the current one included
    double V = 0.0;  // playing time of the videos met so far, the current one included
    const qsizetype count = items.size();
    for (qsizetype i = 0; i < count; ++i) {
        JoinItem& item = items[i];
        if (!IsPictureFile(item.path)) {
            if (!(item.duration > 0)) item.duration = measure(item.path);
            const double duration = item.duration;
            V += duration;
            engine.AddVideoClip(item.path, 0.0, duration, resize);
            engine.AddAudioClip(item.path, 0.0, duration);
            continue;
        }
        ++k;
        if (options.RandomTransition) options.TransitionIndex = RandomTransitionIndex(setup.transitionCount, draw);
        const double P = options.PictureDuration;
        const double T = options.TransitionDuration;
        const double start = V + (k - 1) * P;
        // An index beyond what the engine's index can hold is a plain cut, not another transition.
        const int index = std::clamp(options.TransitionIndex, -32768, 32767);
        engine.AddTransition(static_cast<int16_t>(index), start, start + T);
        engine.AddVideoClip(item.path, 0.0, P, resize);
        // The music runs on from picture to picture: picture k gets its k-th slice.
        if (!options.MusicFile.isEmpty()) engine.AddAudioClip(options.MusicFile, (k - 1) * P, k * P);
    }
}

int RandomTransitionIndex(int count, const TransitionDraw& draw) {
    if (count <= 0) return -1;
    if (count == 1) return 0;
    return draw(count - 2);
}

TransitionDraw ClockSeededDraw() {
    auto generator = std::make_shared<std::mt19937>(
        static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
    return [generator](int highest) {
        if (highest <= 0) return 0;
        return std::uniform_int_distribution<int>(0, highest)(*generator);
    };
}

QString JoinOutputFileName(const QString& folder, const QString& typedName, const QString& extension) {
    const int dot = typedName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? typedName : typedName.left(dot);
    return WithTrailingSeparator(folder) + base + QLatin1Char('.') + extension;
}
