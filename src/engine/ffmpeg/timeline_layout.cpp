#include "engine/ffmpeg/timeline_layout.h"

#include <algorithm>
#include <cmath>

namespace {

// How far a sound clip may fall short of its picture and still be taken as that
// picture's own sound (and stretched over it exactly).
constexpr double kMatchingFrames = 1.5;

} // namespace

int64_t FirstFrameAt(double seconds, double fps) {
    return int64_t(std::ceil(seconds * fps - 1e-3));
}

double TimelineLayout::outputTime(double t) const {
    const auto after = std::upper_bound(starts.begin(), starts.end(), t,
                                        [](double v, const ClipStart& c) { return v < c.timeline; });
    if (after == starts.begin())
        return t;
    const ClipStart& c = *std::prev(after);
    return c.output + std::max(0.0, t - c.timeline - c.pictureless);
}

TimelineLayout LayOutTimeline(const std::vector<ClipSpan>& video, const std::vector<AudioClip>& audio,
                              AVRational frameRate, int sampleRate) {
    TimelineLayout layout;
    const double fps = av_q2d(frameRate);
    const auto sampleAt = [&](int64_t frame) {
        return av_rescale_rnd(frame, int64_t(sampleRate) * frameRate.den, frameRate.num, AV_ROUND_NEAR_INF);
    };

    // Where each cut's first output frame lies in its file, past its start.
    const auto leadOf = [fps](const ClipSpan& clip) {
        if (!clip.cut)
            return 0.0;
        const double from = std::max(clip.start, clip.origin);
        return clip.origin + FirstFrameAt(from - clip.origin, fps) / fps - clip.start;
    };
    // The stretch of a cut before its file's first picture, where the file
    // shows nothing yet (sound that starts before the picture, a program
    // stream's clock): it is left out, so a file joined after another starts
    // with its first picture and sound instead of holding it.
    const auto pictureless = [](const ClipSpan& clip) { return clip.cut ? std::max(0.0, clip.origin - clip.start) : 0.0; };
    const double firstLead = video.empty() ? 0 : leadOf(video.front()) - pictureless(video.front());
    double sum = 0;     // the clips' lengths so far, in seconds of the caller's timeline
    double removed = 0; // of which so much held no picture
    for (size_t i = 0; i < video.size(); ++i) {
        const ClipSpan& clip = video[i];
        VideoPlacement p;
        p.firstFrame = layout.frames;
        p.shift = clip.cut ? leadOf(clip) : p.firstFrame / fps - (sum - removed);
        layout.starts.push_back({sum, sum - removed, pictureless(clip)});
        sum += clip.length;
        removed += pictureless(clip);
        const bool last = i + 1 == video.size();
        p.frames = std::max<int64_t>(0, FirstFrameAt((last ? sum - firstLead : sum) - removed, fps) - p.firstFrame);
        layout.frames += p.frames;
        layout.video.push_back(p);
    }

    layout.audio.resize(audio.size());
    if (video.empty())
        return layout;
    const int last = int(video.size()) - 1;
    const auto groupOf = [&](const AudioClip& clip) { return std::clamp(clip.afterVideo, 0, last); };
    for (size_t i = 0; i < audio.size();) {
        const int group = groupOf(audio[i]);
        size_t j = i;
        while (j < audio.size() && groupOf(audio[j]) == group)
            ++j;
        const VideoPlacement& picture = layout.video[group];
        const int64_t groupEnd = sampleAt(picture.firstFrame + picture.frames);
        int64_t cursor = sampleAt(picture.firstFrame);
        for (size_t k = i; k < j; ++k) {
            const AudioClip& clip = audio[k];
            AudioPlacement& a = layout.audio[k];
            a.firstSample = cursor;
            a.sourceStart = std::max(0.0, clip.start) + (k == i ? picture.shift : 0);
            const double ownLength = std::max(0.0, clip.stop - std::max(0.0, clip.start));
            const int64_t own = std::llround(ownLength * sampleRate);
            const int64_t room = std::max<int64_t>(0, groupEnd - cursor);
            const bool endsWithPicture = k + 1 == j && room - own <= std::llround(kMatchingFrames * sampleRate / fps);
            a.samples = (own >= room || endsWithPicture) ? room : own;
            cursor += a.samples;
        }
        i = j;
    }
    return layout;
}
