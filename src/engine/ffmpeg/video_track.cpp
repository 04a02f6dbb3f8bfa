#include "engine/ffmpeg/video_track.h"

#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/upright_source.h"
#include "engine/ffmpeg/video_clip_source.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <cmath>

namespace {

// Slack when comparing a picture's time with an output frame's, far below a frame.
constexpr double kTimeTolerance = 1e-4;
// A file that runs out of pictures this long before the end its packets promised
// has failed under us; less is a last frame or two that would not decode.
constexpr double kShortfallLimit = 0.5;

} // namespace

VideoTrack::VideoTrack(const Timeline& timeline, std::vector<ClipSpan> spans, const TimelineLayout& layout,
                       const OutputPictures& output, AVPixelFormat format, std::vector<bool> asCoded)
    : clips(timeline.video), asCoded(std::move(asCoded)), spans(std::move(spans)), placements(layout.video), output(output),
      fitter(output.shape, format), mixer(timeline.transitions, output.shape, format, output.frameRate) {}

std::unique_ptr<FrameSource> VideoTrack::OpenSource(const VideoClip& clip, const ClipSpan& span) {
    if (!span.cut)
        return std::make_unique<PictureSource>(clip.file, span.length);
    return std::make_unique<VideoClipSource>(clip.file, span.start, span.start + span.length);
}

void VideoTrack::run(FrameQueue& queue) noexcept {
    run(queue, 0, INT64_MAX);
}

void VideoTrack::run(FrameQueue& queue, int64_t from, int64_t to) noexcept {
    try {
        pushedFrom = from;
        const int64_t start = mixer.startOfRun(from);
        for (size_t i = 0; i < clips.size(); ++i)
            if (!renderClip(i, queue, start, to))
                return;
        queue.close();
    } catch (...) {
        queue.close(std::current_exception());
    }
}

bool VideoTrack::renderClip(size_t index, FrameQueue& queue, int64_t from, int64_t to) {
    const VideoPlacement& place = placements[index];
    const int64_t firstK = std::max<int64_t>(0, from - place.firstFrame);
    const int64_t endK = std::min<int64_t>(place.frames, to - place.firstFrame);
    if (firstK >= endK)
        return true;
    const VideoClip& clip = clips[index];
    const ClipSpan& span = spans[index];
    const double fps = av_q2d(output.frameRate);
    // A run that starts inside a cut opens its file half a frame before the
    // first frame wanted; times below count from there.
    const double skip = span.cut && firstK > 0 ? place.shift + (firstK - 0.5) / fps : 0;
    const bool coded = index < asCoded.size() && asCoded[index];
    std::unique_ptr<FrameSource> source;
    if (skip > 0)
        source = std::make_unique<VideoClipSource>(clip.file, span.start + skip, span.start + span.length);
    else
        source = OpenSource(clip, span);
    if (!coded)
        source = std::make_unique<UprightSource>(std::move(source), clip.file, clip.resizeMode, output);

    double upcomingTime = 0, upcomingShown = 0;
    av::FramePtr upcoming = source->next(upcomingTime, upcomingShown);
    if (!upcoming)
        throw QuillmarkError(QStringLiteral("Cannot read \"%1\": no picture could be decoded from %2 s on")
                                 .arg(clip.file).arg(span.start + skip));
    av::FramePtr shown;    // the fitted picture on screen now
    double shownUntil = 0; // when the last picture runs out, once the source has ended

    // Each output frame shows the source picture nearest its time, so a source
    // whose frames sit a little off the output's grid still maps frame to frame.
    const double half = 0.5 / fps;
    const auto fitted = [&](const AVFrame* picture) {
        return coded ? av::RefFrame(picture) : fitter.fit(picture, clip.resizeMode);
    };
    for (int64_t k = firstK; k < endK; ++k) {
        const double t = place.shift + k / fps - skip;
        bool changed = false;
        while (upcoming && upcomingTime <= t + half - kTimeTolerance) {
            shownUntil = upcomingTime + upcomingShown;
            changed = true;
            av::FramePtr picture = std::move(upcoming);
            upcoming = source->next(upcomingTime, upcomingShown);
            if (!upcoming || upcomingTime > t + half - kTimeTolerance)
                shown = fitted(picture.get());
        }
        if (!shown && upcoming) {
            // The clip's first picture comes a little after the clip starts: show it early.
            shown = fitted(upcoming.get());
            changed = true;
        }
        if (!upcoming && !changed && t > shownUntil + kShortfallLimit)
            throw QuillmarkError(QStringLiteral("Cannot read \"%1\": its pictures stop at %2 s, before the %3 s "
                                                "the file holds")
                                     .arg(clip.file)
                                     .arg(span.start + skip + shownUntil, 0, 'f', 2)
                                     .arg(span.start + span.length, 0, 'f', 2));
        // Past the last picture the clip holds it, so the layout, and the sound
        // laid by it, stay as they are.
        av::FramePtr frame = av::RefFrame(shown.get());
        frame->pts = place.firstFrame + k;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        frame = mixer.mix(std::move(frame));
        if (frame->pts >= pushedFrom && !queue.push(std::move(frame)))
            return false;
    }
    return true;
}
