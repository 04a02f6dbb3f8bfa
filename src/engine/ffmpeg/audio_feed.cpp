#include "engine/ffmpeg/audio_feed.h"

#include <cmath>
#include <new>

namespace {

av::FramePtr AudioFrame(const AudioFormat& format, int samples) {
    av::FramePtr frame = av::NewFrame();
    frame->nb_samples = samples;
    frame->format = format.sampleFormat;
    frame->sample_rate = format.sampleRate;
    av_channel_layout_copy(&frame->ch_layout, &format.layout);
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    return frame;
}

} // namespace

AudioFeed::AudioFeed(OutputFile& out, const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
                     int slot)
    : out(out), slot(slot), format(out.audioFormat(slot)), track(clips, placements, format), fifo(format.newFifo()),
      frameSize(out.audioFrameSize(slot)), pts(out.audioLead(slot)) {
    // The encoder's priming stands in for the timeline's first samples.
    track.read(fifo.get(), pts);
    av_audio_fifo_drain(fifo.get(), int(pts));
}

void AudioFeed::upTo(double seconds) {
    const int64_t target = std::llround(seconds * format.sampleRate);
    while (pts + frameSize <= target)
        encode(frameSize);
}

void AudioFeed::finishAt(double seconds) {
    const int64_t target = std::llround(seconds * format.sampleRate);
    while (pts < target)
        encode(int(std::min<int64_t>(frameSize, target - pts)));
}

void AudioFeed::encode(int samples) {
    const int missing = samples - av_audio_fifo_size(fifo.get());
    if (missing > 0)
        track.read(fifo.get(), missing);
    av::FramePtr frame = AudioFrame(format, samples);
    av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->extended_data), samples);
    frame->pts = pts;
    pts += samples;
    out.writeAudio(frame.get(), slot);
}
