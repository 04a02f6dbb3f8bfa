#include "engine/ffmpeg/smart_plan.h"

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/packet_scan.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/sound_copy.h"
#include "engine/ffmpeg/stream_copy_check.h"
#include "engine/ffmpeg/transition_catalogue.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

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
    c.beginSize = ps[*begin].size;
    c.endPts = stopAt ? ps[*stopAt].pts : 0;
    c.copyToEnd = !stopAt;
    c.delay = delay;
    c.leading = int(dropped);
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
        else if (!blocker.isEmpty()) // the output is one encode already: no need to look
            reason = QStringLiteral("\"%1\" in the same output is re-encoded").arg(blocker);
        std::unique_ptr<MediaReader> reader;
        if (reason.isEmpty()) {
            reader = std::make_unique<MediaReader>(clip.file, AVMEDIA_TYPE_VIDEO, false, &stop);
            // The clip's first picture tells its fields; the scan below moves the reader again.
            const VideoGeometry geometry = ReadVideoGeometry(reader->format(), reader->stream());
            SourceShape shape;
            reader->seekTo(spans[i].start);
            if (av::FramePtr frame = av::NewFrame(); reader->next(frame.get()))
                shape = ShapeOf(geometry, *frame);
            reason = CopyMismatch(reader->format(), reader->stream(), shape, geometry, settings, props);
            const AVCodecParameters* par = reader->stream()->codecpar;
            if (reason.isEmpty() && par->codec_id == AV_CODEC_ID_H264) {
                const h264::Bytes record(par->extradata, par->extradata + par->extradata_size);
                if (!records.empty() && record != records.front())
                    reason = QStringLiteral("its H.264 parameter sets are not those of the clips before it");
                records.push_back(record);
            }
        }
        if (!reason.isEmpty()) {
            if (blocker.isEmpty() && props.smartRender && !blends)
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
