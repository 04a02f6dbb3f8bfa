#include "engine/ffmpeg/media_reader.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/codec_threads.h"
#include "engine/ffmpeg/io/kept_inputs.h"
#include "engine/ffmpeg/source_file.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

const QString kRead = QStringLiteral("Cannot read");

// Sound decoders overlap each frame with the one before it (MDCT codecs) or take
// bits from earlier frames (MP3's reservoir): the first frames after a seek come
// out wrong. Decoding starts at least this long before the wanted sample.
constexpr double kAudioSettle = 0.1;
// Slack when comparing times, far below a frame or a sample's worth that matters.
constexpr double kTolerance = 1e-4;
// Demuxers that land after the target (MPEG program streams do) get these
// further-back tries before the file is decoded from its start.
constexpr double kBackoffs[] = {0, 0.5, 1, 2, 4, 8, 16};
// No video shows one frame for longer than this; a stream whose rate says so has
// a damaged header.
constexpr double kLongestFrame = 3600;
// A stream whose first packets all fail to decode is not worth reading on.
constexpr int kHopeless = 500;

AVStream* FirstStreamOf(const AVFormatContext* format, AVMediaType type) {
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == type)
            return format->streams[i];
    return format->streams[0];
}

} // namespace

MediaReader::MediaReader(const QString& file, AVMediaType type, bool optional, const std::atomic<bool>* stop,
                         int wanted)
    : path(file), stop(stop) {
    if (const QString problem = SourceFileProblem(file); !problem.isEmpty())
        av::Fail(kRead, file, problem);

    // A file on a stalled share can block a read for a long time; the libraries
    // ask this between and inside their reads.
    int opened = 0;
    bool found = false;
    fmt = kept_inputs::Take(file, LocalFileUrl(file), {&MediaReader::Interrupted, this}, opened, found);
    av::Check(opened, kRead, file);
    if (!found)
        av::Check(avformat_find_stream_info(fmt.get(), nullptr), kRead, file);

    const AVCodec* codec = nullptr;
    if (wanted >= int(fmt->nb_streams))
        av::Fail(kRead, file, QStringLiteral("it has no stream %1").arg(wanted));
    int index = av_find_best_stream(fmt.get(), type, wanted, -1, &codec, 0);
    if (index == AVERROR_DECODER_NOT_FOUND) {
        // Said the same way for every job, whichever stream it reads: a file
        // whose sound cannot be decoded is not rendered without it.
        st = wanted >= 0 ? fmt->streams[wanted] : FirstStreamOf(fmt.get(), type);
        av::Fail(kRead, file, QStringLiteral("no decoder here reads its %1").arg(streamName()));
    }
    if (index < 0) {
        if (optional && index == AVERROR_STREAM_NOT_FOUND)
            return;
        av::Fail(kRead, file,
                 index == AVERROR_STREAM_NOT_FOUND
                     ? QStringLiteral("no %1 stream").arg(QString::fromUtf8(av_get_media_type_string(type)))
                     : av::ErrorText(index));
    }
    st = fmt->streams[index];
    if (!codec)
        av::Fail(kRead, file, QStringLiteral("no decoder for its %1").arg(streamName()));
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (int(i) != index)
            fmt->streams[i]->discard = AVDISCARD_ALL;

    // Old DivX/Xvid files pack a B-frame into the packet of the frame before it;
    // decoded as they are, the frame after a seek comes out grey.
    if (st->codecpar->codec_id == AV_CODEC_ID_MPEG4) {
        if (const AVBitStreamFilter* filter = av_bsf_get_by_name("mpeg4_unpack_bframes")) {
            av::Check(av_bsf_alloc(filter, &bsf), kRead, file);
            av::Check(avcodec_parameters_copy(bsf->par_in, st->codecpar), kRead, file);
            bsf->time_base_in = st->time_base;
            av::Check(av_bsf_init(bsf), kRead, file);
        }
    }

    dec.reset(avcodec_alloc_context3(codec));
    if (!dec)
        throw std::bad_alloc();
    av::Check(avcodec_parameters_to_context(dec.get(), bsf ? bsf->par_out : st->codecpar), kRead, file);
    dec->pkt_timebase = st->time_base;
    if (type == AVMEDIA_TYPE_VIDEO) {
        dec->thread_count = CodecThreads();
        dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    av::Check(avcodec_open2(dec.get(), codec, nullptr), kRead, file);
    if (fmt->start_time != AV_NOPTS_VALUE)
        startTs = av_rescale_q(fmt->start_time, AV_TIME_BASE_Q, st->time_base);
    else if (st->start_time != AV_NOPTS_VALUE)
        startTs = st->start_time;
}

int MediaReader::Interrupted(void* reader) {
    return static_cast<const MediaReader*>(reader)->stopped() ? 1 : 0;
}

MediaReader::~MediaReader() {
    av_bsf_free(&bsf);
}

QString MediaReader::streamName() const {
    const char* type = av_get_media_type_string(st->codecpar->codec_type);
    QString codec = QString::fromUtf8(avcodec_get_name(st->codecpar->codec_id));
    if (st->codecpar->codec_id == AV_CODEC_ID_NONE) { // known only by the tag the file gives it
        char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
        codec = QStringLiteral("tagged %1").arg(QString::fromUtf8(av_fourcc_make_string(tag, st->codecpar->codec_tag)));
    }
    return QStringLiteral("%1 stream (%2)").arg(QString::fromUtf8(type ? type : "data"), codec);
}

double MediaReader::headerDuration() const {
    if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        return fmt->duration / double(AV_TIME_BASE);
    if (st && st->duration != AV_NOPTS_VALUE && st->duration > 0)
        return st->duration * av_q2d(st->time_base);
    return 0;
}

double MediaReader::frameTime(const AVFrame* frame) const {
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        ts = frame->pts;
    if (ts == AV_NOPTS_VALUE)
        return -1;
    return (ts - startTs) * av_q2d(st->time_base);
}

double MediaReader::timeOf(int64_t ts) const {
    return (ts - startTs) * av_q2d(st->time_base);
}

int64_t MediaReader::timestampAt(double seconds) const {
    return startTs + std::llround(seconds / av_q2d(st->time_base));
}

double MediaReader::streamStart() const {
    return st->start_time == AV_NOPTS_VALUE ? 0 : (st->start_time - startTs) * av_q2d(st->time_base);
}

double MediaReader::frameLength(const AVFrame* frame) const {
    if (frame->sample_rate > 0 && frame->nb_samples > 0)
        return frame->nb_samples / double(frame->sample_rate);
    if (frame->pkt_duration > 0)
        return frame->pkt_duration * av_q2d(st->time_base);
    const AVRational rate = av_guess_frame_rate(fmt.get(), st, nullptr);
    return rate.num > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
}

void MediaReader::seekRaw(double seconds) {
    touched = true;
    const int64_t ts = seconds <= 0 ? startTs : startTs + int64_t(seconds / av_q2d(st->time_base));
    // Streams whose clock may jump (transport and program streams) find their
    // start by its bytes: their first picture may lie after the file's start time.
    const bool byBytes = seconds <= 0 && (fmt->iformat->flags & AVFMT_TS_DISCONT)
                         && !(fmt->iformat->flags & AVFMT_NO_BYTE_SEEK);
    if (byBytes && avformat_seek_file(fmt.get(), -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE) >= 0) {
        // at the first byte
    } else if (avformat_seek_file(fmt.get(), st->index, INT64_MIN, ts, ts, 0) < 0
        && av_seek_frame(fmt.get(), st->index, ts, AVSEEK_FLAG_BACKWARD) < 0) {
        // Some files seek only by bytes or not at all: start again from the beginning.
        av::Check(avformat_seek_file(fmt.get(), -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE), kRead, path);
    }
    avcodec_flush_buffers(dec.get());
    if (bsf)
        av_bsf_flush(bsf);
    pending.reset();
    draining = false;
    // Pictures that come out before the first keyframe after a jump into the
    // file lean on frames that were never decoded (leading B-frames of an open
    // GOP, whose times old AVIs only guess): they are grey smears, never shown.
    awaitingKey = seconds > 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
}

void MediaReader::seekTo(double seconds) {
    const bool sound = st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    const double settle = sound ? kAudioSettle : 0;
    if (seconds - settle <= kTolerance) {
        seekRaw(0);
        return;
    }
    for (double backoff : kBackoffs) {
        if (stopped())
            return;
        const double from = seconds - settle - (sound ? 2 * settle : 0) - backoff;
        seekRaw(from);
        av::FramePtr frame = av::NewFrame();
        // Demuxers that land off a keyframe (transport streams) decode nothing, or
        // only from a later keyframe on: those go further back.
        if (!decode(frame.get())) {
            if (from <= 0)
                return; // nothing from the start on: the caller sees the end
            continue;
        }
        const double t = frameTime(frame.get());
        if (t <= seconds - settle + kTolerance || from <= 0) {
            pending = std::move(frame);
            return;
        }
    }
    seekRaw(0);
}

bool MediaReader::next(AVFrame* frame) {
    if (pending) {
        av_frame_unref(frame); // a frame used before keeps no picture of its own
        av_frame_move_ref(frame, pending.get());
        pending.reset();
        return true;
    }
    return decode(frame);
}

bool MediaReader::readPacket() {
    touched = true;
    for (;;) {
        if (stopped())
            return false;
        if (bsf) {
            const int got = av_bsf_receive_packet(bsf, packet.get());
            if (got == 0)
                return true;
            if (got == AVERROR_EOF)
                return false;
            if (got != AVERROR(EAGAIN))
                av::Fail(kRead, path, got);
        }
        const int read = av_read_frame(fmt.get(), packet.get());
        if (read == AVERROR_EOF || (read == AVERROR(EIO) && avio_feof(fmt->pb))) {
            if (!bsf)
                return false;
            av_bsf_send_packet(bsf, nullptr);
            continue;
        }
        // Anything else is the file failing under us (a damaged disk, a vanished
        // share): the render stops with the file named rather than end short.
        av::Check(read, kRead, path);
        if (packet->stream_index != st->index) {
            av_packet_unref(packet.get());
            continue;
        }
        if (!bsf)
            return true;
        if (av_bsf_send_packet(bsf, packet.get()) < 0)
            av_packet_unref(packet.get());
    }
}

bool MediaReader::decode(AVFrame* frame) {
    for (;;) {
        const int got = avcodec_receive_frame(dec.get(), frame);
        if (got == 0 && awaitingKey && !frame->key_frame && frame->pict_type != AV_PICTURE_TYPE_I) {
            av_frame_unref(frame);
            continue;
        }
        if (got == 0) {
            awaitingKey = false;
            decodedAny = true;
            return true;
        }
        if (got == AVERROR_EOF || (got == AVERROR(EAGAIN) && draining)) {
            if (!decodedAny && rejected > 0)
                av::Fail(kRead, path, QStringLiteral("its %1 cannot be decoded").arg(streamName()));
            return false;
        }
        if (got != AVERROR(EAGAIN)) {
            ++rejected; // a damaged frame: the ones after it still play
            continue;
        }
        if (!readPacket()) {
            draining = true;
            avcodec_send_packet(dec.get(), nullptr);
            continue;
        }
        const int sent = avcodec_send_packet(dec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            if (sent == AVERROR(ENOMEM))
                throw std::bad_alloc();
            if (++rejected > kHopeless && !decodedAny)
                av::Fail(kRead, path, QStringLiteral("its %1 cannot be decoded").arg(streamName()));
        }
    }
}

MediaReader::Extent MediaReader::measureExtent() {
    Extent extent;
    if (touched)
        seekRaw(0);
    av::FramePtr first = av::NewFrame();
    if (!decode(first.get()))
        av::Fail(kRead, path, QStringLiteral("its %1 holds nothing that can be played").arg(streamName()));
    extent.first = std::max(0.0, frameTime(first.get()));
    extent.end = extent.first + frameLength(first.get());

    // The end is read from the packets near it, not decoded: the container's
    // duration may be a guess, but the last packets are what the file holds.
    const double hint = headerDuration();
    const AVRational rate = av_guess_frame_rate(fmt.get(), st, nullptr);
    const double nominal = rate.num > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
    // A damaged header can stretch every frame of a stream to years (an AVI's
    // scale): its packets' times then claim a length no camera ever recorded,
    // and a render of it would never end.
    if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && nominal > kLongestFrame)
        av::Fail(kRead, path, QStringLiteral("its header is damaged: it says each frame of its %1 lasts %2 seconds")
                                  .arg(streamName(), QString::number(nominal, 'f', 0)));
    const double tb = av_q2d(st->time_base);
    for (double back : {3.0, 10.0, 30.0, 1e9}) {
        if (stopped())
            break;
        const double from = std::max(0.0, hint - back);
        seekRaw(from);
        bool found = false;
        double last = -1;
        int untimed = 0;
        int64_t reorder = 0; // how long a picture waits between decoding and showing
        while (readPacket()) {
            if (packet->pts != AV_NOPTS_VALUE && packet->dts != AV_NOPTS_VALUE)
                reorder = std::max(reorder, packet->pts - packet->dts);
            // A program stream times only some pictures; one with only its
            // decoding time shows as late as the pictures before it waited.
            int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts
                                                       : (packet->dts != AV_NOPTS_VALUE ? packet->dts + reorder : packet->dts);
            if (ts != AV_NOPTS_VALUE) {
                const double length = packet->duration > 0 ? packet->duration * tb : nominal;
                const double end = (ts - startTs) * tb + length;
                if (end > last) {
                    last = end;
                    untimed = 0;
                }
            } else {
                ++untimed;
            }
            found = true;
            av_packet_unref(packet.get());
        }
        if (found && last > 0) {
            extent.end = std::max(extent.end, last + untimed * nominal);
            break;
        }
        if (from <= 0)
            break;
    }
    return extent;
}
