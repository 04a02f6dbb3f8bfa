#pragma once

#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/placement.h"

// A frame of one size and format, all black.
av::FramePtr BlackFrame(const PictureShape& shape, AVPixelFormat format);

// Turns decoded pictures of any size, pixel format and colour range into output
// frames of one size and format, placed by a resize mode, black where the picture
// does not reach.
class FrameFitter {
public:
    FrameFitter(const PictureShape& output, AVPixelFormat format);

    av::FramePtr fit(const AVFrame* picture, int resizeMode);

private:
    // What a scaler is built for; rebuilt when a source differs.
    struct Scaler {
        int srcWidth = 0, srcHeight = 0, dstWidth = 0, dstHeight = 0;
        AVPixelFormat srcFormat = AV_PIX_FMT_NONE;
        bool srcFull = false;
        bool operator==(const Scaler&) const = default;
    };
    static SwsContext* NewScaler(const Scaler& s, AVPixelFormat to, bool toFull);

    PictureShape out;
    AVPixelFormat format;
    bool outFull;
    av::SwsPtr scaler;
    Scaler built;
};
