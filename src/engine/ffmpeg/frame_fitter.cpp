#include "engine/ffmpeg/frame_fitter.h"

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

} // namespace

FrameFitter::FrameFitter(const PictureShape& output, AVPixelFormat format) : out(output), format(format) {}

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

    const bool whole = p.srcX == 0 && p.srcY == 0 && p.srcWidth == picture->width && p.srcHeight == picture->height
                       && p.dstWidth == out.width && p.dstHeight == out.height;
    if (whole && picture->format == format && p.srcWidth == p.dstWidth && p.srcHeight == p.dstHeight) {
        av::FramePtr same = av::RefFrame(picture); // nothing to do: pass the decoded picture on
        same->sample_aspect_ratio = out.sampleAspect;
        return same;
    }

    const auto srcFormat = AVPixelFormat(picture->format);
    if (!scaler || scalerSrcW != p.srcWidth || scalerSrcH != p.srcHeight || scalerDstW != p.dstWidth
        || scalerDstH != p.dstHeight || scalerSrcFormat != srcFormat) {
        scaler.reset(sws_getContext(p.srcWidth, p.srcHeight, srcFormat, p.dstWidth, p.dstHeight, format,
                                    SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!scaler)
            throw std::runtime_error("cannot convert the picture's size or pixel format");
        scalerSrcW = p.srcWidth;
        scalerSrcH = p.srcHeight;
        scalerDstW = p.dstWidth;
        scalerDstH = p.dstHeight;
        scalerSrcFormat = srcFormat;
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
    sws_scale(scaler.get(), from->data, from->linesize, 0, p.srcHeight, to->data, to->linesize);
    frame->sample_aspect_ratio = out.sampleAspect;
    return frame;
}
