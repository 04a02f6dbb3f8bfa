#pragma once

#include <QString>
#include <vector>

// Measures what a viewer notices of picture/sound sync in a file carrying the
// test media's "flash and beep" (see user_media.h), with the ffmpeg and ffprobe
// command-line tools only.
namespace testmedia {

struct SyncEvent {
    double flash = -1; // s, from the first video frame
    double beep = -1;  // s, same clock; -1 when no beep lies within 250 ms of the flash
    double offsetMs = 0; // beep - flash; 0 when unpaired
};

struct SyncReport {
    std::vector<SyncEvent> events; // one per flash, in order, paired with the nearest free beep within 250 ms
    std::vector<double> flashes;   // every flash found (s, from the first video frame's presentation time)
    std::vector<double> beeps;     // every beep onset found, on the same clock: the audio's own timestamps
                                   // (stream start times, gaps) place each sample
    double videoSeconds = 0, audioSeconds = 0; // decoded lengths
    int unpairedFlashes = 0, unpairedBeeps = 0;
    double worstOffsetMs() const;  // largest |offsetMs| over paired events, 0 when there are none
};

SyncReport MeasureSync(const QString& file);

// The sync of sound track `track` (0 the first) alone, measured on a copy of the
// first picture stream and that track made in `folder`.
SyncReport MeasureTrackSync(const QString& file, int track, const QString& folder);

} // namespace testmedia
