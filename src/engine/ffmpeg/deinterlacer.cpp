#include "engine/ffmpeg/deinterlacer.h"

#include "engine/ffmpeg/av_error.h"

Deinterlacer::Deinterlacer(bool topFirst, const QString& file) : topFirst(topFirst), file(file) {}

void Deinterlacer::fail(int code) const {
    av::Fail(QStringLiteral("Cannot deinterlace"), file, code);
}

void Deinterlacer::open(const AVFrame& like) {
    graph.reset(avfilter_graph_alloc());
    if (!graph)
        throw std::bad_alloc();
    const AVRational sar = like.sample_aspect_ratio.num > 0 ? like.sample_aspect_ratio : AVRational{1, 1};
    const QByteArray args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=1/25:pixel_aspect=%4/%5")
                                .arg(like.width).arg(like.height).arg(like.format).arg(sar.num).arg(sar.den)
                                .toLatin1();
    // Every frame of an interlaced clip, flagged or not; one frame per frame, so
    // the clip's timing is untouched.
    const QByteArray filter = QByteArray("mode=send_frame:deint=all:parity=") + (topFirst ? "tff" : "bff");
    int ret = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", args.constData(), nullptr,
                                           graph.get());
    AVFilterContext* bwdif = nullptr;
    if (ret >= 0)
        ret = avfilter_graph_create_filter(&bwdif, avfilter_get_by_name("bwdif"), "bwdif", filter.constData(),
                                           nullptr, graph.get());
    if (ret >= 0)
        ret = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                           graph.get());
    if (ret >= 0)
        ret = avfilter_link(source, 0, bwdif, 0);
    if (ret >= 0)
        ret = avfilter_link(bwdif, 0, sink, 0);
    if (ret >= 0)
        ret = avfilter_graph_config(graph.get(), nullptr);
    if (ret < 0)
        fail(ret);
    width = like.width;
    height = like.height;
    format = like.format;
}

void Deinterlacer::push(av::FramePtr frame) {
    if (graph && (frame->width != width || frame->height != height || frame->format != format))
        finish(); // the stream changed shape: what the old graph holds comes out first
    if (!graph)
        open(*frame);
    frame->pts = count++;
    const int ret = av_buffersrc_add_frame(source, frame.get());
    if (ret < 0)
        fail(ret);
    drain();
}

void Deinterlacer::finish() {
    if (!graph)
        return;
    const int ret = av_buffersrc_add_frame(source, nullptr);
    if (ret < 0)
        fail(ret);
    drain();
    graph.reset();
    source = sink = nullptr;
}

void Deinterlacer::drain() {
    for (;;) {
        av::FramePtr out = av::NewFrame();
        const int ret = av_buffersink_get_frame(sink, out.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0)
            fail(ret);
        ready.push_back(std::move(out));
    }
}

av::FramePtr Deinterlacer::pull() {
    if (ready.empty())
        return nullptr;
    av::FramePtr frame = std::move(ready.front());
    ready.pop_front();
    return frame;
}
