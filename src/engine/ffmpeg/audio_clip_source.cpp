#include "engine/ffmpeg/audio_clip_source.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/timeline.h"

#include <algorithm>
#include <cmath>

namespace {

// Frame times that stray less than this from where the samples before them end
// are jitter of the container's clock, not a gap or an overlap in the sound.
constexpr double kJitter = 0.012;

} // namespace

AudioClipSource::AudioClipSource(const QString& file, int stream, double start, const AudioFormat& format)
    : input(stream == AudioClip::kNoSound ? nullptr : std::make_unique<MediaReader>(file, AVMEDIA_TYPE_AUDIO, true, nullptr, stream)),
      format(format), fifo(format.newFifo()) {
    start = std::max(0.0, start);
    position = std::llround(start * format.sampleRate);
    if (!input || !input->stream())
        ended = true; // no sound in this file: the clip is silence
    else if (start > 0)
        input->seekTo(start);
}

void AudioClipSource::place(const AVFrame* in) {
    double t = input->frameTime(in);
    const bool first = !started; // nothing kept yet: the frame's time is the whole truth
    if (t < 0 && nextTime < 0)
        return; // a frame without a time before any with one: nowhere to put it
    if (t < 0)
        t = nextTime; // frames after the first of a packet carry no time of their own
    else
        t = OnFrameGrid(t, in);
    nextTime = t + in->nb_samples / double(in->sample_rate);

    // The first frame fixes exactly where the wanted sample lies; after it, only
    // a real gap (frames the decoder could not read) or overlap is corrected.
    const int64_t at = std::llround(t * format.sampleRate);
    const int64_t jitter = first ? 1 : std::max<int64_t>(std::llround(kJitter * format.sampleRate), 1);
    if (at - position >= jitter) {
        AppendSilence(fifo.get(), format, at - position);
        position = at;
        started = true;
    }
    convert(in, position - at >= jitter ? position - at : 0);
}

double AudioClipSource::OnFrameGrid(double t, const AVFrame* in) const {
    // Containers that count in milliseconds (ASF) place a frame only to within
    // a millisecond; sound frames of one size follow each other from the
    // stream's start, so the frame's true place is the nearest step of them.
    const AVStream* st = input->stream();
    const double tick = av_q2d(st->time_base);
    if (tick * in->sample_rate <= 1 || in->nb_samples <= 0 || st->start_time == AV_NOPTS_VALUE)
        return t;
    const double origin = input->streamStart();
    const double step = in->nb_samples / double(in->sample_rate);
    const double snapped = origin + std::round((t - origin) / step) * step;
    return std::abs(snapped - t) <= tick ? snapped : t;
}

void AudioClipSource::convert(const AVFrame* in, int64_t skip) {
    if (!resampler || inRate != in->sample_rate || inFormat != in->format
        || av_channel_layout_compare(&inLayout, &in->ch_layout) != 0) {
        SwrContext* raw = nullptr;
        av::Check(swr_alloc_set_opts2(&raw, &format.layout, format.sampleFormat, format.sampleRate,
                                      const_cast<AVChannelLayout*>(&in->ch_layout), AVSampleFormat(in->format),
                                      in->sample_rate, 0, nullptr),
                  QStringLiteral("Cannot convert the sound of"), input->file());
        resampler.reset(raw);
        // Folding more channels into fewer adds them up: without this a 5.1 mix
        // near full scale comes out clipped in stereo.
        av_opt_set_double(raw, "rematrix_maxval", 1.0, 0);
        av::Check(swr_init(resampler.get()), QStringLiteral("Cannot convert the sound of"), input->file());
        inRate = in->sample_rate;
        inFormat = in->format;
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_copy(&inLayout, &in->ch_layout);
    }

    const int room = swr_get_out_samples(resampler.get(), in->nb_samples);
    if (room <= 0)
        return;
    uint8_t** data = nullptr;
    if (av_samples_alloc_array_and_samples(&data, nullptr, format.channels(), room, format.sampleFormat, 0) < 0)
        throw std::bad_alloc();
    const int got = swr_convert(resampler.get(), data, room, const_cast<const uint8_t**>(in->extended_data),
                                in->nb_samples);
    int keep = std::max(got, 0);
    const int dropped = int(std::min<int64_t>(skip, keep));
    keep -= dropped;
    if (keep > 0) {
        uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
        const int bytes = av_get_bytes_per_sample(format.sampleFormat);
        const bool planar = av_sample_fmt_is_planar(format.sampleFormat);
        for (int c = 0; c < (planar ? format.channels() : 1); ++c)
            planes[c] = data[c] + dropped * bytes * (planar ? 1 : format.channels());
        av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(planes), keep);
        position += keep;
        started = true;
    }
    av_freep(&data[0]);
    av_freep(&data);
}

bool AudioClipSource::decodeMore() {
    if (ended)
        return false;
    if (!input->next(frame.get())) {
        ended = true;
        return false;
    }
    place(frame.get());
    av_frame_unref(frame.get());
    return true;
}

void AudioClipSource::read(AVAudioFifo* out, int count) {
    while (av_audio_fifo_size(fifo.get()) < count && decodeMore()) {
    }
    const int have = std::min(count, av_audio_fifo_size(fifo.get()));
    if (have > 0) {
        uint8_t** data = nullptr;
        if (av_samples_alloc_array_and_samples(&data, nullptr, format.channels(), have, format.sampleFormat, 0) < 0)
            throw std::bad_alloc();
        av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(data), have);
        av_audio_fifo_write(out, reinterpret_cast<void**>(data), have);
        av_freep(&data[0]);
        av_freep(&data);
    }
    if (have < count)
        AppendSilence(out, format, count - have);
}
