#include "engine/ffmpeg/audio_clip_source.h"

#include "engine/ffmpeg/av_error.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBackoffs[] = {0, 0.5, 1, 2, 4, 8, 16};
constexpr double kTolerance = 1e-4;

} // namespace

AudioClipSource::AudioClipSource(const AudioClip& clip, const AudioFormat& format)
    : input(std::make_unique<InputFile>(clip.file, AVMEDIA_TYPE_AUDIO, true)), format(format),
      fifo(format.newFifo()) {
    // A slice that runs past the end of the file keeps its length and ends in
    // silence, so whatever follows it stays in step.
    start = std::max(0.0, clip.start);
    const double stop = std::max(clip.stop, start);
    total = std::llround(stop * format.sampleRate) - std::llround(start * format.sampleRate);
    if (!input->stream())
        ended = true; // no sound in this file: the clip is silence
    else
        seekToStart();
}

void AudioClipSource::seekToStart() {
    if (start <= kTolerance)
        return;
    for (double backoff : kBackoffs) {
        input->seekBefore(start, backoff);
        if (!input->decode(frame.get())) {
            ended = true;
            return;
        }
        const double t = input->frameTime(frame.get());
        if (t <= start + kTolerance || start - backoff <= 0) {
            convert(frame.get());
            return;
        }
        av_frame_unref(frame.get());
    }
    input->seekBefore(0, 0);
}

void AudioClipSource::convert(const AVFrame* in) {
    if (!anchored) {
        // Converted sample k of this frame plays at t0 + k / rate.
        const double t0 = std::max(0.0, input->frameTime(in));
        const int64_t offset = std::llround((start - t0) * format.sampleRate);
        if (offset > 0)
            toSkip = offset;
        else
            AppendSilence(fifo.get(), format, -offset); // the sound starts after the cut
        anchored = true;
    }
    if (!resampler || inRate != in->sample_rate || inFormat != in->format
        || av_channel_layout_compare(&inLayout, &in->ch_layout) != 0) {
        SwrContext* raw = nullptr;
        av::Check(swr_alloc_set_opts2(&raw, &format.layout, format.sampleFormat, format.sampleRate,
                                      const_cast<AVChannelLayout*>(&in->ch_layout),
                                      AVSampleFormat(in->format), in->sample_rate, 0, nullptr),
                  QStringLiteral("Cannot convert the sound of"), input->file());
        resampler.reset(raw);
        av::Check(swr_init(resampler.get()), QStringLiteral("Cannot convert the sound of"), input->file());
        inRate = in->sample_rate;
        inFormat = in->format;
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_copy(&inLayout, &in->ch_layout);
    }

    const int room = swr_get_out_samples(resampler.get(), in ? in->nb_samples : 0);
    if (room <= 0)
        return;
    uint8_t** data = nullptr;
    if (av_samples_alloc_array_and_samples(&data, nullptr, format.channels(), room, format.sampleFormat, 0) < 0)
        throw std::bad_alloc();
    const int got = swr_convert(resampler.get(), data, room, const_cast<const uint8_t**>(in->extended_data),
                                in->nb_samples);
    int keep = std::max(got, 0);
    int skip = int(std::min<int64_t>(toSkip, keep));
    toSkip -= skip;
    keep -= skip;
    if (keep > 0) {
        uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
        const int bytes = av_get_bytes_per_sample(format.sampleFormat);
        const bool planar = av_sample_fmt_is_planar(format.sampleFormat);
        for (int c = 0; c < (planar ? format.channels() : 1); ++c)
            planes[c] = data[c] + skip * bytes * (planar ? 1 : format.channels());
        av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(planes), keep);
    }
    av_freep(&data[0]);
    av_freep(&data);
}

bool AudioClipSource::decodeMore() {
    if (ended)
        return false;
    if (!input->decode(frame.get())) {
        ended = true;
        return false;
    }
    convert(frame.get());
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
