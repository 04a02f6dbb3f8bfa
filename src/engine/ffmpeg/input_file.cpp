#include "engine/ffmpeg/input_file.h"

#include "engine/ffmpeg/av_error.h"

#include <QFileInfo>
#include <thread>

namespace {

const QString kRead = QStringLiteral("Cannot read");

int DecoderThreads() {
    return static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
}

} // namespace

InputFile::InputFile(const QString& file, AVMediaType type, bool optional) : path(file) {
    if (!QFileInfo::exists(file))
        av::Fail(kRead, file, QStringLiteral("the file does not exist"));
    if (QFileInfo(file).size() == 0)
        av::Fail(kRead, file, QStringLiteral("the file is empty"));

    AVFormatContext* raw = nullptr;
    av::Check(avformat_open_input(&raw, QFile::encodeName(file).constData(), nullptr, nullptr), kRead, file);
    fmt.reset(raw);
    av::Check(avformat_find_stream_info(fmt.get(), nullptr), kRead, file);

    const AVCodec* codec = nullptr;
    int index = av_find_best_stream(fmt.get(), type, -1, -1, &codec, 0);
    if (index < 0) {
        if (optional && index == AVERROR_STREAM_NOT_FOUND)
            return;
        av::Fail(kRead, file,
                 index == AVERROR_STREAM_NOT_FOUND
                     ? QStringLiteral("no %1 stream").arg(QString::fromUtf8(av_get_media_type_string(type)))
                     : av::ErrorText(index));
    }
    if (!codec)
        av::Fail(kRead, file, QStringLiteral("no decoder for its %1 stream")
                                  .arg(QString::fromUtf8(av_get_media_type_string(type))));
    st = fmt->streams[index];
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (int(i) != index)
            fmt->streams[i]->discard = AVDISCARD_ALL;

    dec.reset(avcodec_alloc_context3(codec));
    if (!dec)
        throw std::bad_alloc();
    av::Check(avcodec_parameters_to_context(dec.get(), st->codecpar), kRead, file);
    dec->pkt_timebase = st->time_base;
    if (type == AVMEDIA_TYPE_VIDEO) {
        dec->thread_count = DecoderThreads();
        dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    av::Check(avcodec_open2(dec.get(), codec, nullptr), kRead, file);
    // Times count from the start of the file, not of the stream, so sound that
    // starts after its picture in the source keeps that distance on the output.
    if (fmt->start_time != AV_NOPTS_VALUE)
        startTs = av_rescale_q(fmt->start_time, AV_TIME_BASE_Q, st->time_base);
    else if (st->start_time != AV_NOPTS_VALUE)
        startTs = st->start_time;
}

double InputFile::duration() const {
    if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        return fmt->duration / double(AV_TIME_BASE);
    if (st && st->duration != AV_NOPTS_VALUE)
        return st->duration * av_q2d(st->time_base);
    return 0;
}

double InputFile::frameTime(const AVFrame* frame) const {
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        ts = frame->pts;
    if (ts == AV_NOPTS_VALUE)
        return -1;
    return (ts - startTs) * av_q2d(st->time_base);
}

void InputFile::seekBefore(double seconds, double backoff) {
    const double target = seconds - backoff;
    const int64_t ts = target <= 0 ? startTs : startTs + int64_t(target / av_q2d(st->time_base));
    if (av_seek_frame(fmt.get(), st->index, ts, AVSEEK_FLAG_BACKWARD) < 0) {
        // Some files seek only by bytes or not at all: start again from the beginning.
        av::Check(avformat_seek_file(fmt.get(), -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE), kRead, path);
    }
    avcodec_flush_buffers(dec.get());
    draining = false;
}

bool InputFile::decode(AVFrame* frame) {
    for (;;) {
        int got = avcodec_receive_frame(dec.get(), frame);
        if (got == 0)
            return true;
        if (got == AVERROR_EOF)
            return false;
        if (got != AVERROR(EAGAIN))
            av::Fail(kRead, path, got);
        if (draining)
            return false;

        int read = av_read_frame(fmt.get(), packet.get());
        if (read == AVERROR_EOF || (read == AVERROR(EIO) && avio_feof(fmt->pb))) {
            draining = true;
            avcodec_send_packet(dec.get(), nullptr);
            continue;
        }
        av::Check(read, kRead, path);
        if (packet->stream_index == st->index) {
            int sent = avcodec_send_packet(dec.get(), packet.get());
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
                av::Fail(kRead, path, sent);
        }
        av_packet_unref(packet.get());
    }
}
