#include "engine/ffmpeg/smart_plan.h"

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/mpeg_group.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/sound_copy.h"
#include "engine/ffmpeg/stream_copy_check.h"
#include "engine/ffmpeg/transition_catalogue.h"
#include "engine/ffmpeg/video_track.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// How far past a cut the packets are looked at, so the keyframe at the cut and
// the pictures coded just after it are seen whatever their order.
constexpr double kScanMargin = 1.0;

struct PacketFacts {
    int64_t pts = 0;
    int64_t dts = 0;
    int64_t index = 0; // frame on the file's grid
    bool key = false;
    bool entry = false; // a decoder can start here with nothing from before
    bool timed = false; // the container gave its presentation time
    bool group = false; // opens an MPEG group of pictures
    int reference = -1; // an MPEG picture's place in its group, shown order
    int size = 0;
};

// The temporal reference of the MPEG picture a packet holds, -1 when none.
int TemporalReference(const AVPacket* p) {
    for (int i = 0; i + 5 < p->size; ++i)
        if (p->data[i] == 0 && p->data[i + 1] == 0 && p->data[i + 2] == 1 && p->data[i + 3] == 0)
            return (p->data[i + 4] << 2) | (p->data[i + 5] >> 6);
    return -1;
}

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
bool IsEntry(AVCodecID codec, const AVPacket* p) {
    if (codec == AV_CODEC_ID_MJPEG)
        return true;
    if (codec == AV_CODEC_ID_H264)
        return h264::HoldsIdr(p->data, p->size, 4);
    for (int i = 0; i + 3 < p->size; ++i) {
        if (p->data[i] != 0 || p->data[i + 1] != 0 || p->data[i + 2] != 1)
            continue;
        const uint8_t code = p->data[i + 3];
        if (codec == AV_CODEC_ID_MPEG4 ? (code >= 0x20 && code <= 0x2f) : code == 0xb3)
            return true;
    }
    return false;
}

struct Scan {
    std::vector<PacketFacts> packets; // in decoding order
    bool reachedEnd = false;
    QString problem;
};

// Reads the packets around a clip without decoding them.
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
            f.reference = TemporalReference(p.get());
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

// Chooses the copied frames of a clip from its packets; returns why none can be.
// An MPEG group may open with pictures shown before its keyframe but coded after
// it, which lean on the group before (an open group). Those leading pictures
// are left out of a copy that starts there and encoded with the frames before;
// at the copy's end the next group's leading pictures are encoded with the tail.
QString ChooseCopy(const Scan& scan, AVCodecID codec, ClipCopy& c) {
    const auto& ps = scan.packets;
    const size_t n = ps.size();
    std::map<int64_t, size_t> byIndex;
    for (size_t d = 0; d < n; ++d)
        if (!byIndex.emplace(ps[d].index, d).second)
            return QStringLiteral("two of its pictures share a time");
    for (int64_t i = c.first; i < c.end; ++i)
        if (!byIndex.count(i))
            return QStringLiteral("picture %1 of it is missing").arg(i);

    std::vector<int64_t> before(n + 1, INT64_MIN), after(n + 1, INT64_MAX);
    for (size_t d = 0; d < n; ++d)
        before[d + 1] = std::max(before[d], ps[d].index);
    for (size_t d = n; d-- > 0;)
        after[d] = std::min(after[d + 1], ps[d].index);
    const bool mpeg = codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO;
    // The leading pictures right after the keyframe at d, and the first frame they show.
    auto leading = [&](size_t d) {
        size_t count = 0;
        while (mpeg && d + 1 + count < n && ps[d + 1 + count].index < ps[d].index)
            ++count;
        return count;
    };
    // A group boundary: apart from its leading pictures, nothing coded before it
    // shows after it and nothing coded after it shows before it.
    auto boundary = [&](size_t d) {
        const size_t lead = leading(d);
        const int64_t shownFirst = lead ? after[d + 1] : ps[d].index;
        return ps[d].entry && before[d] < shownFirst && after[d + 1 + lead] > ps[d].index;
    };
    auto shownFrom = [&](size_t d) { return leading(d) ? std::min(ps[d].index, after[d + 1]) : ps[d].index; };

    std::optional<size_t> begin;
    for (int64_t i = c.first; i < c.end && !begin; ++i)
        if (boundary(byIndex[i]))
            begin = byIndex[i];
    if (!begin)
        return QStringLiteral("no group of pictures starts inside it");
    const int64_t a = ps[*begin].index;
    const int64_t delay = ps[*begin].pts - ps[*begin].dts;
    const size_t dropped = leading(*begin);

    // A clip that runs to the end of the stream copies its last group whole.
    const bool streamEnds = scan.reachedEnd && before[n] < c.end;
    std::optional<size_t> stopAt;
    for (int64_t i = c.end; i > a && !stopAt && !streamEnds; --i) {
        auto at = byIndex.find(i);
        if (at != byIndex.end() && boundary(at->second) && shownFrom(at->second) > a)
            stopAt = at->second;
    }
    if (!stopAt && !streamEnds)
        return QStringLiteral("no whole group of pictures lies inside it");
    const int64_t b = stopAt ? shownFrom(*stopAt) : c.end;
    const size_t last = stopAt ? *stopAt : n;
    if (int64_t(last - *begin - dropped) != b - a || before[last] >= b)
        return QStringLiteral("its groups of pictures overlap");

    c.times.clear();
    c.times.push_back(ps[*begin].pts);
    for (size_t d = *begin + 1 + dropped; d < last; ++d)
        c.times.push_back(ps[d].pts);
    c.copyBegin = a;
    c.copyEnd = b;
    c.beginPts = ps[*begin].pts;
    c.beginSize = ps[*begin].size;
    c.endPts = stopAt ? ps[*stopAt].pts : 0;
    c.copyToEnd = !stopAt;
    c.delay = delay;
    c.leading = int(dropped);
    c.packets = b - a;
    return {};
}

QString Named(const QString& verb, const QString& file, const QString& reason) {
    return QStringLiteral("%1 \"%2\": %3").arg(verb, file, reason);
}

// The profile names libx264 takes for the profiles copied pictures may have.
const char* X264Profile(int profile) {
    switch (profile) {
    case FF_PROFILE_H264_BASELINE:
    case FF_PROFILE_H264_CONSTRAINED_BASELINE:
        return "baseline";
    case FF_PROFILE_H264_MAIN:
        return "main";
    case FF_PROFILE_H264_HIGH:
        return "high";
    default:
        return nullptr;
    }
}

// What the frames around the cuts are encoded with: the render's own settings,
// in an order a decoder shows as it decodes, so copied and encoded stretches
// join without their timestamps crossing. For H.264 the encoder's parameter
// sets take ids the copied ones leave free, and the stream's record holds both.
QString PrepareEncoding(SmartPlan& plan, const AVStream* firstStream, const QString& firstFile) {
    VideoSettings& v = plan.encoding;
    const bool h264 = v.encoder == "libx264";
    v.options.emplace_back("bf", "0");
    if (!h264) {
        // A closed group says so to the decoder; the encoder closes groups only
        // where it chooses them, not where a scene changes.
        v.options.emplace_back("flags", "+cgop");
        v.options.emplace_back("sc_threshold", "1000000000");
        return {};
    }
    const AVCodecParameters* par = firstStream->codecpar;
    const auto source = h264::ParseAvcRecord(par->extradata, par->extradata_size);
    if (!source)
        return QStringLiteral("its H.264 does not carry its parameter sets as MP4 does");
    const int id = h264::HighestParameterSetId(*source) + 1;
    std::string params = "sps-id=" + std::to_string(id);
    v.options.emplace_back("x264-params", params);
    if (const char* profile = X264Profile(par->profile))
        v.options.emplace_back("profile", profile);
    av::CodecPtr probe = OpenVideoEncoder(v, true, firstFile);
    const h264::AvcRecord added = h264::RecordFromAnnexB(probe->extradata, probe->extradata_size);
    if (added.sps.empty() || added.pps.empty() || h264::HighestParameterSetId(added) != id)
        return QStringLiteral("the H.264 encoder cannot give its parameter sets ids of their own");
    plan.streamRecord = h264::WriteAvcRecord(h264::Merge(*source, added));
    return {};
}

} // namespace

SmartPlan PlanSmartRender(const Timeline& timeline, const std::vector<ClipSpan>& spans, const TimelineLayout& layout,
                          const OutputSettings& settings, const TVideoEdit::Properties& props,
                          const std::atomic<bool>& stop) {
    SmartPlan plan;
    plan.encoding = settings.video;
    const int transitionCount = int(TransitionNames().size());
    const bool blends = std::any_of(timeline.transitions.begin(), timeline.transitions.end(), [&](const Transition& t) {
        return t.index >= 0 && t.index < transitionCount;
    });

    QString blocker; // the first clip not in the output's format: it needs the whole encode
    std::vector<h264::Bytes> records;
    std::unique_ptr<MediaReader> firstFitting;
    for (size_t i = 0; i < timeline.video.size() && !stop; ++i) {
        const VideoClip& clip = timeline.video[i];
        ClipCopy c;
        c.file = clip.file;
        QString reason;
        if (PictureSource::IsPicture(clip.file))
            reason = QStringLiteral("it is a still picture");
        else if (!props.smartRender)
            reason = QStringLiteral("copying compatible video is turned off");
        else if (blends)
            reason = QStringLiteral("the output has transitions");
        std::unique_ptr<MediaReader> reader;
        if (reason.isEmpty()) {
            reader = std::make_unique<MediaReader>(clip.file, AVMEDIA_TYPE_VIDEO, false, &stop);
            SourceShape shape;
            double time = 0, shown = 0;
            std::unique_ptr<FrameSource> source = VideoTrack::OpenSource(clip, spans[i]);
            if (av::FramePtr frame = source->next(time, shown))
                shape = ShapeOf(source->geometry(), *frame);
            reason = CopyMismatch(reader->format(), reader->stream(), shape, source->geometry(), settings, props);
            const AVCodecParameters* par = reader->stream()->codecpar;
            if (reason.isEmpty() && par->codec_id == AV_CODEC_ID_H264) {
                const h264::Bytes record(par->extradata, par->extradata + par->extradata_size);
                if (!records.empty() && record != records.front())
                    reason = QStringLiteral("its H.264 parameter sets are not those of the clips before it");
                records.push_back(record);
            }
        }
        if (!reason.isEmpty()) {
            if (blocker.isEmpty())
                blocker = clip.file;
            plan.notes.push_back(Named(QStringLiteral("Re-encoding"), clip.file, reason));
            plan.clips.push_back(c);
            continue;
        }

        const VideoPlacement& place = layout.video[i];
        c.origin = spans[i].origin;
        c.frameRate = settings.video.frameRate;
        const double fps = av_q2d(c.frameRate);
        c.first = std::llround((spans[i].start + place.shift - c.origin) * fps);
        c.end = c.first + place.frames;
        c.outputFrame = place.firstFrame;
        c.timeBase = reader->stream()->time_base;
        const Scan scan = ScanPackets(*reader, c, stop);
        reason = scan.problem.isEmpty() ? ChooseCopy(scan, reader->stream()->codecpar->codec_id, c) : scan.problem;
        if (reason.isEmpty()) {
            plan.copies = true;
            if (c.delay > 0)
                plan.encodedDelay = 1;
            plan.notes.push_back(QStringLiteral("Copying \"%1\" from %2 to %3 s; re-encoding %4 frames around the cuts")
                                     .arg(clip.file)
                                     .arg(c.origin + c.copyBegin / fps, 0, 'f', 3)
                                     .arg(c.origin + c.copyEnd / fps, 0, 'f', 3)
                                     .arg(c.encodedFrames()));
        } else {
            // In the output's format but with nothing to copy: all its frames are encoded.
            c.copyBegin = c.copyEnd = c.end;
            plan.notes.push_back(Named(QStringLiteral("Re-encoding"), clip.file, reason));
        }
        if (!firstFitting)
            firstFitting = std::move(reader);
        plan.clips.push_back(c);
    }
    if (stop || !plan.copies)
        return plan;

    QString problem;
    if (!blocker.isEmpty())
        problem = QStringLiteral("\"%1\" in the same output is re-encoded").arg(blocker);
    else
        problem = PrepareEncoding(plan, firstFitting->stream(), firstFitting->file());
    if (!problem.isEmpty()) {
        // One clip that cannot be copied makes the whole output one encode.
        plan.copies = false;
        for (size_t i = 0; i < plan.notes.size(); ++i)
            if (plan.notes[i].startsWith(QStringLiteral("Copying")))
                plan.notes[i] = Named(QStringLiteral("Re-encoding"), timeline.video[i].file, problem);
        return plan;
    }
    if (settings.audio) {
        const QString why = SoundCopyMismatch(timeline, settings, props.outputType, stop);
        plan.copiesSound = why.isEmpty();
        const QString sound = why.isEmpty() ? QStringLiteral("; its sound is copied")
                                            : QStringLiteral("; its sound is re-encoded: %1").arg(why);
        for (QString& note : plan.notes)
            if (note.startsWith(QStringLiteral("Copying")))
                note += sound;
    }
    return plan;
}
