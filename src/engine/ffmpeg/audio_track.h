#pragma once

#include "engine/ffmpeg/audio_clip_source.h"

#include <memory>
#include <vector>

// The audio track as a stream of samples: the clips one after another, each no
// earlier than its anchor, silence in the gaps and after the last clip, for as
// long as the caller asks (the video's length).
class AudioTrack {
public:
    AudioTrack(std::vector<AudioClip> clips, const AudioFormat& format);

    // Appends the track's next `count` samples to `out`.
    void read(AVAudioFifo* out, int64_t count);

    int64_t position() const { return written; }

private:
    std::vector<AudioClip> clips;
    AudioFormat format;
    size_t nextClip = 0;
    std::unique_ptr<AudioClipSource> current;
    int64_t currentLeft = 0;
    int64_t written = 0;
};
