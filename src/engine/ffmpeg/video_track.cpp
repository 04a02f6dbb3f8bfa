#include "engine/ffmpeg/video_track.h"

#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/upright_source.h"
#include "engine/ffmpeg/video_clip_source.h"

#include <cmath>

namespace {

// Slack when comparing a picture's time with an output frame's, far below a frame.
constexpr double kTimeTolerance = 1e-4;

} // namespace

VideoTrack::VideoTrack(const Timeline& timeline, const OutputPictures& output, AVPixelFormat format)
    : clips(timeline.video), output(output), fitter(output.shape, format),
      mixer(timeline.transitions, output.shape, format, output.frameRate) {}

std::unique_ptr<FrameSource> VideoTrack::OpenSource(const VideoClip& clip) {
    if (PictureSource::IsPicture(clip.file))
        return std::make_unique<PictureSource>(clip);
    return std::make_unique<VideoClipSource>(clip);
}

int64_t VideoTrack::FirstFrameAt(double seconds, double fps) {
    return int64_t(std::ceil(seconds * fps - 1e-3));
}

void VideoTrack::run(FrameQueue& queue) noexcept {
    try {
        for (const VideoClip& clip : clips)
            if (!renderClip(clip, queue))
                return;
        queue.close();
    } catch (...) {
        queue.close(std::current_exception());
    }
}

bool VideoTrack::renderClip(const VideoClip& clip, FrameQueue& queue) {
    auto source = std::make_unique<UprightSource>(OpenSource(clip), clip.file, clip.resizeMode, output);
    const double fps = av_q2d(output.frameRate);
    // A render opens on the first frame of the grid at or after its first cut: a
    // part cut between two frames then neither repeats the frame before the cut
    // (the previous part's last) nor opens on a copy of the one after it.
    const double lead = (nextFrame == 0 && clipsLength == 0) ? source->offsetAt(fps) : 0;
    const double clipStart = nextFrame / fps - lead; // frame times count from the cut itself
    // Frame boundaries follow the running sum of the clips' lengths, so rounding
    // never accumulates across clips.
    const double clipLength = source->length() - lead;
    clipsLength += clipLength;
    const int64_t endFrame = std::max(nextFrame, FirstFrameAt(clipsLength, fps));

    double upcomingTime = 0, upcomingShown = 0;
    av::FramePtr upcoming = source->next(upcomingTime, upcomingShown);
    av::FramePtr shown;       // the fitted picture on screen now
    double shownUntil = 0;    // when the last picture runs out, once the source has ended
    const bool sourceEnded = !upcoming;
    bool cutShort = false;
    if (sourceEnded) {
        clipsLength -= clipLength; // nothing to show: the clip lies past the end of its source
        return true;
    }

    // Each output frame shows the source picture nearest its time, so a source
    // whose frames sit a little off the output's grid still maps frame to frame.
    const double half = 0.5 / fps;
    for (int64_t n = nextFrame; n < endFrame; ++n) {
        const double t = n / fps - clipStart;
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
        if (!upcoming && !changed && t + half >= shownUntil - kTimeTolerance) {
            // The source ran out of pictures before the clip's asked end.
            cutShort = true;
            break;
        }
        av::FramePtr frame = av::RefFrame(shown.get());
        frame->pts = n;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (!queue.push(mixer.mix(std::move(frame))))
            return false;
        nextFrame = n + 1;
    }
    // A clip cut short by its source moves the boundary of the clips after it.
    if (cutShort)
        clipsLength = nextFrame / fps;
    return true;
}
