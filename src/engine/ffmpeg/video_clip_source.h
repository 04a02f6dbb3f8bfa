#pragma once

#include "engine/ffmpeg/frame_source.h"
#include "engine/ffmpeg/input_file.h"
#include "engine/ffmpeg/timeline.h"

// The frames of a video file from start to stop: exactly those whose time lies in
// [start, stop), found by seeking back and decoding forward, so consecutive clips
// of one file neither repeat nor lose a frame.
class VideoClipSource : public FrameSource {
public:
    explicit VideoClipSource(const VideoClip& clip);

    double length() const override { return stop - start; }
    double offsetAt(double fps) const override { return OffsetAt(start, fps); }
    // The same for a cut starting at `start`.
    static double OffsetAt(double start, double fps);
    // The clamped start of the cut, once the file's length is known.
    double cutStart() const { return start; }
    VideoGeometry geometry() const override { return ReadVideoGeometry(input.format(), input.stream()); }
    av::FramePtr next(double& time, double& shown) override;

private:
    void seekToStart();

    InputFile input;
    double start;
    double stop;
    av::FramePtr pending; // first frame found by the seek, handed out first
    bool finished = false;
    double lastTime = -1;
    double frameLength = 0; // nominal seconds per frame of the source
};
