#include "engine/ffmpeg/picture_orientation.h"

#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavutil/display.h>
}

namespace {

struct Turn {
    bool transpose = false;
    bool flipX = false; // applied after the transpose
    bool flipY = false;
};

// The same reading of the matrix as the ffmpeg command line's automatic rotation.
Turn TurnFor(const int32_t* m) {
    double theta = -std::round(av_display_rotation_get(m));
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    Turn t;
    if (std::abs(theta - 90) < 1) {
        t.transpose = true;
        t.flipX = !(m[3] > 0);
    } else if (std::abs(theta - 180) < 1) {
        t.flipX = m[0] < 0;
        t.flipY = m[4] < 0;
    } else if (std::abs(theta - 270) < 1) {
        t.transpose = true;
        t.flipX = m[3] < 0;
        t.flipY = true;
    } else {
        t.flipY = m[4] < 0;
    }
    return t;
}

av::FramePtr Planar(const AVFrame* picture, AVPixelFormat format, int width, int height) {
    av::FramePtr frame = av::NewFrame();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    frame->sample_aspect_ratio = picture->sample_aspect_ratio;
    return frame;
}

} // namespace

av::FramePtr UprightPicture(av::FramePtr picture) {
    const AVFrameSideData* side = av_frame_get_side_data(picture.get(), AV_FRAME_DATA_DISPLAYMATRIX);
    if (!side || side->size < int(9 * sizeof(int32_t)))
        return picture;
    const Turn t = TurnFor(reinterpret_cast<const int32_t*>(side->data));
    if (!t.transpose && !t.flipX && !t.flipY)
        return picture;

    // Work on planar RGB, where every plane has the picture's full size.
    const int w = picture->width, h = picture->height;
    av::FramePtr rgb = Planar(picture.get(), AV_PIX_FMT_GBRP, w, h);
    {
        SwsContext* sws = sws_getContext(w, h, AVPixelFormat(picture->format), w, h, AV_PIX_FMT_GBRP, SWS_POINT,
                                         nullptr, nullptr, nullptr);
        if (!sws)
            throw std::runtime_error("cannot convert the picture to turn it");
        sws_scale(sws, picture->data, picture->linesize, 0, h, rgb->data, rgb->linesize);
        sws_freeContext(sws);
    }
    picture.reset(); // a large picture is held only once

    const int outW = t.transpose ? h : w, outH = t.transpose ? w : h;
    av::FramePtr out = Planar(rgb.get(), AV_PIX_FMT_GBRP, outW, outH);
    if (t.transpose)
        out->sample_aspect_ratio = av_inv_q(rgb->sample_aspect_ratio);
    for (int p = 0; p < 3; ++p) {
        const uint8_t* src = rgb->data[p];
        const int srcLine = rgb->linesize[p];
        for (int y = 0; y < outH; ++y) {
            uint8_t* row = out->data[p] + y * out->linesize[p];
            const int ty = t.flipY ? outH - 1 - y : y;
            for (int x = 0; x < outW; ++x) {
                const int tx = t.flipX ? outW - 1 - x : x;
                row[x] = t.transpose ? src[tx * srcLine + ty] : src[ty * srcLine + tx];
            }
        }
    }
    return out;
}
