#include "engine/split_point_detection.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

const QString kDetect = QStringLiteral("Cannot look for split points in");
// Frame times go through the filters in microseconds from the file's start, so
// what the filters report is already in the file's own seconds.
constexpr AVRational kMicroseconds{1, 1000000};
// Scene and black detection need no detail: a small picture is as telling and
// far cheaper to filter.
constexpr int kDetectWidth = 160;
// A stretch this close to either end of the file is its lead-in or run-out, not
// a break between two things worth a part each.
constexpr double kEdge = 1e-3;


// One filter chain between a buffer source and a sink, rebuilt when the
// stream changes shape under it.
class FilterChain {
public:
    explicit FilterChain(const QString& file) : file(file) {}

    void open(const QByteArray& sourceName, const QByteArray& sourceArgs, const QByteArray& chain) {
        graph.reset(avfilter_graph_alloc());
        if (!graph)
            throw std::bad_alloc();
        const bool audio = sourceName == "abuffer";
        check(avfilter_graph_create_filter(&source, avfilter_get_by_name(sourceName.constData()), "in",
                                           sourceArgs.constData(), nullptr, graph.get()));
        check(avfilter_graph_create_filter(&sink, avfilter_get_by_name(audio ? "abuffersink" : "buffersink"), "out",
                                           nullptr, nullptr, graph.get()));
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        outputs->name = av_strdup("in");
        outputs->filter_ctx = source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink;
        const int ret = avfilter_graph_parse_ptr(graph.get(), chain.constData(), &inputs, &outputs, nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        check(ret);
        check(avfilter_graph_config(graph.get(), nullptr));
    }
    bool isOpen() const { return bool(graph); }

    // Pushes `frame` (nullptr: the end) and hands every filtered frame to `take`.
    template <typename Take>
    void push(AVFrame* frame, Take take) {
        check(av_buffersrc_add_frame(source, frame));
        av::FramePtr out = av::NewFrame();
        for (;;) {
            const int ret = av_buffersink_get_frame(sink, out.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
                break;
            check(ret);
            take(*out);
            av_frame_unref(out.get());
        }
        if (!frame)
            graph.reset();
    }

private:
    void check(int code) const {
        if (code < 0)
            av::Fail(kDetect, file, code);
    }

    QString file;
    av::GraphPtr graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
};

std::optional<double> Meta(const AVFrame& frame, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(frame.metadata, key, nullptr, 0);
    if (!entry)
        return std::nullopt;
    bool ok = false;
    const double value = QString::fromLatin1(entry->value).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// A stretch from the first frame that is black (or silent) to the first that is
// not, collected from the filters' start and end marks.
struct Stretches {
    double minSeconds;
    std::optional<double> open;
    std::vector<std::pair<double, double>> found;

    void mark(const AVFrame& frame, const char* startKey, const char* endKey) {
        if (const auto end = Meta(frame, endKey); end && open) {
            if (*end - *open >= minSeconds - kEdge)
                found.emplace_back(*open, *end);
            open.reset();
        }
        if (const auto start = Meta(frame, startKey))
            open = start;
    }
};

// The luma of a small filtered picture, row after row.
std::vector<uint8_t> Luma(const AVFrame& frame) {
    std::vector<uint8_t> luma;
    luma.reserve(size_t(frame.width) * size_t(frame.height));
    for (int y = 0; y < frame.height; ++y)
        luma.insert(luma.end(), frame.data[0] + y * frame.linesize[0], frame.data[0] + y * frame.linesize[0] + frame.width);
    return luma;
}

// Mean difference of two pictures' luma, 0 to 255; 255 when they cannot be compared.
double Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.empty() || a.size() != b.size())
        return 255;
    int64_t sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return double(sum) / double(a.size());
}

// Scene changes closer together than the shortest shot are one burst: a camera
// flash, a blink of a few frames, a quick montage. A burst after which the
// picture is the one before it was a flash and is no change at all; any other
// counts once, at its first cut.
class Bursts {
public:
    explicit Bursts(QList<double>& points) : points(points) {}

    void frame(const AVFrame& picture, std::optional<double> cut, double time) {
        std::vector<uint8_t> luma = Luma(picture);
        if (start && !cut && time - last >= kShortestScene) {
            if (Difference(luma, before) > kSameScene)
                points.append(*start);
            start.reset();
        }
        if (cut) {
            if (!start) {
                start = *cut;
                before = previous;
            }
            last = *cut;
        }
        previous = std::move(luma);
    }
    // The file ended inside a burst: nothing after it to compare with.
    void end() {
        if (start)
            points.append(*start);
        start.reset();
    }

private:
    static constexpr double kShortestScene = 0.5; // seconds
    static constexpr double kSameScene = 10;      // mean luma difference of one scene across a flash

    QList<double>& points;
    std::vector<uint8_t> previous, before;
    std::optional<double> start;
    double last = 0;
};

QByteArray Number(double value) { return QByteArray::number(value, 'f', 6); }

QByteArray VideoSource(const AVFrame& frame) {
    return "video_size=" + QByteArray::number(frame.width) + 'x' + QByteArray::number(frame.height) +
           ":pix_fmt=" + QByteArray::number(frame.format) + ":time_base=1/1000000:pixel_aspect=1/1";
}

QByteArray AudioSource(const AVFrame& frame) {
    char layout[128] = "";
    if (frame.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_describe(&frame.ch_layout, layout, sizeof layout);
    QByteArray args = "time_base=1/1000000:sample_rate=" + QByteArray::number(frame.sample_rate) +
                      ":sample_fmt=" + av_get_sample_fmt_name(AVSampleFormat(frame.format));
    if (layout[0])
        args += QByteArray(":channel_layout=") + layout;
    else
        args += ":channels=" + QByteArray::number(frame.ch_layout.nb_channels);
    return args;
}

QByteArray Chain(const DetectionSettings& s) {
    const QByteArray small = "scale=" + QByteArray::number(kDetectWidth) + ":-2:flags=fast_bilinear,format=yuv420p,";
    switch (s.kind) {
    case DetectionKind::Scenes:
        return small + "scdet=threshold=" + Number(s.threshold);
    case DetectionKind::Black:
        // Every stretch is marked; the shortest that counts is applied here, so a
        // stretch and its end are never split across the filter's own limit.
        return small + "blackdetect=d=0:pic_th=0.98:pix_th=" + Number(s.threshold);
    case DetectionKind::Silence:
        return "silencedetect=mono=0:noise=" + Number(s.threshold) + "dB:duration=" + Number(s.minSeconds);
    }
    return {};
}

// The frame time nearest to `seconds` (the earlier one on a tie).
double Snap(const std::vector<double>& frames, double seconds) {
    const auto after = std::lower_bound(frames.begin(), frames.end(), seconds);
    if (after == frames.end())
        return frames.empty() ? seconds : frames.back();
    if (after == frames.begin())
        return *after;
    const auto before = std::prev(after);
    return seconds - *before <= *after - seconds ? *before : *after;
}

} // namespace

ThresholdRange DetectionThresholdRange(DetectionKind kind) {
    switch (kind) {
    case DetectionKind::Scenes:
        return {2, 40, 10, false};
    case DetectionKind::Black:
        return {0.02, 0.3, 0.1, true};
    case DetectionKind::Silence:
        return {-80, -20, -50, true};
    }
    return {0, 1, 0, true};
}

DetectionSettings DefaultDetection(DetectionKind kind) {
    return {kind, DetectionThresholdRange(kind).normal, 0.5};
}

QString DetectionNoun(DetectionKind kind) {
    switch (kind) {
    case DetectionKind::Scenes:
        return QStringLiteral("scene changes");
    case DetectionKind::Black:
        return QStringLiteral("black frames");
    case DetectionKind::Silence:
        return QStringLiteral("silences");
    }
    return {};
}

QList<double> DetectSplitPoints(const QString& file, const DetectionSettings& settings, const std::atomic<bool>& stop,
                                const DetectionProgress& progress) {
    const bool audio = settings.kind == DetectionKind::Silence;
    MediaReader reader(file, audio ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO, false, &stop);
    const double duration = reader.headerDuration();
    const QByteArray chain = Chain(settings);

    FilterChain filters(file);
    QList<double> points;
    std::vector<double> frameTimes; // of every frame filtered, in order
    Stretches stretches{settings.minSeconds, {}, {}};
    int width = 0, height = 0, format = -1;
    int64_t lastPts = AV_NOPTS_VALUE;
    Bursts flashes{points};

    const auto take = [&](const AVFrame& out) {
        const double time = out.pts * av_q2d(kMicroseconds);
        if (settings.kind == DetectionKind::Scenes) {
            flashes.frame(out, Meta(out, "lavfi.scd.time"), time);
        } else if (settings.kind == DetectionKind::Black) {
            stretches.mark(out, "lavfi.black_start", "lavfi.black_end");
        } else {
            stretches.mark(out, "lavfi.silence_start", "lavfi.silence_end");
        }
        if (frameTimes.empty() || time > frameTimes.back())
            frameTimes.push_back(time);
    };

    av::FramePtr frame = av::NewFrame();
    while (!stop && reader.next(frame.get())) {
        const double time = reader.frameTime(frame.get());
        const int64_t pts = std::llround(time / av_q2d(kMicroseconds));
        // The filters want time to move on; a frame without a time, or out of
        // order, tells nothing about where a point lies.
        if (time < 0 || (lastPts != AV_NOPTS_VALUE && pts <= lastPts)) {
            av_frame_unref(frame.get());
            continue;
        }
        lastPts = pts;
        frame->pts = pts;
        // PCM in WAV and camera files often does not say which channels it
        // holds; the filters refuse sound without a layout, so it gets the usual one.
        if (audio && frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            const int channels = frame->ch_layout.nb_channels;
            av_channel_layout_uninit(&frame->ch_layout);
            av_channel_layout_default(&frame->ch_layout, channels);
        }
        if (!audio && filters.isOpen() && (frame->width != width || frame->height != height || frame->format != format))
            filters.push(nullptr, take);
        if (!filters.isOpen()) {
            filters.open(audio ? "abuffer" : "buffer", audio ? AudioSource(*frame) : VideoSource(*frame), chain);
            width = frame->width;
            height = frame->height;
            format = frame->format;
        }
        filters.push(frame.get(), take);
        av_frame_unref(frame.get());
        if (progress)
            progress(time, duration);
    }
    if (stop)
        return {};
    if (filters.isOpen())
        filters.push(nullptr, take);
    flashes.end();

    if (settings.kind != DetectionKind::Scenes && !frameTimes.empty()) {
        // A stretch still open at the end is the file's run-out, and one from
        // the very first frame its lead-in: neither separates two parts.
        for (const auto& [start, end] : stretches.found) {
            if (start <= frameTimes.front() + kEdge)
                continue;
            const double middle = (start + end) / 2;
            points.append(audio ? middle : Snap(frameTimes, middle));
        }
    }
    return points;
}
