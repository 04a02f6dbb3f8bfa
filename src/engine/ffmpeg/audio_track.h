#pragma once

#include "engine/ffmpeg/audio_clip_source.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <memory>
#include <vector>

// The audio track as a stream of samples: each clip where the layout puts it,
// silence in the gaps and after the last clip, for as long as the caller asks
// (the video's length).
class AudioTrack {
public:
    AudioTrack(const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
               const AudioFormat& format);

    // Appends the track's next `count` samples to `out`.
    void read(AVAudioFifo* out, int64_t count);

private:
    struct Piece {
        QString file;
        int stream;
        AudioPlacement place;
    };
    std::vector<Piece> pieces;
    AudioFormat format;
    size_t nextPiece = 0;
    std::unique_ptr<AudioClipSource> current;
    int64_t currentEnd = 0;
    int64_t written = 0;
};
