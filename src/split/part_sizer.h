#pragma once

#include "engine/formats/format_description.h"
#include "formats/format_settings.h"

#include <QString>
#include <cstdint>

// Bytes from "700M", "4g", "1.5G", "25m" or "1000" (a plain number is bytes; K, M
// and G count in 1024s). 0 for anything else, 0 and negatives included.
int64_t ParseByteSize(const QString& text);
// "100 KB", "1.5 MB", "4 GB" (1024-based, at most one decimal); below a KB, "512 bytes".
QString ByteSizeText(int64_t bytes);

// What a second of `format` costs with these settings, as its description in the
// engine's format registry estimates it.
FormatRate EstimateFormatRate(int format, const FormatSettings& settings);

// Empty when a part of at most maxBytes holds a second of `format`; otherwise
// what is wrong: "A part of at most 100 KB cannot hold one second of VCD PAL, which needs about 172 KB".
QString TooSmallForOneSecond(int64_t maxBytes, int format, const FormatSettings& settings);

// Chooses the length of each part of a split by size, in whole output frames, and
// learns from each written part how many bytes a frame costs. Parts aim a little
// under the bound so that the encoder's spread rarely needs a second render.
class PartSizer {
public:
    PartSizer(int64_t maxBytes, double frameRate, const FormatRate& rate);

    // Frames of the next part, at most `remainingFrames`.
    int64_t NextFrames(int64_t remainingFrames) const;
    // Parts still to come for `remainingFrames`, at the cost learnt so far.
    int64_t PartsFor(int64_t remainingFrames) const;

    enum class Verdict { Keep, Shorter, Longer };
    // A part of `frames` came out at `bytes`: learns the cost per frame and says
    // whether it must be rendered again. Over the bound is always redone; a part
    // that is not the last and under the floor is redone longer.
    Verdict Measure(int64_t frames, int64_t bytes, bool last);
    // Frames for rendering the measured part again: strictly fewer for Shorter,
    // strictly more (at most `remainingFrames`) for Longer.
    int64_t RedoFrames(Verdict verdict, int64_t frames, int64_t bytes, int64_t remainingFrames) const;

    int64_t floorBytes() const { return maxBytes * 85 / 100; }
    double bytesPerFrame() const { return perFrame; }

private:
    int64_t framesFor(double bytes) const;

    int64_t maxBytes;
    double target;    // the size a part aims at
    double perFrame;  // bytes one output frame costs, sound and container included
};

// Frames at `frameRate` in `seconds`; a trailing part of a frame counts as one.
int64_t FramesIn(double seconds, double frameRate);
