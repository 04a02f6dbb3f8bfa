// Turning decoded pictures and deciding what becomes of a clip's fields.
#include "engine/ffmpeg/picture_orientation.h"
#include "engine/ffmpeg/video_geometry.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/display.h>
}

namespace {

// A picture whose every sample holds its plane, row and column: 100 * plane + 10 * row + column.
av::FramePtr Numbered(AVPixelFormat format, int width, int height) {
    av::FramePtr f = av::NewFrame();
    f->format = format;
    f->width = width;
    f->height = height;
    f->sample_aspect_ratio = {3, 2};
    f->pts = 42;
    EXPECT_EQ(av_frame_get_buffer(f.get(), 0), 0);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    const bool wide = d->comp[0].step == 2;
    for (int p = 0; p < av_pix_fmt_count_planes(format); ++p) {
        const int w = p ? AV_CEIL_RSHIFT(width, d->log2_chroma_w) : width;
        const int h = p ? AV_CEIL_RSHIFT(height, d->log2_chroma_h) : height;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int v = 100 * p + 10 * y + x;
                if (wide)
                    reinterpret_cast<uint16_t*>(f->data[p] + y * f->linesize[p])[x] = uint16_t(v);
                else
                    f->data[p][y * f->linesize[p] + x] = uint8_t(v);
            }
    }
    return f;
}

int Sample(const AVFrame* f, int plane, int x, int y) {
    const uint8_t* row = f->data[plane] + y * f->linesize[plane];
    return av_pix_fmt_desc_get(AVPixelFormat(f->format))->comp[0].step == 2 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                                               : row[x];
}

Turn TurnOfRotation(double degrees, bool mirror = false) {
    int32_t m[9];
    av_display_rotation_set(m, degrees);
    if (mirror)
        av_display_matrix_flip(m, 1, 0);
    return TurnFor(m);
}

TEST(EngineTurn, PlanarPicturesTurnEveryPlaneWithTheirTimingAndPixelShape) {
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV420P10LE}) {
        SCOPED_TRACE(av_get_pix_fmt_name(format));
        const Turn quarter{true, true, false}; // a transpose, then a left-right mirror: a clockwise quarter turn
        av::FramePtr out = TurnPicture(Numbered(format, 6, 4), quarter);
        ASSERT_EQ(out->width, 4);
        ASSERT_EQ(out->height, 6);
        EXPECT_EQ(out->format, format);
        EXPECT_EQ(out->pts, 42);
        EXPECT_EQ(av_cmp_q(out->sample_aspect_ratio, AVRational{2, 3}), 0);
        // The source's bottom left corner comes to the top left.
        EXPECT_EQ(Sample(out.get(), 0, 0, 0), 30);
        EXPECT_EQ(Sample(out.get(), 0, 3, 0), 0);
        EXPECT_EQ(Sample(out.get(), 0, 0, 5), 35);
        // Chroma planes are 2x3 now and turned alike.
        EXPECT_EQ(Sample(out.get(), 1, 0, 0), 110);
        EXPECT_EQ(Sample(out.get(), 2, 1, 2), 202);
    }
}

TEST(EngineTurn, PicturesThatCannotTurnInPlaceAreConvertedFirst) {
    // A turned 4:2:2 picture is no longer 4:2:2.
    av::FramePtr out = TurnPicture(Numbered(AV_PIX_FMT_YUV422P, 8, 4), Turn{true, false, false});
    EXPECT_EQ(out->width, 4);
    EXPECT_EQ(out->height, 8);
    EXPECT_EQ(out->format, AV_PIX_FMT_YUV444P);
    EXPECT_EQ(Sample(out.get(), 0, 3, 5), 35) << "a transpose: column and row swap";
}

TEST(EngineTurn, DisplayMatricesReadAsPlayersShowThem) {
    const Turn none = TurnOfRotation(0);
    EXPECT_TRUE(none.none());
    const Turn half = TurnOfRotation(180);
    EXPECT_FALSE(half.transpose);
    EXPECT_TRUE(half.flipX && half.flipY);
    const Turn mirror = TurnOfRotation(0, true);
    EXPECT_FALSE(mirror.transpose);
    EXPECT_NE(mirror.flipX, mirror.flipY);
    EXPECT_TRUE(TurnOfRotation(90).transpose);
    EXPECT_TRUE(TurnOfRotation(-90).transpose);
    EXPECT_NE(TurnOfRotation(90).flipX, TurnOfRotation(-90).flipX);
}

TEST(EngineFields, AClipIsInterlacedByItsFramesOrItsStream) {
    av::FramePtr frame = av::NewFrame();
    VideoGeometry stream;
    EXPECT_EQ(FieldOrderOf(stream, *frame), AV_FIELD_PROGRESSIVE);
    frame->interlaced_frame = 1;
    EXPECT_EQ(FieldOrderOf(stream, *frame), AV_FIELD_BB);
    frame->top_field_first = 1;
    EXPECT_EQ(FieldOrderOf(stream, *frame), AV_FIELD_TT);
    frame->interlaced_frame = 0;
    stream.fieldOrder = AV_FIELD_TB; // coded top first, shown bottom first
    EXPECT_EQ(FieldOrderOf(stream, *frame), AV_FIELD_BB);
}

TEST(EngineFields, TurnedClipsHaveTheirUprightShapeAndNoFieldsToKeep) {
    av::FramePtr frame = av::NewFrame();
    frame->width = 720;
    frame->height = 576;
    frame->sample_aspect_ratio = {16, 15};
    frame->interlaced_frame = 1;
    frame->top_field_first = 1;
    VideoGeometry g;
    g.frameRate = {25, 1};
    const SourceShape plain = ShapeOf(g, *frame);
    EXPECT_EQ(plain.fieldOrder, AV_FIELD_TT);
    g.turn = Turn{true, true, false};
    const SourceShape turned = ShapeOf(g, *frame);
    EXPECT_EQ(turned.width, 576);
    EXPECT_EQ(turned.height, 720);
    EXPECT_EQ(av_cmp_q(turned.sampleAspect, AVRational{15, 16}), 0);
    EXPECT_EQ(turned.fieldOrder, AV_FIELD_PROGRESSIVE);
}

TEST(EngineFields, FieldsStayOnlyWhenNothingScalesOrRetimesThem) {
    const SourceShape clip{720, 576, {16, 15}, AV_FIELD_TT, {25, 1}};
    const OutputPictures dvd{{720, 576, {16, 15}}, {25, 1}, AV_FIELD_TT};
    for (int mode : {0, 1, 2, 3})
        EXPECT_TRUE(KeepsFields(clip, dvd, mode)) << mode;
    OutputPictures other = dvd;
    other.fieldOrder = AV_FIELD_BB;
    EXPECT_FALSE(KeepsFields(clip, other, 0)) << "the other field order";
    other = dvd;
    other.fieldOrder = AV_FIELD_PROGRESSIVE;
    EXPECT_FALSE(KeepsFields(clip, other, 0)) << "a progressive output";
    other = dvd;
    other.frameRate = {30000, 1001};
    EXPECT_FALSE(KeepsFields(clip, other, 0)) << "another rate";
    other = dvd;
    other.shape.sampleAspect = {64, 45};
    EXPECT_TRUE(KeepsFields(clip, other, 0)) << "stretched to the frame: no scaling";
    EXPECT_FALSE(KeepsFields(clip, other, 2)) << "pillarboxed: scaled";
    SourceShape small = clip;
    small.width = 704;
    EXPECT_FALSE(KeepsFields(small, dvd, 0));
}

} // namespace
