#pragma once

#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/placement.h"

// A frame of one size and format, all black.
av::FramePtr BlackFrame(const PictureShape& shape, AVPixelFormat format);

// Turns decoded pictures of any size and pixel format into output frames of one
// size and format, placed by a resize mode, black where the picture does not reach.
class FrameFitter {
public:
    FrameFitter(const PictureShape& output, AVPixelFormat format);

    av::FramePtr fit(const AVFrame* picture, int resizeMode);

private:
    PictureShape out;
    AVPixelFormat format;
    av::SwsPtr scaler;
    // What the scaler was built for; rebuilt when a source differs.
    int scalerSrcW = 0, scalerSrcH = 0, scalerDstW = 0, scalerDstH = 0;
    AVPixelFormat scalerSrcFormat = AV_PIX_FMT_NONE;
};
