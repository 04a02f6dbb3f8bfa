#pragma once

#include "engine/ffmpeg/frame_source.h"
#include "engine/ffmpeg/media_reader.h"

// The frames of a video file from start to stop: exactly those whose time lies in
// [start, stop), so consecutive clips of one file neither repeat nor lose a frame.
// The span is the one the render's layout worked out, already within the file.
class VideoClipSource : public FrameSource {
public:
    VideoClipSource(const QString& file, double start, double stop);

    double length() const override { return stop - start; }
    VideoGeometry geometry() const override { return ReadVideoGeometry(input.format(), input.stream()); }
    av::FramePtr next(double& time, double& shown) override;

private:
    MediaReader input;
    double start;
    double stop;
    av::FramePtr before; // the last frame before the span, while none inside it has come
    bool handedOut = false;
    bool finished = false;
    double lastTime = -1;
};
