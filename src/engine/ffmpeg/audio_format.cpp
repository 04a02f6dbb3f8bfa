#include "engine/ffmpeg/audio_format.h"

#include <algorithm>

av::FifoPtr AudioFormat::newFifo() const {
    av::FifoPtr fifo(av_audio_fifo_alloc(sampleFormat, channels(), 4096));
    if (!fifo)
        throw std::bad_alloc();
    return fifo;
}

void AppendSilence(AVAudioFifo* fifo, const AudioFormat& format, int64_t count) {
    constexpr int kChunk = 4096;
    uint8_t** data = nullptr;
    if (av_samples_alloc_array_and_samples(&data, nullptr, format.channels(), kChunk, format.sampleFormat, 0) < 0)
        throw std::bad_alloc();
    av_samples_set_silence(data, 0, kChunk, format.channels(), format.sampleFormat);
    while (count > 0) {
        const int n = int(std::min<int64_t>(count, kChunk));
        if (av_audio_fifo_write(fifo, reinterpret_cast<void**>(data), n) < n) {
            av_freep(&data[0]);
            av_freep(&data);
            throw std::bad_alloc();
        }
        count -= n;
    }
    av_freep(&data[0]);
    av_freep(&data);
}
