#include "engine/ffmpeg/video_geometry.h"

#include <cmath>

namespace {

bool Interlaced(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB || order == AV_FIELD_BT;
}

// TB and BT are coded in one order and shown in the other; what counts here is
// the field shown first.
AVFieldOrder Shown(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BT ? AV_FIELD_TT : AV_FIELD_BB;
}

bool SameRate(AVRational a, AVRational b) {
    return a.num > 0 && b.num > 0 && std::abs(av_q2d(a) / av_q2d(b) - 1) < 1e-3;
}

} // namespace

VideoGeometry ReadVideoGeometry(AVFormatContext* format, AVStream* stream) {
    VideoGeometry g;
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix && size >= 9 * sizeof(int32_t))
        g.turn = TurnFor(reinterpret_cast<const int32_t*>(matrix));
    g.fieldOrder = stream->codecpar->field_order;
    g.frameRate = av_guess_frame_rate(format, stream, nullptr);
    return g;
}

AVFieldOrder FieldOrderOf(const VideoGeometry& geometry, const AVFrame& first) {
    if (first.interlaced_frame)
        return first.top_field_first ? AV_FIELD_TT : AV_FIELD_BB;
    if (Interlaced(geometry.fieldOrder))
        return Shown(geometry.fieldOrder);
    return AV_FIELD_PROGRESSIVE;
}

SourceShape ShapeOf(const VideoGeometry& geometry, const AVFrame& first) {
    SourceShape s{first.width, first.height, first.sample_aspect_ratio, FieldOrderOf(geometry, first),
                  geometry.frameRate, {}};
    if (geometry.turn.none())
        return s;
    s.fieldOrder = AV_FIELD_PROGRESSIVE;
    if (geometry.turn.transpose) {
        std::swap(s.width, s.height);
        if (s.sampleAspect.num > 0)
            s.sampleAspect = av_inv_q(s.sampleAspect);
    }
    return s;
}

bool KeepsFields(const SourceShape& clip, const OutputPictures& output, int resizeMode) {
    if (!Interlaced(clip.fieldOrder) || clip.fieldOrder != output.fieldOrder)
        return false;
    if (clip.width != output.shape.width || clip.height != output.shape.height
        || !SameRate(clip.frameRate, output.frameRate))
        return false;
    const Placement p = PlacePicture(PictureShape{clip.width, clip.height, clip.sampleAspect}, output.shape, resizeMode);
    return p.srcX == 0 && p.srcY == 0 && p.dstX == 0 && p.dstY == 0 && p.srcWidth == clip.width
           && p.srcHeight == clip.height && p.dstWidth == clip.width && p.dstHeight == clip.height;
}
