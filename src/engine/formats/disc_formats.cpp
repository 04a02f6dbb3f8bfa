#include "engine/formats/format_families.h"

namespace {

// A padded stream (constant video rate) costs its mux rate whatever it holds;
// the others their streams' rates.
FormatRate DiscRate(const FormatDescription& f, const TVideoEdit::Properties& props, double) {
    const DiscStandard& d = f.disc;
    if (d.minRate == d.maxRate)
        return FormatRate{0, d.muxRate / 8.0, true};
    return RateOfStreams(double(d.bitRate), double(d.audioBitRate), props.outputAudio, true);
}

FormatDescription Disc(const char* name, const char* joinName, const char* shortName, const char* container,
                       const char* video, const char* audio, const DiscStandard& standard, StreamCapacity capacity,
                       int64_t rateLimit) {
    FormatDescription f = Describe({name, joinName, shortName, "mpg", container, video, audio}, FormatFamily::Disc,
                                   capacity, DiscRate);
    f.copy = CopyRules{rateLimit, true, false};
    f.disc = standard;
    f.fixedFrameRate = standard.pal ? 25 : 29.97;
    return f;
}

DiscStandard Vcd(bool pal) {
    return {352, pal ? 288 : 240, pal, false, false, 1150000, 1150000, 1150000, 327680, 2324, 1411200, 440000, false,
            44100, 224000};
}

DiscStandard Svcd(bool pal) {
    return {480, pal ? 576 : 480, pal, true, true, 2040000, 2516000, 0, 1835008, 2324, 0, 0, true, 44100, 224000};
}

DiscStandard Dvd(bool pal) {
    return {720, pal ? 576 : 480, pal, true, true, 6000000, 9000000, 0, 1835008, 2048, 10080000, 0, false, 48000, 448000};
}

// One MPEG-1 audio stream; two; DVD's 8 audio and 32 subpicture streams.
const StreamCapacity kVcdHolds{1, SubtitleKind::None, 0, false, false};
const StreamCapacity kSvcdHolds{2, SubtitleKind::None, 0, false, false};
const StreamCapacity kDvdHolds{8, SubtitleKind::Bitmap, 32, false, false};

} // namespace

std::vector<FormatDescription> DiscFormats() {
    // The standards' highest video rates bound what may be copied; the encodes stay
    // below them at their own settings. A VCD player takes one rate of sound only.
    FormatDescription vcdPal = Disc("MPEG1 ( VCD PAL )", "MPEG1 ( VCD PAL )", "VCD PAL", "vcd", "mpeg1video", "mp2",
                                    Vcd(true), kVcdHolds, 1150000);
    FormatDescription vcdNtsc = Disc("MPEG1 ( VCD NTSC )", "MPEG1 ( VCD NTSC )", "VCD NTSC", "vcd", "mpeg1video",
                                     "mp2", Vcd(false), kVcdHolds, 1150000);
    vcdPal.copy.soundRateFixed = vcdNtsc.copy.soundRateFixed = true;
    return {
        vcdPal,
        vcdNtsc,
        Disc("MPEG2 ( SVCD PAL )", "MPEG2 ( SVCD PAL )", "SVCD PAL", "svcd", "mpeg2video", "mp2", Svcd(true),
             kSvcdHolds, 2600000),
        Disc("MPEG2 ( SVCD NTSC )", "MPEG2 ( SVCD NTSC )", "SVCD NTSC", "svcd", "mpeg2video", "mp2", Svcd(false),
             kSvcdHolds, 2600000),
        Disc("MPEG2 ( DVD PAL)", "MPEG2 ( DVD PAL )", "DVD PAL", "dvd", "mpeg2video", "ac3", Dvd(true), kDvdHolds,
             9800000),
        Disc("MPEG2 ( DVD NTSC )", "MPEG2 ( DVD NTSC )", "DVD NTSC", "dvd", "mpeg2video", "ac3", Dvd(false), kDvdHolds,
             9800000),
    };
}
