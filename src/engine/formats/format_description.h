#pragma once

#include "engine/formats/stream_capacity.h"
#include "engine/video_edit.h"

#include <cstdint>

// One output format as the program, the settings, the split-by-size estimate and
// the engine see it. Plain numbers and names only: the encoder parameters are
// built from it on the FFmpeg side.

// Which user settings a format takes and which encoder-settings builder makes its
// parameters. Formats of one family differ only in their numbers.
// Source: the first video clip's own container and codecs, every stream copied
// and only the frames around a cut encoded anew.
enum class FormatFamily { Disc, Mpeg, Avi, Wmv, Mp4, Source };

// What a second of a format costs, as far as it can be told before anything is
// written. The engine's own rate for encoders with rate control; a guess for the
// others, which measurement then corrects.
struct FormatRate {
    int64_t videoCap = 0;        // bit/s to hold the video under; 0 when the format fixes its rate
    double bytesPerSecond = 0;   // picture, sound and container together
    bool constant = false;       // the muxer pads to a fixed rate: length follows from size exactly
};

// A disc standard's fixed frame, rates and packing.
struct DiscStandard {
    int width = 0;
    int height = 0;
    bool pal = true;            // 25 fps, else 29.97
    bool wide = false;          // players take 16:9 pictures as well as 4:3
    bool interlaced = false;    // a fitting source's fields may stay
    int64_t bitRate = 0, maxRate = 0, minRate = 0;
    int bufferSize = 0;
    int packetSize = 0;
    int64_t muxRate = 0;        // 0: the muxer computes it
    int64_t preloadMicroseconds = 0;
    bool scanOffset = false;
    int sampleRate = 0;
    int64_t audioBitRate = 0;
};

// A bit rate that gives a frame size a fair picture, for formats whose rate
// follows their size: bits per pixel per frame, clamped.
struct PixelRateRule {
    double bitsPerPixel = 0;
    int64_t lowest = 0;
    int64_t highest = 0;
};

// When a source's coded stream may go into the output as it is.
struct CopyRules {
    int64_t videoRateLimit = 0;       // the standard's highest video rate; 0: no limit of its own
    bool videoRateMustBeKnown = false; // players need the rate stated, so an unknown one is re-encoded
    bool soundRateFixed = false;      // sound is copied only at the output's own bit rate
};

struct FormatDescription {
    const char* splitName = "";   // item of the split wizard's format list
    const char* joinName = "";    // item of the join page's format list
    const char* shortName = "";   // the summary's name
    const char* extension = "";   // without the dot; empty: that of the first video clip's file
    FormatFamily family = FormatFamily::Disc;
    const char* container = "";   // the muxer; empty: the first video clip's
    const char* videoCodec = "";  // the encoder; empty when the user picks it from a list
    const char* audioCodec = "";
    StreamCapacity capacity;
    CopyRules copy;
    DiscStandard disc;            // Disc family only
    PixelRateRule pixelRate;      // Mpeg family: the rate its encodes get
    int largestSide = 4096;       // set sizes are clamped to 16..this, even; 0 asks for the source's
    // The frame rate when the format fixes it; 0 when it comes from the settings,
    // a profile or the source.
    double fixedFrameRate = 0;
    // What a second costs at these engine parameters and `fps` frames a second.
    FormatRate (*estimateRate)(const FormatDescription& format, const TVideoEdit::Properties& props,
                               double fps) = nullptr;
};

// The container's share on top of the streams' bit rates: pack and packet headers,
// AVI's index. Measured on test renders; the first written part corrects it.
constexpr double kMuxOverhead = 1.04;

// Video and sound bit rates with the container's share, in bytes a second.
FormatRate RateOfStreams(double videoBits, double audioBits, bool sound, bool capVideo);

// Bits a second for a frame size at so many bits per pixel, clamped as the engine clamps.
double PixelRate(int width, int height, double fps, const PixelRateRule& rule);
