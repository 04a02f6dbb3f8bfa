#include "engine/ffmpeg/video_clip_source.h"

#include "engine/ffmpeg/video_track.h"

#include <algorithm>

namespace {

// Frames closer than this to a cut belong to the clip that starts there; the same
// rule on both sides of a cut keeps consecutive clips from sharing a frame.
constexpr double kCutTolerance = 1e-4;

// Demuxers that land after the target (MPEG program streams do) get these
// further-back retries before we fall back to decoding from the very start.
constexpr double kBackoffs[] = {0, 0.5, 1, 2, 4, 8, 16};

} // namespace

VideoClipSource::VideoClipSource(const VideoClip& clip)
    : input(clip.file, AVMEDIA_TYPE_VIDEO), start(std::max(0.0, clip.start)), stop(clip.stop) {
    const double end = input.duration();
    if (end > 0) {
        start = std::min(start, end);
        stop = std::min(stop, end);
    }
    stop = std::max(stop, start);
    const AVRational rate = av_guess_frame_rate(input.format(), input.stream(), nullptr);
    frameLength = rate.num > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
    seekToStart();
}

void VideoClipSource::seekToStart() {
    if (start <= kCutTolerance)
        return; // a fresh file already sits at its beginning
    for (double backoff : kBackoffs) {
        input.seekBefore(start, backoff);
        av::FramePtr frame = av::NewFrame();
        if (!input.decode(frame.get())) {
            finished = true;
            return;
        }
        const double t = input.frameTime(frame.get());
        if (t <= start + kCutTolerance || start - backoff <= 0) {
            pending = std::move(frame);
            return;
        }
    }
    input.seekBefore(0, 0);
}

double VideoClipSource::OffsetAt(double start, double fps) {
    return double(VideoTrack::FirstFrameAt(start, fps)) / fps - start;
}

av::FramePtr VideoClipSource::next(double& time, double& shown) {
    while (!finished) {
        av::FramePtr frame;
        if (pending) {
            frame = std::move(pending);
        } else {
            frame = av::NewFrame();
            if (!input.decode(frame.get())) {
                finished = true;
                break;
            }
        }
        double t = input.frameTime(frame.get());
        if (t < 0)
            t = lastTime < 0 ? 0 : lastTime + 1e-3; // no timestamp: keep decode order
        lastTime = t;
        if (t < start - kCutTolerance)
            continue;
        if (t >= stop - kCutTolerance) {
            finished = true;
            break;
        }
        time = t - start;
        shown = frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(input.stream()->time_base) : frameLength;
        return frame;
    }
    return nullptr;
}
