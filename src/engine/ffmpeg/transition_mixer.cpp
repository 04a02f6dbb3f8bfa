#include "engine/ffmpeg/transition_mixer.h"

#include "engine/ffmpeg/frame_fitter.h"
#include "engine/ffmpeg/transition_catalogue.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

void Expect(int code, const char* what) {
    if (code < 0)
        throw std::runtime_error(std::string("cannot set up the transition: ") + what);
}

} // namespace

TransitionMixer::TransitionMixer(const std::vector<Transition>& transitions, const PictureShape& shape,
                                 AVPixelFormat format, AVRational frameRate)
    : shape(shape), format(format), rate(frameRate) {
    const auto& effects = TransitionEffects();
    const double fps = av_q2d(rate);
    for (const Transition& t : transitions) {
        if (t.index < 0 || t.index >= int(effects.size()))
            continue; // not in the list: a plain cut
        const int64_t first = FirstFrameAt(std::max(0.0, t.start), fps);
        const int64_t end = FirstFrameAt(t.stop, fps);
        if (end > first)
            spans.push_back(Span{first, end, effects[t.index].xfade});
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    // A transition that begins inside another cuts the earlier one short.
    for (size_t i = 1; i < spans.size(); ++i)
        spans[i - 1].end = std::min(spans[i - 1].end, spans[i].first);
    std::erase_if(spans, [](const Span& s) { return s.end <= s.first; });
}

TransitionMixer::~TransitionMixer() = default;

av::FramePtr TransitionMixer::mix(av::FramePtr frame) {
    const int64_t n = frame->pts;
    if (active && n >= active->end) {
        active = nullptr;
        graph.reset();
    }
    while (!active && next < spans.size() && spans[next].end <= n)
        ++next;
    if (!active && next < spans.size() && spans[next].first <= n) {
        active = &spans[next++];
        begin(*active);
    }
    if (active)
        frame = blend(frame.get(), n - active->first);
    lastShown = av::RefFrame(frame.get());
    return frame;
}

int64_t TransitionMixer::startOfRun(int64_t from) const {
    for (const Span& s : spans)
        if (s.first <= from && from < s.end)
            return std::max<int64_t>(0, s.first - 1);
    return from;
}

void TransitionMixer::begin(const Span& span) {
    from = lastShown ? av::RefFrame(lastShown.get()) : BlackFrame(shape, format);
    graph.reset(avfilter_graph_alloc());
    if (!graph)
        throw std::bad_alloc();

    const AVRational tb = av_inv_q(rate);
    const AVRational sar = shape.sampleAspect.num > 0 ? shape.sampleAspect : AVRational{1, 1};
    const std::string bufferArgs = "video_size=" + std::to_string(shape.width) + "x" + std::to_string(shape.height)
                                   + ":pix_fmt=" + std::to_string(int(format)) + ":time_base="
                                   + std::to_string(tb.num) + "/" + std::to_string(tb.den) + ":pixel_aspect="
                                   + std::to_string(sar.num) + "/" + std::to_string(sar.den) + ":frame_rate="
                                   + std::to_string(rate.num) + "/" + std::to_string(rate.den);
    const AVFilter* buffer = avfilter_get_by_name("buffer");
    Expect(avfilter_graph_create_filter(&fromSource, buffer, "from", bufferArgs.c_str(), nullptr, graph.get()),
           "source");
    Expect(avfilter_graph_create_filter(&toSource, buffer, "to", bufferArgs.c_str(), nullptr, graph.get()),
           "source");

    // The transition's length in microseconds, so xfade counts exactly its frames.
    const int64_t micros = av_rescale_q(span.end - span.first, tb, AV_TIME_BASE_Q);
    const std::string xfadeArgs =
        std::string("transition=") + span.effect + ":duration=" + std::to_string(micros) + "us:offset=0";
    AVFilterContext* xfade = nullptr;
    Expect(avfilter_graph_create_filter(&xfade, avfilter_get_by_name("xfade"), "xfade", xfadeArgs.c_str(), nullptr,
                                        graph.get()),
           span.effect);
    Expect(avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                        graph.get()),
           "sink");
    const AVPixelFormat formats[] = {format, AV_PIX_FMT_NONE};
    Expect(av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN), "sink format");
    Expect(avfilter_link(fromSource, 0, xfade, 0), "link");
    Expect(avfilter_link(toSource, 0, xfade, 1), "link");
    Expect(avfilter_link(xfade, 0, sink, 0), "link");
    Expect(avfilter_graph_config(graph.get(), nullptr), "graph");
}

av::FramePtr TransitionMixer::blend(const AVFrame* to, int64_t index) {
    av::FramePtr a = av::RefFrame(from.get());
    av::FramePtr b = av::RefFrame(to);
    a->pts = b->pts = index;
    Expect(av_buffersrc_add_frame_flags(fromSource, a.get(), 0), "feed");
    Expect(av_buffersrc_add_frame_flags(toSource, b.get(), 0), "feed");
    av::FramePtr out = av::NewFrame();
    if (av_buffersink_get_frame(sink, out.get()) < 0)
        return av::RefFrame(to); // the effect had nothing to give: show the timeline's frame
    out->pts = to->pts;
    out->sample_aspect_ratio = to->sample_aspect_ratio;
    return out;
}
