#include "engine/ffmpeg/audio_track.h"

#include <algorithm>

AudioTrack::AudioTrack(const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
                       const AudioFormat& format)
    : format(format) {
    for (size_t i = 0; i < clips.size() && i < placements.size(); ++i)
        if (placements[i].samples > 0)
            pieces.push_back(Piece{clips[i].file, clips[i].stream, placements[i]});
}

void AudioTrack::read(AVAudioFifo* out, int64_t count) {
    const int64_t target = written + count;
    while (written < target) {
        if (!current && nextPiece < pieces.size()) {
            const AudioPlacement& place = pieces[nextPiece].place;
            if (written < place.firstSample) {
                const int64_t gap = std::min(place.firstSample, target) - written;
                AppendSilence(out, format, gap);
                written += gap;
                continue;
            }
            current = std::make_unique<AudioClipSource>(pieces[nextPiece].file, pieces[nextPiece].stream, place.sourceStart, format);
            currentEnd = place.firstSample + place.samples;
            ++nextPiece;
            // A piece never reaches into the next one's place.
            if (nextPiece < pieces.size())
                currentEnd = std::min(currentEnd, pieces[nextPiece].place.firstSample);
        }
        if (!current) {
            AppendSilence(out, format, target - written);
            written = target;
            break;
        }
        const int n = int(std::min<int64_t>({target - written, currentEnd - written, 1 << 16}));
        if (n > 0) {
            current->read(out, n);
            written += n;
        }
        if (written >= currentEnd)
            current.reset();
    }
}
