#pragma once

#include "engine/ffmpeg/av_handles.h"

// The sample layout the audio encoder takes; every clip is converted to it.
struct AudioFormat {
    int sampleRate = 44100;
    AVChannelLayout layout = AV_CHANNEL_LAYOUT_STEREO;
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;

    int channels() const { return layout.nb_channels; }
    av::FifoPtr newFifo() const;
};

// Appends `count` samples of silence to the FIFO.
void AppendSilence(AVAudioFifo* fifo, const AudioFormat& format, int64_t count);
