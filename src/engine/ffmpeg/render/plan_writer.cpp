#include "engine/ffmpeg/render/plan_writer.h"

#include "engine/ffmpeg/audio_feed.h"
#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/mpeg_group.h"
#include "engine/ffmpeg/sound_copy.h"
#include "engine/ffmpeg/source_copy/hevc_parameter_sets.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/render/track_producer.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);
constexpr size_t kQueuedFrames = 8;

struct ParametersDeleter {
    void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersDeleter>;

// The stream parameters of each sound track the plan copies; null for the
// tracks it encodes.
std::vector<ParametersPtr> CopiedSound(const RenderPlan& plan, const RenderStreams& streams) {
    std::vector<ParametersPtr> list;
    for (size_t t = 0; t < streams.soundTracks(); ++t) {
        list.emplace_back();
        if (!plan.copiesSound(t))
            continue;
        for (const AudioClip& clip : streams.soundClips(t)) {
            if (clip.stream == AudioClip::kNoSound)
                continue;
            MediaReader reader(clip.file, AVMEDIA_TYPE_AUDIO, false, nullptr, clip.stream);
            ParametersPtr par(avcodec_parameters_alloc());
            if (!par || avcodec_parameters_copy(par.get(), reader.stream()->codecpar) < 0)
                throw std::bad_alloc();
            // Each packet is placed at the time of its first sample: there is no priming to skip.
            par->initial_padding = 0;
            list.back() = std::move(par);
            break;
        }
    }
    return list;
}

std::vector<const AVCodecParameters*> Pointers(const std::vector<ParametersPtr>& list) {
    std::vector<const AVCodecParameters*> pointers;
    for (const ParametersPtr& p : list)
        pointers.push_back(p.get());
    return pointers;
}

class PlanWriter {
public:
    PlanWriter(const RenderRequest& request, const Timeline& timeline, const std::vector<ClipSpan>& spans,
               const RenderPlan& plan, const OutputSettings& settings, const TimelineLayout& layout,
               RenderStreams& streams, const std::atomic<bool>& stop, const ProgressReport& progress)
        : request(request), timeline(timeline), spans(spans), plan(plan), layout(layout), stop(stop),
          progress(progress),
          sound(CopiedSound(plan, streams)),
          video(plan.copies ? plan.encoding : settings.video),
          out(request.writePath, request.shownPath, WithVideo(settings, video), AdjustStream(plan), Pointers(sound),
              &streams.outputStreams()),
          frameBase(av_inv_q(settings.video.frameRate)), fps(av_q2d(settings.video.frameRate)) {
        auto companions = std::make_unique<Companions>();
        for (size_t t = 0; t < sound.size() && int(t) < out.soundStreams(); ++t)
            if (out.copiesSound(t))
                companions->add(std::make_unique<SoundCopy>(out, streams.soundClips(t), layout.audio,
                                                            sound[t]->sample_rate, stop, int(t)));
        if (out.hasAudio())
            companions->add(std::make_unique<AudioFeed>(out, timeline.audio, layout.audio));
        for (auto& feed : streams.feeds(out, layout.audio))
            companions->add(std::move(feed));
        if (!companions->empty())
            audio = std::move(companions);
    }

    // The output in turns: each clip's copied groups as they are, and the
    // frames between two copies (a clip's frames around its cuts, pictures,
    // transitions, clips in other formats) encoded in one run each.
    bool run() {
        int64_t encodeFrom = 0;
        for (const ClipCopy& c : plan.clips) {
            if (c.copyBegin >= c.copyEnd)
                continue;
            if (!encodeFrames(encodeFrom, c.outputFrame + (c.copyBegin - c.first)) || !copyPackets(c))
                return false;
            encodeFrom = c.outputFrame + (c.copyEnd - c.first);
        }
        if (!encodeFrames(encodeFrom, layout.frames))
            return false;
        if (stop)
            return false;
        const double length = layout.seconds(video.frameRate);
        if (audio)
            audio->finishAt(length);
        out.finish();
        progress(length, length);
        return true;
    }

private:
    static OutputSettings WithVideo(OutputSettings settings, const VideoSettings& video) {
        settings.video = video;
        return settings;
    }

    static StreamAdjustment AdjustStream(const RenderPlan& plan) {
        if (plan.streamRecord.empty())
            return {};
        const h264::Bytes record = plan.streamRecord;
        return [record](AVCodecParameters* par) {
            av_freep(&par->extradata);
            par->extradata = static_cast<uint8_t*>(av_mallocz(record.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!par->extradata)
                throw std::bad_alloc();
            memcpy(par->extradata, record.data(), record.size());
            par->extradata_size = int(record.size());
        };
    }

    // The output has its frames up to `frames`: the sound follows, the user hears of it.
    void reached(int64_t frames) {
        if (frames <= shown)
            return;
        shown = frames;
        if (audio)
            audio->upTo(frames / fps);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= kProgressInterval) {
            lastReport = now;
            const double length = layout.seconds(video.frameRate);
            progress(std::min(frames / fps, length), length);
        }
    }

    // Encodes output frames [from, to). Between copies each run has an encoder
    // of its own, matched to the copied pictures, so it opens on a keyframe and
    // ends drained; the frames of clips in the output's format go in as they
    // decode, the rest turned and fitted. Without copies the output's own
    // encoder takes every frame.
    bool encodeFrames(int64_t from, int64_t to) {
        if (from >= to)
            return true;
        av::CodecPtr encoder =
            plan.copies ? OpenVideoEncoder(video, out.globalHeader(), request.shownPath) : nullptr;
        std::vector<bool> asCoded;
        for (const ClipCopy& c : plan.clips)
            asCoded.push_back(plan.copies && c.fits);
        VideoTrack track(timeline, spans, layout,
                         OutputPictures{{video.width, video.height, video.sampleAspect}, video.frameRate, video.fieldOrder},
                         video.pixelFormat, std::move(asCoded));
        FrameQueue queue(kQueuedFrames);
        TrackProducer producer(track, queue, from, to);
        while (av::FramePtr frame = queue.pop()) {
            if (stop)
                return false;
            if (encoder) {
                encode(encoder.get(), frame.get(), frame->pts - from, from);
            } else {
                reached(frame->pts + 1);
                out.writeVideo(frame.get());
            }
        }
        if (stop)
            return false;
        queue.rethrow();
        if (encoder)
            encode(encoder.get(), nullptr, 0, from);
        return true;
    }

    void encode(AVCodecContext* encoder, const AVFrame* picture, int64_t pts, int64_t offset) {
        if (picture) {
            av::FramePtr frame = av::RefFrame(picture);
            frame->pts = pts;
            frame->pict_type = pts == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
            frame->key_frame = pts == 0;
            frame->sample_aspect_ratio = video.sampleAspect;
            MarkFields(frame.get(), video.fieldOrder);
            av::Check(avcodec_send_frame(encoder, frame.get()), QStringLiteral("Cannot write"), request.shownPath);
        } else {
            av::Check(avcodec_send_frame(encoder, nullptr), QStringLiteral("Cannot write"), request.shownPath);
        }
        for (;;) {
            const int got = avcodec_receive_packet(encoder, packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                break;
            av::Check(got, QStringLiteral("Cannot write"), request.shownPath);
            packet->pts += offset;
            // Shown in the order decoded: one frame after its decoding where the
            // copied pictures are decoded ahead (MPEG without B-frames has it so),
            // at once where they are not (AVI has no other clock).
            packet->dts = packet->pts - plan.encodedDelay;
            if (!plan.streamRecord.empty())
                Replace(packet.get(), plan.codec == AV_CODEC_ID_HEVC ? hevc::LengthPrefixedKeepingAll(packet->data, packet->size)
                                                                     : h264::ToLengthPrefixed(packet->data, packet->size));
            const int64_t frames = packet->pts + 1;
            write(packet.get(), frameBase);
            reached(frames);
        }
        if (picture)
            reached(offset + pts + 1);
    }

    // Where copied and encoded stretches meet, the encoded pictures' decoding
    // times give way so they keep rising; no picture is decoded after it shows.
    void write(AVPacket* p, AVRational timeBase) {
        const AVRational base = out.videoTimeBase();
        av_packet_rescale_ts(p, timeBase, base);
        if (lastDts != AV_NOPTS_VALUE && p->dts <= lastDts)
            p->dts = lastDts + 1;
        if (p->dts > p->pts)
            throw QuillmarkError(QStringLiteral("Cannot write \"%1\": the copied and encoded pictures cannot be put in "
                                                "order at %2 s").arg(request.shownPath).arg(p->pts * av_q2d(base), 0, 'f', 3));
        lastDts = p->dts;
        out.writeVideoPacket(p, base);
    }

    static void Replace(AVPacket* p, const h264::Bytes& bytes) {
        av::PacketPtr converted = av::NewPacket();
        if (av_new_packet(converted.get(), int(bytes.size())) < 0 || av_packet_copy_props(converted.get(), p) < 0)
            throw std::bad_alloc();
        memcpy(converted->data, bytes.data(), bytes.size());
        av_packet_unref(p);
        av_packet_move_ref(p, converted.get());
    }

    // Copies the packets of frames [copyBegin, copyEnd) as they are, on the output's clock.
    bool copyPackets(const ClipCopy& c) {
        if (c.copyBegin == c.copyEnd)
            return true;
        MediaReader input(c.file, AVMEDIA_TYPE_VIDEO, false, &stop);
        AVFormatContext* fmt = input.format();
        const int index = input.stream()->index;
        const int64_t shift =
            av_rescale_q(c.outputFrame + (c.copyBegin - c.first), frameBase, c.timeBase) - c.beginPts();
        const int64_t outputBegin = c.outputFrame + (c.copyBegin - c.first);
        if (!seekBefore(input, c))
            return false;
        int64_t copied = 0;
        const std::vector<int64_t> decoding = DecodingTimes(c.times);
        // Each clip's own parameter sets, after pictures encoded with others.
        const h264::Bytes prefix = plan.prefixParameterSets ? hevc::CopiedStretchOpening(input.stream()->codecpar->extradata,
                                                                                         input.stream()->codecpar->extradata_size)
                                                            : h264::Bytes{};
        bool started = false;
        int skip = 0;                       // leading pictures still to leave out
        // The MPEG group whose leading pictures are left out: its pictures count
        // from the keyframe. HEVC's broken link mark does the same for its decoders.
        bool firstGroup = c.leading > 0 && plan.codec != AV_CODEC_ID_HEVC;
        for (;;) {
            if (stop)
                return false;
            const int got = av_read_frame(fmt, packet.get());
            if (got == AVERROR_EOF && c.copyToEnd)
                break;
            if (got < 0)
                av::Fail(QStringLiteral("Cannot read"), c.file,
                         QStringLiteral("its pictures ended after %1 of %2 copied frames").arg(copied).arg(c.packets()));
            if (packet->stream_index != index || (packet->flags & AV_PKT_FLAG_DISCARD)) {
                av_packet_unref(packet.get());
                continue;
            }
            const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const bool opening = !started && pts == c.beginPts() && packet->size == c.beginSize;
            if (opening) {
                started = true;
                skip = c.leading;
            } else if (!started || skip > 0) {
                skip -= started ? 1 : 0;
                av_packet_unref(packet.get());
                continue;
            }
            if (!c.copyToEnd && pts == c.endPts && (packet->flags & AV_PKT_FLAG_KEY)) {
                av_packet_unref(packet.get());
                break;
            }
            if (copied >= c.packets())
                av::Fail(QStringLiteral("Cannot read"), c.file,
                         QStringLiteral("it holds more pictures between %1 and %2 s than it did a moment ago")
                             .arg(c.origin + c.copyBegin / fps, 0, 'f', 3).arg(c.origin + c.copyEnd / fps, 0, 'f', 3));
            if (firstGroup && !opening && mpeg::HoldsGroupHeader(packet.get()))
                firstGroup = false;
            if (firstGroup) {
                if (opening)
                    mpeg::CloseGroup(packet.get());
                mpeg::ShiftTemporalReferences(packet.get(), c.leading);
            }
            if (plan.lengthPrefixCopied)
                Replace(packet.get(), h264::ToLengthPrefixed(packet->data, packet->size));
            if (opening && plan.codec == AV_CODEC_ID_HEVC) {
                h264::Bytes bytes(packet->data, packet->data + packet->size);
                hevc::MarkAsSpliceStart(bytes.data(), int(bytes.size()));
                Replace(packet.get(), bytes);
            }
            if (opening && !prefix.empty()) {
                h264::Bytes bytes = prefix;
                bytes.insert(bytes.end(), packet->data, packet->data + packet->size);
                Replace(packet.get(), bytes);
            }
            const int64_t shownAt = c.times[size_t(copied)];
            if (packet->dts == AV_NOPTS_VALUE)
                packet->dts = decoding[size_t(copied)];
            packet->pts = shownAt + shift;
            packet->dts += shift; // the source's own decoding schedule
            packet->pos = -1;
            const int64_t frames = av_rescale_q(packet->pts, c.timeBase, frameBase) + 1;
            write(packet.get(), c.timeBase);
            reached(std::min(frames, outputBegin + (c.copyEnd - c.copyBegin)));
            ++copied;
        }
        if (copied != c.packets())
            av::Fail(QStringLiteral("Cannot read"), c.file,
                     QStringLiteral("%1 frames were to be copied from it, but %2 were").arg(c.packets()).arg(copied));
        return true;
    }

    // Decoding times for packets that come without them (Matroska keeps only
    // presentation times): the k-th earliest presentation time, moved back by
    // as much as the reordering needs so no picture is decoded after it shows.
    static std::vector<int64_t> DecodingTimes(const std::vector<int64_t>& shown) {
        std::vector<int64_t> sorted = shown;
        std::sort(sorted.begin(), sorted.end());
        int64_t lead = 0;
        for (size_t k = 0; k < shown.size(); ++k)
            lead = std::max(lead, sorted[k] - shown[k]);
        for (int64_t& t : sorted)
            t -= lead;
        return sorted;
    }

    // Moves the input to a point at or before the first copied packet.
    bool seekBefore(MediaReader& input, const ClipCopy& c) {
        AVFormatContext* fmt = input.format();
        AVStream* st = input.stream();
        for (double back : {0.0, 2.0, 10.0}) {
            const int64_t target = c.beginPts() - av_rescale_q(int64_t(back * 1000), AVRational{1, 1000}, c.timeBase);
            if (avformat_seek_file(fmt, st->index, INT64_MIN, target, target, 0) < 0)
                break;
            // Peek: the first packet of the stream must not lie past the one wanted.
            for (;;) {
                if (stop)
                    return false;
                if (av_read_frame(fmt, packet.get()) < 0)
                    break;
                const bool ours = packet->stream_index == st->index;
                const int64_t dts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
                av_packet_unref(packet.get());
                if (!ours)
                    continue;
                if (dts != AV_NOPTS_VALUE && dts <= c.beginPts() - c.delay) {
                    avformat_seek_file(fmt, st->index, INT64_MIN, target, target, 0);
                    return true;
                }
                break;
            }
        }
        // The slow way, but sure: from the start of the file.
        if (avformat_seek_file(fmt, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE) < 0)
            avformat_seek_file(fmt, st->index, INT64_MIN, INT64_MIN, INT64_MIN, 0);
        return true;
    }

    const RenderRequest& request;
    const Timeline& timeline;
    const std::vector<ClipSpan>& spans;
    const RenderPlan& plan;
    const TimelineLayout& layout;
    const std::atomic<bool>& stop;
    const ProgressReport& progress;
    std::vector<ParametersPtr> sound;
    const VideoSettings video; // of the output's pictures, encoded or copied
    OutputFile out;
    std::unique_ptr<SoundTrack> audio;
    AVRational frameBase;
    double fps;
    av::PacketPtr packet = av::NewPacket();
    int64_t shown = 0;
    int64_t lastDts = AV_NOPTS_VALUE;
    std::chrono::steady_clock::time_point lastReport = std::chrono::steady_clock::now() - kProgressInterval;
};

} // namespace

bool WritePlan(const RenderRequest& request, const Timeline& timeline, const std::vector<ClipSpan>& spans,
               const RenderPlan& plan, const OutputSettings& settings, const TimelineLayout& layout,
               RenderStreams& streams, const std::atomic<bool>& stop, const ProgressReport& progress) {
    PlanWriter writer(request, timeline, spans, plan, settings, layout, streams, stop, progress);
    return writer.run();
}
