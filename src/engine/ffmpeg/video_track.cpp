#include "engine/ffmpeg/video_track.h"

#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/upright_source.h"
#include "engine/ffmpeg/video_clip_source.h"
#include "engine/quillmark_error.h"

#include <cmath>

namespace {

// Slack when comparing a picture's time with an output frame's, far below a frame.
constexpr double kTimeTolerance = 1e-4;
// A file that runs out of pictures this long before the end its packets promised
// has failed under us; less is a last frame or two that would not decode.
constexpr double kShortfallLimit = 0.5;

} // namespace

VideoTrack::VideoTrack(const Timeline& timeline, std::vector<ClipSpan> spans, const TimelineLayout& layout,
                       const OutputPictures& output, AVPixelFormat format)
    : clips(timeline.video), spans(std::move(spans)), placements(layout.video), output(output),
      fitter(output.shape, format), mixer(timeline.transitions, output.shape, format, output.frameRate) {}

std::unique_ptr<FrameSource> VideoTrack::OpenSource(const VideoClip& clip, const ClipSpan& span) {
    if (!span.cut)
        return std::make_unique<PictureSource>(clip.file, span.length);
    return std::make_unique<VideoClipSource>(clip.file, span.start, span.start + span.length);
}

void VideoTrack::run(FrameQueue& queue) noexcept {
    try {
        for (size_t i = 0; i < clips.size(); ++i)
            if (!renderClip(i, queue))
                return;
        queue.close();
    } catch (...) {
        queue.close(std::current_exception());
    }
}

bool VideoTrack::renderClip(size_t index, FrameQueue& queue) {
    const VideoPlacement& place = placements[index];
    if (place.frames <= 0)
        return true;
    const VideoClip& clip = clips[index];
    auto source = std::make_unique<UprightSource>(OpenSource(clip, spans[index]), clip.file, clip.resizeMode, output);
    const double fps = av_q2d(output.frameRate);

    double upcomingTime = 0, upcomingShown = 0;
    av::FramePtr upcoming = source->next(upcomingTime, upcomingShown);
    if (!upcoming)
        throw QuillmarkError(QStringLiteral("Cannot read \"%1\": no picture could be decoded from %2 s on")
                                 .arg(clip.file).arg(spans[index].start));
    av::FramePtr shown;    // the fitted picture on screen now
    double shownUntil = 0; // when the last picture runs out, once the source has ended

    // Each output frame shows the source picture nearest its time, so a source
    // whose frames sit a little off the output's grid still maps frame to frame.
    const double half = 0.5 / fps;
    for (int64_t k = 0; k < place.frames; ++k) {
        const double t = place.shift + k / fps;
        bool changed = false;
        while (upcoming && upcomingTime <= t + half - kTimeTolerance) {
            shownUntil = upcomingTime + upcomingShown;
            changed = true;
            av::FramePtr picture = std::move(upcoming);
            upcoming = source->next(upcomingTime, upcomingShown);
            if (!upcoming || upcomingTime > t + half - kTimeTolerance)
                shown = fitter.fit(picture.get(), clip.resizeMode);
        }
        if (!shown && upcoming) {
            // The clip's first picture comes a little after the clip starts: show it early.
            shown = fitter.fit(upcoming.get(), clip.resizeMode);
            changed = true;
        }
        if (!upcoming && !changed && t > shownUntil + kShortfallLimit)
            throw QuillmarkError(QStringLiteral("Cannot read \"%1\": its pictures stop at %2 s, before the %3 s "
                                                "the file holds")
                                     .arg(clip.file)
                                     .arg(spans[index].start + shownUntil, 0, 'f', 2)
                                     .arg(spans[index].start + spans[index].length, 0, 'f', 2));
        // Past the last picture the clip holds it, so the layout, and the sound
        // laid by it, stay as they are.
        av::FramePtr frame = av::RefFrame(shown.get());
        frame->pts = place.firstFrame + k;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (!queue.push(mixer.mix(std::move(frame))))
            return false;
    }
    return true;
}
