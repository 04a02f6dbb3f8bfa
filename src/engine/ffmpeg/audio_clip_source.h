#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/media_reader.h"

#include <memory>

// The sound of a file from a time on, converted to the output's sample layout,
// placed by the decoded frames' own times: its first sample is the one that
// plays at the start time, a stretch the decoder could not read becomes silence,
// and so does anything before the file's sound starts or after it ends.
class AudioClipSource {
public:
    // `stream` as AudioClip::stream gives it.
    AudioClipSource(const QString& file, int stream, double start, const AudioFormat& format);
    ~AudioClipSource() { av_channel_layout_uninit(&inLayout); }
    AudioClipSource(const AudioClipSource&) = delete;
    AudioClipSource& operator=(const AudioClipSource&) = delete;

    // Moves the clip's next `count` samples into `out`.
    void read(AVAudioFifo* out, int count);

private:
    bool decodeMore();
    void place(const AVFrame* frame);
    void convert(const AVFrame* frame, int64_t skip);
    double OnFrameGrid(double t, const AVFrame* frame) const;

    std::unique_ptr<MediaReader> input;
    AudioFormat format;
    int64_t position = 0; // output-rate samples from the file's start of the next sample the FIFO gets
    bool started = false;
    double nextTime = -1; // where the frame after the last one placed begins
    bool ended = false;
    av::SwrPtr resampler;
    AVChannelLayout inLayout{};
    int inRate = 0;
    int inFormat = -1;
    av::FifoPtr fifo;
    av::FramePtr frame = av::NewFrame();
};
