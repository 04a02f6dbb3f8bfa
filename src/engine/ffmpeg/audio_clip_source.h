#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/input_file.h"
#include "engine/ffmpeg/timeline.h"

#include <memory>

// The sound of a file from start to stop, converted to the output's sample
// layout and cut to the sample. A file without sound, and any part of the span
// past the file's end, give silence.
class AudioClipSource {
public:
    AudioClipSource(const AudioClip& clip, const AudioFormat& format);
    ~AudioClipSource() { av_channel_layout_uninit(&inLayout); }
    AudioClipSource(const AudioClipSource&) = delete;
    AudioClipSource& operator=(const AudioClipSource&) = delete;

    // Samples the clip lasts: the cut points rounded to samples, so consecutive
    // clips of one file add up exactly.
    int64_t length() const { return total; }

    // Moves the clip's next `count` samples into `out`, silence past the file's end.
    void read(AVAudioFifo* out, int count);

private:
    void seekToStart();
    bool decodeMore();
    void convert(const AVFrame* frame);

    std::unique_ptr<InputFile> input;
    AudioFormat format;
    double start = 0;
    int64_t total = 0;
    int64_t toSkip = 0;    // converted samples before the start still to drop
    bool anchored = false; // the first decoded frame has fixed where the start lies
    bool ended = false;
    av::SwrPtr resampler;
    AVChannelLayout inLayout{};
    int inRate = 0;
    int inFormat = -1;
    av::FifoPtr fifo;
    av::FramePtr frame = av::NewFrame();
};
