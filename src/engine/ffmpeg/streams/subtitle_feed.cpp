#include "engine/ffmpeg/streams/subtitle_feed.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// How far before a clip the reader starts, for a line that begins before the cut and shows on after it.
constexpr double kLookBack = 30;
const QString kRead = QStringLiteral("Cannot read the subtitles of");

struct SubtitleDeleter {
    void operator()(AVSubtitle* s) const {
        avsubtitle_free(s);
        delete s;
    }
};
using SubtitlePtr = std::unique_ptr<AVSubtitle, SubtitleDeleter>;

int64_t Ms(double seconds) {
    return std::llround(seconds * 1000);
}

} // namespace

SubtitleFeed::SubtitleFeed(const SubtitleSlot& slot, const std::vector<ClipWindow>& clips, const std::atomic<bool>& stop)
    : text(!slot.bitmap && !slot.asCoded), bitmap(slot.bitmap) {
    codecpar = avcodec_parameters_alloc();
    if (!codecpar)
        throw std::bad_alloc();
    for (size_t c = 0; c < clips.size() && c < slot.streams.size() && !stop; ++c)
        if (slot.streams[c] >= 0)
            read(clips[c], slot.streams[c], stop);
    std::stable_sort(queue.begin(), queue.end(), [](const Event& a, const Event& b) { return a.start < b.start; });
}

SubtitleFeed::~SubtitleFeed() {
    avcodec_parameters_free(&codecpar);
}

void SubtitleFeed::read(const ClipWindow& clip, int stream, const std::atomic<bool>& stop) {
    MediaReader reader(clip.file, AVMEDIA_TYPE_SUBTITLE, false, &stop, stream);
    AVFormatContext* fmt = reader.format();
    AVStream* st = reader.stream();
    if (text && !encoder) {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MOV_TEXT);
        if (!codec)
            av::Fail(kRead, clip.file, QStringLiteral("the timed text encoder is not installed"));
        encoder.reset(avcodec_alloc_context3(codec));
        if (!encoder)
            throw std::bad_alloc();
        encoder->time_base = AVRational{1, 1000};
        // The text's styles as the decoder describes them; the encoder needs them.
        const AVCodecContext* dec = reader.decoder();
        if (dec->subtitle_header_size > 0) {
            encoder->subtitle_header = static_cast<uint8_t*>(av_mallocz(dec->subtitle_header_size + 1));
            if (!encoder->subtitle_header)
                throw std::bad_alloc();
            memcpy(encoder->subtitle_header, dec->subtitle_header, dec->subtitle_header_size);
            encoder->subtitle_header_size = dec->subtitle_header_size;
        }
        av::Check(avcodec_open2(encoder.get(), codec, nullptr), kRead, clip.file);
        av::Check(avcodec_parameters_from_context(codecpar, encoder.get()), kRead, clip.file);
    } else if (!text && codecpar->codec_id == AV_CODEC_ID_NONE) {
        av::Check(avcodec_parameters_copy(codecpar, st->codecpar), kRead, clip.file);
    }
    const double from = std::max(0.0, clip.fileStart - kLookBack);
    if (from > 0) {
        const int64_t origin = fmt->start_time == AV_NOPTS_VALUE ? 0 : fmt->start_time;
        const int64_t target = origin + int64_t(from * AV_TIME_BASE);
        avformat_seek_file(fmt, -1, INT64_MIN, target, target, 0);
    }
    av::PacketPtr packet = av::NewPacket();
    while (!stop && av_read_frame(fmt, packet.get()) >= 0) {
        if (packet->stream_index == st->index && packet->pts != AV_NOPTS_VALUE) {
            const double start = reader.timeOf(packet->pts);
            if (start >= clip.fileEnd())
                break;
            const double end = packet->duration > 0 ? start + packet->duration * av_q2d(st->time_base) : -1;
            keep(clip, reader.decoder(), packet.get(), start, end);
        }
        av_packet_unref(packet.get());
    }
}

void SubtitleFeed::keep(const ClipWindow& clip, AVCodecContext* decoder, const AVPacket* packet, double start,
                        double end) {
    SubtitlePtr sub(new AVSubtitle{});
    int got = 0;
    if (avcodec_decode_subtitle2(decoder, sub.get(), &got, const_cast<AVPacket*>(packet)) < 0 || !got)
        return;
    if (end < 0)
        end = start + (sub->end_display_time > 0 && sub->end_display_time != UINT32_MAX ? sub->end_display_time / 1000.0 : 4.0);
    if (bitmap && start < clip.fileStart)
        return;
    const double from = std::max(start, clip.fileStart);
    const double to = std::min(end, clip.fileEnd());
    if (to - from < 0.001 || sub->num_rects == 0)
        return;
    Event event{Ms(clip.toOutput(from)), Ms(clip.toOutput(to)), av::NewPacket()};
    if (text) {
        uint8_t buffer[64 * 1024];
        sub->start_display_time = 0;
        sub->end_display_time = uint32_t(event.end - event.start);
        const int size = avcodec_encode_subtitle(encoder.get(), buffer, sizeof buffer, sub.get());
        if (size <= 0 || av_new_packet(event.packet.get(), size) < 0)
            return;
        memcpy(event.packet->data, buffer, size);
    } else if (av_packet_ref(event.packet.get(), packet) < 0) {
        throw std::bad_alloc();
    }
    queue.push_back(std::move(event));
}

void SubtitleFeed::upTo(double seconds) {
    const int64_t limit = Ms(seconds);
    while (out && next < queue.size() && queue[next].start < limit) {
        Event& e = queue[next++];
        // One event per instant: a muxer takes no two with the same time.
        const int64_t start = std::max(e.start, lastStart + 1);
        if (start >= e.end)
            continue;
        lastStart = start;
        e.packet->pts = e.packet->dts = start;
        e.packet->duration = e.end - start;
        e.packet->pos = -1;
        out->writeSubtitlePacket(slot, e.packet.get(), AVRational{1, 1000});
    }
}

void SubtitleFeed::finishAt(double seconds) {
    upTo(seconds);
}
