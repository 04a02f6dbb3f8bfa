#include "engine/ffmpeg/audio_track.h"

#include <algorithm>
#include <cmath>

AudioTrack::AudioTrack(std::vector<AudioClip> clips, const AudioFormat& format)
    : clips(std::move(clips)), format(format) {}

void AudioTrack::read(AVAudioFifo* out, int64_t count) {
    const int64_t target = written + count;
    while (written < target) {
        if (!current && nextClip < clips.size()) {
            const AudioClip& clip = clips[nextClip];
            const int64_t anchor = std::llround(clip.anchor * format.sampleRate);
            if (written < anchor) {
                const int64_t gap = std::min(anchor, target) - written;
                AppendSilence(out, format, gap);
                written += gap;
                continue;
            }
            current = std::make_unique<AudioClipSource>(clip, format);
            currentLeft = current->length();
            ++nextClip;
        }
        if (!current) {
            AppendSilence(out, format, target - written);
            written = target;
            break;
        }
        const int n = int(std::min<int64_t>({target - written, currentLeft, 1 << 16}));
        if (n > 0) {
            current->read(out, n);
            written += n;
            currentLeft -= n;
        }
        if (currentLeft <= 0)
            current.reset();
    }
}
