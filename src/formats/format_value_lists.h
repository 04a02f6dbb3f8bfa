#pragma once

#include <QStringList>
#include <optional>

// The fixed choices the settings dialog offers for frame rate, audio bit rate and
// sample rate, and the mappings between a list position and the stored value.
// A stored value outside a list is never refused: it selects the list's default
// entry, and so is replaced by that entry's value at the next save.

// "23.976", "24", "25", "29.97", "30", "50", "59.94" (frames per second).
const QStringList& FrameRateItems();
// "8" ... "320" (kbit/s).
const QStringList& BitrateItems();
// "32000", "44100", "48000" (Hz).
const QStringList& SampleRateItems();

// The value of a list position; -1 (no selection) or any other position outside
// the list gives the list's default: 23.976, 128 and 44100.
double FrameRateFromIndex(int index);
int BitrateFromIndex(int index);
int SampleRateFromIndex(int index);

// The list position of a value. Frame rates match only by exact equality, which
// holds for every rate read back from a file the program wrote. Any other value
// gives the position of the default entry.
int IndexOfFrameRate(double frameRate);
int IndexOfBitrate(int bitrate);
int IndexOfSampleRate(int sampleRate);

// The MP4 page's frame rates: "Same as source" (stored as 0, the first video
// clip's own rate), then "23.976" ... "59.94" and "60". A stored value outside
// the list selects "Same as source"; no selection gives 0.
const QStringList& Mp4FrameRateItems();
double Mp4FrameRateFromIndex(int index);
int IndexOfMp4FrameRate(double frameRate);

// The disc formats whose "Mode" choice presets the frame height.
enum class DiscFamily { Vcd, Svcd, Dvd };

// The frame height that choosing PAL (mode 0) or NTSC (mode 1) sets on a disc
// family's page; any other mode sets nothing. Widths and frame rates are never
// touched by a mode.
std::optional<int> ModePresetHeight(DiscFamily family, int mode);
