#pragma once

#include "engine/ffmpeg/audio_track.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/sound_track.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <vector>

// Feeds one audio encoder of the output up to a point on the output timeline.
class AudioFeed : public SoundTrack {
public:
    AudioFeed(OutputFile& out, const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
              int slot = 0);

    // Encodes whole frames until `seconds` of sound are in the encoder.
    void upTo(double seconds) override;
    // The sound's last frame, cut to end exactly with the video.
    void finishAt(double seconds) override;

private:
    void encode(int samples);

    OutputFile& out;
    int slot;
    AudioFormat format;
    AudioTrack track;
    av::FifoPtr fifo;
    int frameSize;
    int64_t pts;
};
