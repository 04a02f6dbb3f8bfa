#include "engine/ffmpeg/render/render_plan.h"

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/packet_scan.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/sound_copy.h"
#include "engine/ffmpeg/source_copy/hevc_parameter_sets.h"
#include "engine/formats/format_registry.h"
#include "engine/ffmpeg/stream_copy_check.h"
#include "engine/ffmpeg/transition_catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// Chooses the copied frames of a clip from its packets; returns why none can be.
// An MPEG group may open with pictures shown before its keyframe but coded after
// it, which lean on the group before (an open group). Those leading pictures
// are left out of a copy that starts there and encoded with the frames before;
// at the copy's end the next group's leading pictures are encoded with the tail.
// In AVI a picture without a chunk of its own shows the one before it again;
// such gaps may lie inside a copy, whose times keep them.
QString ChooseCopy(const Scan& scan, AVCodecID codec, bool gapsRepeat, ClipCopy& c) {
    const auto& ps = scan.packets;
    const size_t n = ps.size();
    std::map<int64_t, size_t> byIndex;
    for (size_t d = 0; d < n; ++d)
        if (!byIndex.emplace(ps[d].index, d).second)
            return QStringLiteral("two of its pictures share a time");
    // A clip may last a little past its file's last picture, which the encoded
    // frames after the copy then hold.
    const int64_t lastShown = n ? std::max_element(ps.begin(), ps.end(), [](const auto& x, const auto& y) {
                                      return x.index < y.index;
                                  })->index
                                : INT64_MIN;
    const int64_t held = scan.reachedEnd ? std::min(c.end, lastShown + 1) : c.end;
    std::vector<int64_t> gaps;
    for (int64_t i = c.first; i < held; ++i)
        if (!byIndex.count(i)) {
            if (!gapsRepeat || i == c.first)
                return QStringLiteral("picture %1 of it is missing").arg(i);
            gaps.push_back(i);
        }

    std::vector<int64_t> before(n + 1, INT64_MIN), after(n + 1, INT64_MAX);
    for (size_t d = 0; d < n; ++d)
        before[d + 1] = std::max(before[d], ps[d].index);
    for (size_t d = n; d-- > 0;)
        after[d] = std::min(after[d + 1], ps[d].index);
    // HEVC's open groups are the same: a clean random access point with pictures
    // leading it, which come before every trailing picture in decoding order.
    const bool mpeg = codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO || codec == AV_CODEC_ID_HEVC;
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
        if (byIndex.count(i) && boundary(byIndex[i]))
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
    const int64_t b = stopAt ? shownFrom(*stopAt) : held;
    const size_t last = stopAt ? *stopAt : n;
    const auto gapsInside = std::count_if(gaps.begin(), gaps.end(), [&](int64_t i) { return i > a && i < b; });
    if (std::any_of(gaps.begin(), gaps.end(), [&](int64_t i) { return i == a || i == b; }))
        return QStringLiteral("a picture at the edge of its copy is missing");
    if (int64_t(last - *begin - dropped) != b - a - gapsInside || before[last] >= b)
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

bool GlobalHeader(const std::string& muxer) {
    const AVOutputFormat* f = av_guess_format(muxer.c_str(), nullptr, nullptr);
    return f && (f->flags & AVFMT_GLOBALHEADER);
}

// The codec, rate and channels of the first clip of a sound track that has sound.
std::optional<AudioSettings> SoundOfTrack(const std::vector<AudioClip>& clips, const std::atomic<bool>& stop) {
    for (const AudioClip& clip : clips) {
        if (clip.stream == AudioClip::kNoSound)
            continue;
        MediaReader reader(clip.file, AVMEDIA_TYPE_AUDIO, true, &stop, clip.stream);
        if (!reader.stream())
            continue;
        const AVCodecParameters* par = reader.stream()->codecpar;
        const AVCodec* encoder = avcodec_find_encoder(par->codec_id);
        if (!encoder)
            return std::nullopt;
        return AudioSettings{encoder->name, par->sample_rate, par->ch_layout.nb_channels, par->bit_rate};
    }
    return std::nullopt;
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
    case FF_PROFILE_H264_HIGH_10:
        return "high10";
    default:
        return nullptr;
    }
}

// Adds to an option that holds flags, or sets it.
void AddFlags(Options& options, const std::string& key, const std::string& flags, char separator = 0) {
    for (auto& [k, v] : options)
        if (k == key) {
            v += separator ? std::string(1, separator) + flags : flags;
            return;
        }
    options.emplace_back(key, flags);
}

QString PrepareH264(RenderPlan& plan, const AVCodecParameters* par, const QString& firstFile, bool globalHeader) {
    VideoSettings& v = plan.encoding;
    auto source = h264::ParseAvcRecord(par->extradata, par->extradata_size);
    const bool annexB = !source;
    if (annexB)
        source = h264::RecordFromAnnexB(par->extradata, par->extradata_size);
    if (source->sps.empty())
        return QStringLiteral("its H.264 parameter sets cannot be read");
    const int id = h264::HighestParameterSetId(*source) + 1;
    std::string params = "sps-id=" + std::to_string(id);
    AddFlags(v.options, "x264-params", params, ':');
    if (const char* profile = X264Profile(par->profile))
        v.options.emplace_back("profile", profile);
    av::CodecPtr probe = OpenVideoEncoder(v, true, firstFile);
    const h264::AvcRecord added = h264::RecordFromAnnexB(probe->extradata, probe->extradata_size);
    if (added.sps.empty() || added.pps.empty() || h264::HighestParameterSetId(added) != id)
        return QStringLiteral("the H.264 encoder cannot give its parameter sets ids of their own");
    // A container with a global header gets both kinds of parameter sets in it;
    // a transport stream has them in the stream before each keyframe.
    if (globalHeader) {
        plan.streamRecord = h264::WriteAvcRecord(h264::Merge(*source, added));
        plan.lengthPrefixCopied = annexB;
    }
    return {};
}

QString PrepareHevc(RenderPlan& plan, const AVCodecParameters* par, bool globalHeader) {
    VideoSettings& v = plan.encoding;
    const bool record = hevc::IsRecord(par->extradata, par->extradata_size);
    if (record && hevc::LengthSize(par->extradata, par->extradata_size) != 4)
        return QStringLiteral("its HEVC units have %1-byte lengths").arg(hevc::LengthSize(par->extradata, par->extradata_size));
    if (globalHeader && !record)
        return QStringLiteral("its HEVC does not carry its parameter sets as this container needs");
    if (hevc::CopiedStretchOpening(par->extradata, par->extradata_size).empty())
        return QStringLiteral("its HEVC parameter sets cannot be read");
    plan.prefixParameterSets = true;
    AddFlags(v.options, "x265-params", "repeat-headers=1:bframes=0:open-gop=0", ':');
    if (globalHeader)
        plan.streamRecord.assign(par->extradata, par->extradata + par->extradata_size);
    return {};
}

// What the frames around the cuts are encoded with: the render's own settings,
// in an order a decoder shows as it decodes, so copied and encoded stretches
// join without their timestamps crossing. H.264's encoder gives its parameter
// sets ids the copied ones leave free, and the stream's record holds both;
// HEVC's carries its own in the stream and the copied stretches open with theirs.
QString PrepareEncoding(RenderPlan& plan, const AVStream* firstStream, const QString& firstFile, bool globalHeader) {
    VideoSettings& v = plan.encoding;
    const AVCodecParameters* par = firstStream->codecpar;
    plan.codec = par->codec_id;
    v.options.emplace_back("bf", "0");
    if (par->codec_id == AV_CODEC_ID_H264)
        return PrepareH264(plan, par, firstFile, globalHeader);
    if (par->codec_id == AV_CODEC_ID_HEVC)
        return PrepareHevc(plan, par, globalHeader);
    // A closed group says so to the decoder; the encoder closes groups only
    // where it chooses them, not where a scene changes.
    AddFlags(v.options, "flags", "+cgop");
    v.options.emplace_back("sc_threshold", "1000000000");
    return {};
}

} // namespace

namespace {

// The frames of a clip a copy may take: none under a transition, which blends
// them with other pictures. Returned on the clip's own frame numbers.
std::pair<int64_t, int64_t> CopyWindow(const ClipCopy& c, const std::vector<Transition>& transitions, double fps) {
    int64_t from = c.first, to = c.end;
    const int64_t firstOut = c.outputFrame, endOut = c.outputFrame + (c.end - c.first);
    const int count = int(TransitionNames().size());
    for (const Transition& t : transitions) {
        if (t.index < 0 || t.index >= count)
            continue;
        // On the frames the mixer blends: see TransitionMixer.
        const int64_t a = FirstFrameAt(std::max(0.0, t.start), fps), b = FirstFrameAt(t.stop, fps);
        if (b <= a || b <= firstOut || a >= endOut)
            continue;
        if (a <= firstOut)
            from = std::max(from, c.first + (b - firstOut));
        else
            to = std::min(to, c.first + (a - firstOut));
    }
    return {from, std::max(from, to)};
}

} // namespace

RenderPlan PlanRender(const Timeline& timeline, const std::vector<ClipSpan>& spans, const TimelineLayout& layout,
                      const OutputSettings& settings, const TVideoEdit::Properties& props,
                      const std::atomic<bool>& stop) {
    RenderPlan plan;
    plan.encoding = settings.video;
    std::vector<h264::Bytes> records;
    std::unique_ptr<MediaReader> firstFitting;
    bool turned = false;      // the copied pictures are shown turned by the stream's word
    bool encodedWhole = false; // a picture or a clip in another format is encoded into the output
    for (size_t i = 0; i < timeline.video.size() && !stop; ++i) {
        const VideoClip& clip = timeline.video[i];
        ClipCopy c;
        c.file = clip.file;
        QString reason;
        if (PictureSource::IsPicture(clip.file))
            reason = QStringLiteral("it is a still picture");
        else if (!props.smartRender)
            reason = QStringLiteral("copying compatible video is turned off");
        std::unique_ptr<MediaReader> reader;
        VideoGeometry geometry;
        if (reason.isEmpty()) {
            reader = std::make_unique<MediaReader>(clip.file, AVMEDIA_TYPE_VIDEO, false, &stop);
            // The clip's first picture tells its fields; the scan below moves the reader again.
            geometry = ReadVideoGeometry(reader->format(), reader->stream());
            SourceShape shape;
            reader->seekTo(spans[i].start);
            if (av::FramePtr frame = av::NewFrame(); reader->next(frame.get()))
                shape = ShapeOf(geometry, *frame);
            reason = CopyMismatch(reader->format(), reader->stream(), shape, geometry, settings, props);
            const AVCodecParameters* par = reader->stream()->codecpar;
            if (reason.isEmpty() && par->codec_id == AV_CODEC_ID_H264) {
                const h264::Bytes record(par->extradata, par->extradata + par->extradata_size);
                if (!records.empty() && record != records.front())
                    reason = QStringLiteral("its H.264 parameter sets are not those of the first copied clip");
                else
                    records.push_back(record);
            }
        }
        if (!reason.isEmpty()) {
            encodedWhole = true;
            c.why = reason;
            plan.clips.push_back(c);
            continue;
        }

        const VideoPlacement& place = layout.video[i];
        c.fits = true;
        c.origin = spans[i].origin;
        c.frameRate = settings.video.frameRate;
        const double fps = av_q2d(c.frameRate);
        c.first = std::llround((spans[i].start + place.shift - c.origin) * fps);
        c.end = c.first + place.frames;
        c.outputFrame = place.firstFrame;
        c.timeBase = reader->stream()->time_base;
        const auto [from, to] = CopyWindow(c, timeline.transitions, fps);
        ClipCopy window = c;
        window.first = from;
        window.end = to;
        const Scan scan = from < to ? ScanPackets(*reader, window, stop) : Scan{};
        const bool gapsRepeat = std::strcmp(reader->format()->iformat->name, "avi") == 0;
        if (from >= to)
            reason = QStringLiteral("a transition covers it");
        else if (!scan.problem.isEmpty())
            reason = scan.problem;
        else
            reason = ChooseCopy(scan, reader->stream()->codecpar->codec_id, gapsRepeat, window);
        if (reason.isEmpty()) {
            window.first = c.first;
            window.end = c.end;
            c = window;
            plan.copies = true;
            if (c.delay > 0)
                plan.encodedDelay = 1;
        } else {
            // In the output's format but with nothing to copy: all its frames are encoded.
            c.copyBegin = c.copyEnd = c.end;
            c.why = reason;
        }
        if (!firstFitting) {
            firstFitting = std::move(reader);
            turned = !geometry.turn.none();
        }
        plan.clips.push_back(c);
    }
    // In the source's own format every clip that fits goes through the copying
    // writer, even one with no whole group to copy: its frames are encoded in
    // the source's codec and keep its turn and side data.
    const FormatDescription* format = FindFormat(props.outputType);
    if (format && format->family == FormatFamily::Source && firstFitting)
        plan.copies = true;
    if (stop || !plan.copies)
        return plan;

    QString problem;
    // Turned copies are shown turned by the stream's word, which pictures and
    // other clips, encoded upright, would then be too.
    if (turned && encodedWhole)
        problem = QStringLiteral("its pictures are shown turned, and the output holds pictures or clips to turn "
                                 "upright");
    else
        problem = PrepareEncoding(plan, firstFitting->stream(), firstFitting->file(), GlobalHeader(settings.muxer));
    if (!problem.isEmpty()) {
        // A stream that cannot take copied and encoded pictures side by side is one encode.
        const std::vector<ClipCopy> clips = std::move(plan.clips);
        plan = RenderPlan{};
        plan.clips = clips;
        plan.encoding = settings.video;
        for (ClipCopy& c : plan.clips)
            if (c.fits) {
                c.fits = false;
                c.copyBegin = c.copyEnd = c.end;
                c.why = problem;
            }
    }
    return plan;
}

void PlanSoundCopies(RenderPlan& plan, const Timeline& timeline, const std::vector<std::vector<AudioClip>>& tracks,
                     const OutputSettings& settings, int outputType, const std::atomic<bool>& stop) {
    if (!plan.copies || !settings.audio)
        return;
    const FormatDescription* format = FindFormat(outputType);
    const bool ownFormat = format && format->family == FormatFamily::Source;
    for (size_t t = 0; t < tracks.size() && !stop; ++t) {
        Timeline track = timeline;
        track.audio = tracks[t];
        OutputSettings wanted = settings;
        // In the source's own format each track keeps its own codec, rate and channels.
        if (ownFormat)
            if (const auto own = SoundOfTrack(tracks[t], stop))
                wanted.audio = own;
        const QString why = SoundCopyMismatch(track, wanted, outputType, stop);
        plan.soundCopied.push_back(why.isEmpty());
        plan.soundWhy.push_back(why);
    }
}

std::vector<QString> PlanNotes(const RenderPlan& plan) {
    QStringList copied, encoded;
    for (size_t t = 0; t < plan.soundWhy.size(); ++t)
        if (plan.soundWhy[t].isEmpty())
            copied << QString::number(t + 1);
        else
            encoded << QStringLiteral("track %1: %2").arg(t + 1).arg(plan.soundWhy[t]);
    QString sound;
    if (plan.soundWhy.size() == 1)
        sound = encoded.isEmpty() ? QStringLiteral("; its sound is copied")
                                  : QStringLiteral("; its sound is re-encoded: %1").arg(plan.soundWhy.front());
    else if (encoded.isEmpty() && !copied.isEmpty())
        sound = QStringLiteral("; its sound tracks are copied");
    else if (!encoded.isEmpty())
        sound = QStringLiteral("; its sound is re-encoded on %1").arg(encoded.join(QStringLiteral("; ")))
                + (copied.isEmpty() ? QString() : QStringLiteral(", copied on track(s) %1").arg(copied.join(',')));
    std::vector<QString> notes;
    for (const ClipCopy& c : plan.clips) {
        if (!c.why.isEmpty()) {
            notes.push_back(Named(QStringLiteral("Re-encoding"), c.file, c.why));
            continue;
        }
        const double fps = av_q2d(c.frameRate);
        notes.push_back(QStringLiteral("Copying \"%1\" from %2 to %3 s; re-encoding %4 frames around the cuts")
                            .arg(c.file)
                            .arg(c.origin + c.copyBegin / fps, 0, 'f', 3)
                            .arg(c.origin + c.copyEnd / fps, 0, 'f', 3)
                            .arg(c.encodedFrames())
                        + sound);
    }
    return notes;
}
