#pragma once

#include <cstdint>

class IniFile;
class TVideoEdit;

// The stored frame rate that asks for the first video clip's own rate (MP4 only).
constexpr double kSourceFrameRate = 0;

// The user's encoding parameters of every format family. Only some fields reach
// the engine; the VCD, SVCD and DVD ones serve the settings dialog and the file.
struct FormatSettings {
    // 0 stretch, 1 no resize, 2 keep aspect, 3 fill and crop. Keeping the aspect is
    // the default so portrait and wide clips keep their shape in any frame.
    int32_t ResizeMode = 2;
    bool VideoOnly = false;
    // Copies the stretches of a source already in the output's format instead of re-encoding them.
    bool SmartRender = true;

    int32_t VcdMode = 0;  // 0 PAL, 1 NTSC
    int32_t VcdWidth = 352;
    int32_t VcdHeight = 288;
    double VcdFrameRate = 23.976;

    int32_t SvcdMode = 0;
    int32_t SvcdWidth = 480;
    int32_t SvcdHeight = 576;
    double SvcdFrameRate = 23.976;

    int32_t DvdMode = 0;
    int32_t DvdWidth = 720;
    int32_t DvdHeight = 576;
    double DvdFrameRate = 29.97;

    int32_t MpegWidth = 480;
    int32_t MpegHeight = 576;
    double MpegFrameRate = 23.976;
    int32_t MpegAudioBitrate = 128;     // kbit/s
    int32_t MpegAudioSampleRate = 44100;  // Hz

    int32_t AviWidth = 352;
    int32_t AviHeight = 240;
    double AviFrameRate = 23.976;
    int32_t AviAudioCompressor = 4;  // position in the engine's audio compressor list
    int32_t AviVideoCompressor = 5;  // position in the engine's video compressor list
    bool AviOriginalSize = false;

    int32_t WmvProfile = 0;  // position in the engine's WMV profile list

    int32_t Mp4Width = 1280;
    int32_t Mp4Height = 720;
    bool Mp4OriginalSize = true;
    double Mp4FrameRate = kSourceFrameRate;
    int32_t Mp4Quality = 23;       // H.264 rate factor, 18 (best) to 28 (smallest)
    int32_t Mp4Preset = 2;         // position in the engine's MP4 preset list
    int32_t Mp4AudioBitrate = 160;  // kbit/s, 128 to 320

    // Rate factor of the frames re-encoded around the cuts, 1 (best) to 51; 0
    // matches the source's own quality.
    int32_t SourceQuality = 0;
};

// Reads every format key; missing or unreadable values give the defaults above.
FormatSettings LoadFormatSettings(const IniFile& ini);
// Sets every format key in the settings dialog's order and saves the file once, so
// it holds all of the new values or none. Raises on a failed save.
void SaveFormatSettings(IniFile& ini, const FormatSettings& settings);

// Frames per second of an output format: 25 for the PAL discs, 29.97 for the
// NTSC ones, the frame-rate setting for MPEG, AVI and MP4. WMV takes its rate from the
// profile, which only the engine knows; 29.97 is the fastest of them. MP4 at the
// source's rate, and "Same as source", which has no rate setting, count 25 a second,
// the engine's rate for a source whose rate is not known, as the source is not read here.
double OutputFrameRate(int selectedFormat, const FormatSettings& settings);
// True when `seconds` is shorter than one frame at `frameRate`: a part or a picture
// that short would hold no picture at all.
bool ShorterThanOneFrame(double seconds, double frameRate);

// Hands the parameters of `selectedFormat` to an engine before a render. The caller
// sets the engine's output type itself as part of the same preparation.
void ApplyFormatSettings(TVideoEdit& engine, int selectedFormat, const FormatSettings& settings);
