#include "engine/ffmpeg/video_clip_source.h"

namespace {

// Frames closer than this to a cut belong to the clip that starts there; the same
// rule on both sides of a cut keeps consecutive clips from sharing a frame.
constexpr double kCutTolerance = 1e-4;

} // namespace

VideoClipSource::VideoClipSource(const QString& file, double start, double stop)
    : input(file, AVMEDIA_TYPE_VIDEO), start(start), stop(std::max(stop, start)) {
    if (start > kCutTolerance)
        input.seekTo(start);
}

av::FramePtr VideoClipSource::next(double& time, double& shown) {
    while (!finished) {
        av::FramePtr frame = av::NewFrame();
        if (!input.next(frame.get()))
            break;
        double t = input.frameTime(frame.get());
        if (t < 0)
            t = lastTime < 0 ? 0 : lastTime + 1e-3; // no timestamp: keep decode order
        lastTime = t;
        if (t < start - kCutTolerance) {
            before = std::move(frame);
            continue;
        }
        if (t >= stop - kCutTolerance)
            break;
        handedOut = true;
        time = t - start;
        shown = input.frameLength(frame.get());
        return frame;
    }
    finished = true;
    if (!handedOut && before) {
        // A span that falls inside one frame of the file shows that frame.
        handedOut = true;
        time = 0;
        shown = stop - start;
        return std::move(before);
    }
    return nullptr;
}
