#include "engine/ffmpeg/picture_orientation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavutil/display.h>
}

namespace {

// Planar formats whose planes all turn alike: a transposed 4:2:0 picture is
// 4:2:0 again, a transposed 4:2:2 one would not be.
bool TurnsInPlace(AVPixelFormat format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    if (!d || (d->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL)))
        return false;
    if (d->log2_chroma_w != d->log2_chroma_h || av_pix_fmt_count_planes(format) != d->nb_components)
        return false;
    for (int i = 0; i < d->nb_components; ++i)
        if (d->comp[i].offset != 0 || d->comp[i].shift != 0 || (d->comp[i].step != 1 && d->comp[i].step != 2))
            return false;
    return true;
}

AVPixelFormat TurnableFormat(AVPixelFormat format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    if (d && (d->flags & AV_PIX_FMT_FLAG_RGB))
        return AV_PIX_FMT_GBRP;
    return format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ440P ? AV_PIX_FMT_YUVJ444P : AV_PIX_FMT_YUV444P;
}

av::FramePtr NewPicture(const AVFrame* like, AVPixelFormat format, int width, int height) {
    av::FramePtr frame = av::NewFrame();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    if (av_frame_copy_props(frame.get(), like) < 0)
        throw std::bad_alloc();
    return frame;
}

av::FramePtr Converted(const AVFrame* picture, AVPixelFormat format) {
    const int w = picture->width, h = picture->height;
    av::FramePtr out = NewPicture(picture, format, w, h);
    av::SwsPtr sws(sws_getContext(w, h, AVPixelFormat(picture->format), w, h, format, SWS_POINT, nullptr, nullptr,
                                  nullptr));
    if (!sws)
        throw std::runtime_error("cannot convert the picture to turn it");
    sws_scale(sws.get(), picture->data, picture->linesize, 0, h, out->data, out->linesize);
    return out;
}

// Each output row walks the source in a straight line: along a column for a
// transpose, along a row otherwise, forwards or backwards. Tiles keep the source
// rows a transpose reads in cache.
template <typename Sample>
void TurnPlane(const AVFrame* from, AVFrame* to, int plane, int width, int height, const Turn& t) {
    constexpr int kTile = 32;
    const uint8_t* src = from->data[plane];
    const ptrdiff_t srcLine = from->linesize[plane];
    const ptrdiff_t along = t.transpose ? srcLine : ptrdiff_t(sizeof(Sample)); // next output column
    const ptrdiff_t across = t.transpose ? ptrdiff_t(sizeof(Sample)) : srcLine; // next output row
    const ptrdiff_t step = t.flipX ? -along : along;
    for (int y0 = 0; y0 < height; y0 += kTile)
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int xEnd = std::min(width, x0 + kTile);
            for (int y = y0; y < std::min(height, y0 + kTile); ++y) {
                auto* row = reinterpret_cast<Sample*>(to->data[plane] + y * to->linesize[plane]);
                const int ty = t.flipY ? height - 1 - y : y;
                const int tx = t.flipX ? width - 1 - x0 : x0;
                const uint8_t* at = src + ty * across + tx * along;
                for (int x = x0; x < xEnd; ++x, at += step)
                    row[x] = *reinterpret_cast<const Sample*>(at);
            }
        }
}

} // namespace

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

av::FramePtr TurnPicture(av::FramePtr picture, const Turn& t) {
    if (t.none())
        return picture;
    if (!TurnsInPlace(AVPixelFormat(picture->format)))
        picture = Converted(picture.get(), TurnableFormat(AVPixelFormat(picture->format)));

    const auto format = AVPixelFormat(picture->format);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    const int w = picture->width, h = picture->height;
    const int outW = t.transpose ? h : w, outH = t.transpose ? w : h;
    av::FramePtr out = NewPicture(picture.get(), format, outW, outH);
    av_frame_remove_side_data(out.get(), AV_FRAME_DATA_DISPLAYMATRIX); // turned once, never again
    if (t.transpose && out->sample_aspect_ratio.num > 0)
        out->sample_aspect_ratio = av_inv_q(out->sample_aspect_ratio);
    for (int p = 0; p < d->nb_components; ++p) {
        const bool chroma = p == 1 || p == 2;
        const int pw = chroma ? AV_CEIL_RSHIFT(outW, d->log2_chroma_w) : outW;
        const int ph = chroma ? AV_CEIL_RSHIFT(outH, d->log2_chroma_h) : outH;
        if (d->comp[p].step == 2)
            TurnPlane<uint16_t>(picture.get(), out.get(), d->comp[p].plane, pw, ph, t);
        else
            TurnPlane<uint8_t>(picture.get(), out.get(), d->comp[p].plane, pw, ph, t);
    }
    return out;
}

av::FramePtr UprightPicture(av::FramePtr picture) {
    const AVFrameSideData* side = av_frame_get_side_data(picture.get(), AV_FRAME_DATA_DISPLAYMATRIX);
    if (!side || side->size < int(9 * sizeof(int32_t)))
        return picture;
    const Turn turn = TurnFor(reinterpret_cast<const int32_t*>(side->data));
    return TurnPicture(std::move(picture), turn);
}
