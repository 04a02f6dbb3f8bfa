#include "engine/ffmpeg/packet_scan.h"

#include "engine/ffmpeg/h264_parameter_sets.h"
#include "engine/ffmpeg/mpeg_group.h"

#include <cmath>

namespace {

// How far past a cut the packets are looked at, so the keyframe at the cut and
// the pictures coded just after it are seen whatever their order.
constexpr double kScanMargin = 1.0;

// A program stream times only the pictures that open a packet of its own; the
// others take their place in the group from their temporal reference, counted
// from a timed picture of the same group. False when a group has none.
bool TimeUntimedPictures(std::vector<PacketFacts>& packets, int64_t frameTicks) {
    size_t from = 0;
    while (from < packets.size()) {
        size_t to = from + 1;
        while (to < packets.size() && !packets[to].group)
            ++to;
        const PacketFacts* timed = nullptr;
        for (size_t i = from; i < to && !timed; ++i)
            if (packets[i].timed && packets[i].reference >= 0)
                timed = &packets[i];
        for (size_t i = from; i < to; ++i) {
            PacketFacts& f = packets[i];
            if (f.timed)
                continue;
            if (!timed || f.reference < 0)
                return false;
            f.index = timed->index + (f.reference - timed->reference);
            f.pts = timed->pts + (f.reference - timed->reference) * frameTicks;
        }
        from = to;
    }
    return true;
}

// Whether a keyframe carries what a decoder needs to start on it: the sequence
// header or object layer of MPEG, an IDR picture of H.264.
// Whether a packet holds a NAL unit whose first header byte `is` accepts, its
// units framed by start codes or by 4-byte lengths.
template <typename Test>
bool HoldsUnit(const AVPacket* p, Test is) {
    const uint8_t* d = p->data;
    const int n = p->size;
    const bool annexB = n >= 4 && d[0] == 0 && d[1] == 0 && (d[2] == 1 || (d[2] == 0 && d[3] == 1));
    if (annexB) {
        for (int i = 0; i + 3 < n; ++i)
            if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1 && is(d[i + 3]))
                return true;
        return false;
    }
    for (int at = 0; at + 4 < n;) {
        const int64_t length = (int64_t(d[at]) << 24) | (d[at + 1] << 16) | (d[at + 2] << 8) | d[at + 3];
        at += 4;
        if (length <= 0 || at + length > n)
            return false;
        if (is(d[at]))
            return true;
        at += int(length);
    }
    return false;
}

bool IsEntry(AVCodecID codec, const AVPacket* p) {
    if (codec == AV_CODEC_ID_H264)
        return HoldsUnit(p, [](uint8_t header) { return (header & 0x1f) == 5; });
    // HEVC's IDR pictures and clean random access points; one with pictures
    // leading it is no group boundary, which the plan sees from the times.
    if (codec == AV_CODEC_ID_HEVC)
        return HoldsUnit(p, [](uint8_t header) {
            const int type = (header >> 1) & 0x3f;
            return type >= 16 && type <= 21;
        });
    const AVCodecDescriptor* d = avcodec_descriptor_get(codec);
    if (codec == AV_CODEC_ID_MJPEG || codec == AV_CODEC_ID_VP9 || codec == AV_CODEC_ID_VP8
        || (d && (d->props & AV_CODEC_PROP_INTRA_ONLY)))
        return true;
    if (codec != AV_CODEC_ID_MPEG4)
        return mpeg::HoldsSequenceHeader(p);
    // The object layer header comes before the picture (a VOP, 0xb6) it opens.
    for (int i = 0; i + 3 < p->size; ++i) {
        if (p->data[i] != 0 || p->data[i + 1] != 0 || p->data[i + 2] != 1)
            continue;
        const uint8_t code = p->data[i + 3];
        if (code >= 0x20 && code <= 0x2f)
            return true;
        if (code == 0xb6)
            return false;
    }
    return false;
}

} // namespace

Scan ScanPackets(MediaReader& reader, const ClipCopy& c, const std::atomic<bool>& stop) {
    Scan scan;
    AVFormatContext* fmt = reader.format();
    AVStream* st = reader.stream();
    const double fps = av_q2d(c.frameRate);
    const double from = c.origin + c.first / fps - kScanMargin;
    const double to = c.origin + c.end / fps + kScanMargin;
    const int64_t target = reader.timestampAt(std::max(0.0, from));
    if (from <= 0 && (fmt->iformat->flags & AVFMT_TS_DISCONT) && !(fmt->iformat->flags & AVFMT_NO_BYTE_SEEK))
        avformat_seek_file(fmt, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE);
    else
        avformat_seek_file(fmt, st->index, INT64_MIN, target, target, 0);

    const AVCodecID codec = st->codecpar->codec_id;
    const bool mpeg = codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO;
    av::PacketPtr p = av::NewPacket();
    for (;;) {
        if (stop)
            return scan;
        const int got = av_read_frame(fmt, p.get());
        if (got == AVERROR_EOF) {
            scan.reachedEnd = true;
            break;
        }
        if (got < 0)
            break; // damaged beyond this point: what lies past it is encoded anew
        if (p->stream_index != st->index) {
            av_packet_unref(p.get());
            continue;
        }
        PacketFacts f;
        f.timed = p->pts != AV_NOPTS_VALUE;
        if (mpeg) {
            f.reference = mpeg::TemporalReference(p.get());
            f.group = mpeg::HoldsGroupHeader(p.get());
        }
        const int64_t pts = f.timed ? p->pts : p->dts;
        const int64_t dts = p->dts != AV_NOPTS_VALUE ? p->dts : pts;
        if (pts == AV_NOPTS_VALUE && !mpeg) {
            scan.problem = QStringLiteral("some of its pictures have no time");
            return scan;
        }
        const double grid = f.timed ? (reader.timeOf(pts) - c.origin) * fps : 0;
        f.pts = pts;
        f.dts = dts;
        f.index = std::llround(grid);
        f.key = p->flags & AV_PKT_FLAG_KEY;
        // A copy starts and ends where the container times the keyframe, so the
        // copy finds it again by that time.
        f.entry = f.key && f.timed && IsEntry(st->codecpar->codec_id, p.get());
        f.size = p->size;
        const bool discarded = p->flags & AV_PKT_FLAG_DISCARD;
        av_packet_unref(p.get());
        // What a demuxer gives before the first keyframe after a seek may be a
        // piece of a picture carrying the time of a whole one.
        if (discarded || (scan.packets.empty() && !f.key))
            continue;
        if (f.timed && std::abs(grid - f.index) > 0.1) {
            scan.problem = QStringLiteral("its frames do not lie on a steady %1 fps").arg(fps, 0, 'f', 3);
            return scan;
        }
        scan.packets.push_back(f);
        if (dts != AV_NOPTS_VALUE && reader.timeOf(dts) > to)
            break;
    }
    const int64_t frameTicks = av_rescale_q(1, av_inv_q(c.frameRate), st->time_base);
    if (mpeg && !TimeUntimedPictures(scan.packets, frameTicks))
        scan.problem = QStringLiteral("some of its pictures have no time");
    return scan;
}
