#include "engine/ffmpeg/frame_fitter.h"

#include <stdexcept>

namespace {

// A view of part of a frame: the same buffers with data pointers moved to the
// rectangle, whatever the pixel format's plane layout.
av::FramePtr Crop(const AVFrame* frame, int x, int y, int w, int h) {
    av::FramePtr view = av::RefFrame(frame);
    view->crop_left = x;
    view->crop_top = y;
    view->crop_right = frame->width - x - w;
    view->crop_bottom = frame->height - y - h;
    if (av_frame_apply_cropping(view.get(), AV_FRAME_CROP_UNALIGNED) < 0)
        throw std::runtime_error("cannot crop a frame");
    return view;
}

// Levels 0..255 rather than 16..235: JPEG and Motion JPEG pictures, and videos
// that say so. Black must stay black across the conversion.
bool FullRange(AVPixelFormat format, AVColorRange range) {
    return range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P
           || format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

} // namespace

SwsContext* FrameFitter::NewScaler(const Scaler& s, AVPixelFormat to, bool toFull) {
    SwsContext* sws = sws_alloc_context();
    if (!sws)
        throw std::bad_alloc();
    av_opt_set_int(sws, "srcw", s.srcWidth, 0);
    av_opt_set_int(sws, "srch", s.srcHeight, 0);
    av_opt_set_int(sws, "src_format", s.srcFormat, 0);
    av_opt_set_int(sws, "src_range", s.srcFull, 0);
    av_opt_set_int(sws, "dstw", s.dstWidth, 0);
    av_opt_set_int(sws, "dsth", s.dstHeight, 0);
    av_opt_set_int(sws, "dst_format", to, 0);
    av_opt_set_int(sws, "dst_range", toFull, 0);
    av_opt_set_int(sws, "sws_flags", SWS_BICUBIC, 0);
    if (sws_init_context(sws, nullptr, nullptr) < 0) {
        sws_freeContext(sws);
        throw std::runtime_error("cannot convert the picture's size or pixel format");
    }
    return sws;
}

FrameFitter::FrameFitter(const PictureShape& output, AVPixelFormat format)
    : out(output), format(format), outFull(FullRange(format, AVCOL_RANGE_UNSPECIFIED)) {}

av::FramePtr BlackFrame(const PictureShape& out, AVPixelFormat format) {
    av::FramePtr frame = av::NewFrame();
    frame->width = out.width;
    frame->height = out.height;
    frame->format = format;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    ptrdiff_t lines[4];
    for (int i = 0; i < 4; ++i)
        lines[i] = frame->linesize[i];
    const AVColorRange range = format == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    av_image_fill_black(frame->data, lines, format, range, out.width, out.height);
    frame->sample_aspect_ratio = out.sampleAspect;
    return frame;
}

av::FramePtr FrameFitter::fit(const AVFrame* picture, int resizeMode) {
    const PictureShape src{picture->width, picture->height, picture->sample_aspect_ratio};
    const Placement p = PlacePicture(src, out, resizeMode);
    const auto srcFormat = AVPixelFormat(picture->format);
    const bool srcFull = FullRange(srcFormat, picture->color_range);

    const bool whole = p.srcX == 0 && p.srcY == 0 && p.srcWidth == picture->width && p.srcHeight == picture->height
                       && p.dstWidth == out.width && p.dstHeight == out.height;
    const bool unscaled = p.srcWidth == p.dstWidth && p.srcHeight == p.dstHeight;
    if (whole && unscaled && srcFormat == format && srcFull == outFull) {
        av::FramePtr same = av::RefFrame(picture); // nothing to do: pass the decoded picture on
        same->sample_aspect_ratio = out.sampleAspect;
        return same;
    }

    // A frame that stays interlaced has its two fields converted apart, so that
    // no line is mixed with the other field's, taken a moment earlier or later.
    const bool byField = picture->interlaced_frame && whole && unscaled && p.srcHeight % 4 == 0;
    const int fields = byField ? 2 : 1;
    const Scaler wanted{p.srcWidth, p.srcHeight / fields, p.dstWidth, p.dstHeight / fields, srcFormat, srcFull};
    if (!scaler || !(built == wanted)) {
        scaler.reset(NewScaler(wanted, format, outFull));
        built = wanted;
    }

    av::FramePtr frame = whole ? av::NewFrame() : BlackFrame(out, format);
    if (whole) {
        frame->width = out.width;
        frame->height = out.height;
        frame->format = format;
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            throw std::bad_alloc();
    }
    av::FramePtr from = Crop(picture, p.srcX, p.srcY, p.srcWidth, p.srcHeight);
    av::FramePtr to = Crop(frame.get(), p.dstX, p.dstY, p.dstWidth, p.dstHeight);
    for (int field = 0; field < fields; ++field) {
        const uint8_t* srcData[4] = {};
        uint8_t* dstData[4] = {};
        int srcLines[4] = {}, dstLines[4] = {};
        for (int i = 0; i < 4; ++i) {
            srcData[i] = from->data[i] ? from->data[i] + field * from->linesize[i] : nullptr;
            dstData[i] = to->data[i] ? to->data[i] + field * to->linesize[i] : nullptr;
            srcLines[i] = from->linesize[i] * fields;
            dstLines[i] = to->linesize[i] * fields;
        }
        sws_scale(scaler.get(), srcData, srcLines, 0, wanted.srcHeight, dstData, dstLines);
    }
    frame->sample_aspect_ratio = out.sampleAspect;
    frame->color_range = outFull ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    frame->interlaced_frame = byField;
    frame->top_field_first = byField && picture->top_field_first;
    return frame;
}
