#pragma once

#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/video_geometry.h"

// Where the pictures of one video clip come from. A decoded clip yields its
// frames in order; a still picture yields a single frame. The video track turns
// whatever a source yields into output frames at the output rate, so new kinds of
// clips plug in here without touching the rest of the render.
class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Seconds the clip is meant to last on the output timeline.
    virtual double length() const = 0;

    // How the stream means its pictures to be shown: turn, fields, rate. The
    // default is upright and progressive.
    virtual VideoGeometry geometry() const { return {}; }

    // The next picture, its time in seconds from the clip's start and how long it
    // is shown, or null when the clip has no more pictures.
    virtual av::FramePtr next(double& time, double& shown) = 0;
};
