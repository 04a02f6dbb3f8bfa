#pragma once

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/sound_track.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <atomic>
#include <memory>
#include <vector>

// Why the sound of a timeline's clips cannot go into the output as it is coded
// (a sentence's end, "its sound is MP3, the output's is AC-3"), or nothing when
// it can: every sound clip is its picture's own, and each file's sound already
// has the output's codec, sample rate and channels.
QString SoundCopyMismatch(const Timeline& timeline, const OutputSettings& settings, int outputType,
                          const std::atomic<bool>& stop);

// The sound of each clip copied packet by packet to where the layout puts it.
// Where the container times each packet, every packet keeps its time against
// the pictures and one that begins before a cut is left out (up to a packet of
// silence there). AVI plays its sound end to end: there a packet belongs to the
// clip its middle lies in, so a cut moves the sound by at most half a packet
// and no packet is written twice.
class SoundCopy : public SoundTrack {
public:
    SoundCopy(OutputFile& out, const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
              int sampleRate, const std::atomic<bool>& stop, int slot = 0);

    void upTo(double seconds) override;
    void finishAt(double seconds) override;

private:
    void fill(int64_t limit);
    bool readNext();

    struct Piece {
        QString file;
        int stream;
        AudioPlacement place;
    };
    OutputFile& out;
    std::vector<Piece> pieces;
    int rate;
    const std::atomic<bool>& stop;
    int slot;
    size_t next = 0;
    std::unique_ptr<MediaReader> reader;
    av::PacketPtr pending = av::NewPacket();
    bool hasPending = false;
    int64_t pendingAt = 0;
    int64_t written = 0; // output samples the copied packets cover so far
    bool exactTimes;
    int64_t lastPlace = INT64_MIN;
};
