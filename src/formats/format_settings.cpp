#include "formats/format_settings.h"

#include "common/ini_file.h"
#include "engine/video_edit.h"
#include "formats/output_format.h"

#include <cmath>

FormatSettings LoadFormatSettings(const IniFile& ini) {
    FormatSettings s;
    const FormatSettings d;
    s.VideoOnly = ini.readBool("general", "videoonly", d.VideoOnly);
    s.ResizeMode = ini.readInteger("general", "resizemode", d.ResizeMode);
    s.SmartRender = ini.readBool("general", "smartrender", d.SmartRender);

    s.VcdMode = ini.readInteger("vcd", "vcdmode", d.VcdMode);
    s.VcdWidth = ini.readInteger("vcd", "vcdwidth", d.VcdWidth);
    s.VcdHeight = ini.readInteger("vcd", "vcdheight", d.VcdHeight);
    s.VcdFrameRate = ini.readFloat("vcd", "vcdFrameRate", d.VcdFrameRate);

    s.SvcdMode = ini.readInteger("svcd", "svcdmode", d.SvcdMode);
    s.SvcdWidth = ini.readInteger("svcd", "svcdwidth", d.SvcdWidth);
    s.SvcdHeight = ini.readInteger("svcd", "svcdheight", d.SvcdHeight);
    s.SvcdFrameRate = ini.readFloat("svcd", "svcdFrameRate", d.SvcdFrameRate);

    s.DvdMode = ini.readInteger("dvd", "dvdmode", d.DvdMode);
    s.DvdWidth = ini.readInteger("dvd", "dvdwidth", d.DvdWidth);
    s.DvdHeight = ini.readInteger("dvd", "dvdheight", d.DvdHeight);
    s.DvdFrameRate = ini.readFloat("dvd", "dvdFrameRate", d.DvdFrameRate);

    // The standard MPEG formats have always used the dvd key names in their own section.
    s.MpegWidth = ini.readInteger("mpeg", "dvdwidth", d.MpegWidth);
    s.MpegHeight = ini.readInteger("mpeg", "dvdheight", d.MpegHeight);
    s.MpegFrameRate = ini.readFloat("mpeg", "dvdFrameRate", d.MpegFrameRate);
    s.MpegAudioBitrate = ini.readInteger("mpeg", "dvdbitrate", d.MpegAudioBitrate);
    s.MpegAudioSampleRate = ini.readInteger("mpeg", "dvdSampleRate", d.MpegAudioSampleRate);

    s.AviWidth = ini.readInteger("avi", "aviwidth", d.AviWidth);
    s.AviHeight = ini.readInteger("avi", "aviheight", d.AviHeight);
    s.AviFrameRate = ini.readFloat("avi", "aviFrameRate", d.AviFrameRate);
    s.AviAudioCompressor = ini.readInteger("avi", "aviaudcompr", d.AviAudioCompressor);
    s.AviVideoCompressor = ini.readInteger("avi", "avividcompr", d.AviVideoCompressor);
    s.AviOriginalSize = ini.readBool("avi", "faviorigsize", d.AviOriginalSize);

    s.WmvProfile = ini.readInteger("wmv", "wmvprofile", d.WmvProfile);

    // Values the dialog cannot show fall back to the defaults rather than reach the engine.
    auto within = [](int value, int lowest, int highest, int fallback) {
        return value >= lowest && value <= highest ? value : fallback;
    };
    s.Mp4Width = within(ini.readInteger("mp4", "width", d.Mp4Width), 16, 4096, d.Mp4Width);
    s.Mp4Height = within(ini.readInteger("mp4", "height", d.Mp4Height), 16, 4096, d.Mp4Height);
    s.Mp4OriginalSize = ini.readBool("mp4", "originalsize", d.Mp4OriginalSize);
    s.Mp4FrameRate = ini.readFloat("mp4", "framerate", d.Mp4FrameRate);
    if (!(s.Mp4FrameRate >= 0 && s.Mp4FrameRate <= 120)) s.Mp4FrameRate = d.Mp4FrameRate;
    s.Mp4Quality = within(ini.readInteger("mp4", "quality", d.Mp4Quality), 18, 28, d.Mp4Quality);
    s.Mp4Preset = within(ini.readInteger("mp4", "preset", d.Mp4Preset), 0, int(TVideoEdit::MP4Presets().size()) - 1, d.Mp4Preset);
    s.Mp4AudioBitrate = within(ini.readInteger("mp4", "audiobitrate", d.Mp4AudioBitrate), 128, 320, d.Mp4AudioBitrate);
    s.SourceQuality = within(ini.readInteger("source", "quality", d.SourceQuality), 0, 51, d.SourceQuality);
    return s;
}

void SaveFormatSettings(IniFile& ini, const FormatSettings& s) {
    ini.setInteger("general", "resizemode", s.ResizeMode);
    ini.setBool("general", "videoonly", s.VideoOnly);
    ini.setBool("general", "smartrender", s.SmartRender);

    ini.setInteger("vcd", "vcdmode", s.VcdMode);
    ini.setInteger("vcd", "vcdwidth", s.VcdWidth);
    ini.setInteger("vcd", "vcdheight", s.VcdHeight);
    ini.setFloat("vcd", "vcdFrameRate", s.VcdFrameRate);

    ini.setInteger("svcd", "svcdmode", s.SvcdMode);
    ini.setInteger("svcd", "svcdwidth", s.SvcdWidth);
    ini.setInteger("svcd", "svcdheight", s.SvcdHeight);
    ini.setFloat("svcd", "svcdFrameRate", s.SvcdFrameRate);

    ini.setInteger("dvd", "dvdmode", s.DvdMode);
    ini.setInteger("dvd", "dvdwidth", s.DvdWidth);
    ini.setInteger("dvd", "dvdheight", s.DvdHeight);
    ini.setFloat("dvd", "dvdFrameRate", s.DvdFrameRate);

    ini.setInteger("mpeg", "dvdwidth", s.MpegWidth);
    ini.setInteger("mpeg", "dvdheight", s.MpegHeight);
    ini.setFloat("mpeg", "dvdFrameRate", s.MpegFrameRate);
    ini.setInteger("mpeg", "dvdbitrate", s.MpegAudioBitrate);
    ini.setInteger("mpeg", "dvdSampleRate", s.MpegAudioSampleRate);

    ini.setInteger("avi", "aviwidth", s.AviWidth);
    ini.setInteger("avi", "aviheight", s.AviHeight);
    ini.setFloat("avi", "aviFrameRate", s.AviFrameRate);
    ini.setInteger("avi", "aviaudcompr", s.AviAudioCompressor);
    ini.setInteger("avi", "avividcompr", s.AviVideoCompressor);
    ini.setBool("avi", "faviorigsize", s.AviOriginalSize);

    ini.setInteger("wmv", "wmvprofile", s.WmvProfile);

    ini.setInteger("mp4", "width", s.Mp4Width);
    ini.setInteger("mp4", "height", s.Mp4Height);
    ini.setBool("mp4", "originalsize", s.Mp4OriginalSize);
    ini.setFloat("mp4", "framerate", s.Mp4FrameRate);
    ini.setInteger("mp4", "quality", s.Mp4Quality);
    ini.setInteger("mp4", "preset", s.Mp4Preset);
    ini.setInteger("mp4", "audiobitrate", s.Mp4AudioBitrate);

    ini.setInteger("source", "quality", s.SourceQuality);
    ini.save();
}

double OutputFrameRate(int selectedFormat, const FormatSettings& s) {
    // A rate the file holds that is no rate at all renders at 25, as the engine does.
    auto setting = [](double fps) { return fps > 0 && std::isfinite(fps) ? fps : 25.0; };
    const FormatDescription* format = FindFormat(selectedFormat);
    if (format && format->fixedFrameRate > 0) return format->fixedFrameRate;
    switch (format ? format->family : FormatFamily::Wmv) {
        case FormatFamily::Mpeg: return setting(s.MpegFrameRate);
        case FormatFamily::Avi: return setting(s.AviFrameRate);
        case FormatFamily::Mp4: return setting(s.Mp4FrameRate);
        case FormatFamily::Source: return 25.0;
        default: return 29.97;
    }
}

bool ShorterThanOneFrame(double seconds, double frameRate) {
    // A hair of tolerance: 0.04 s at 25 fps is one frame, not a rounding error short of it.
    return seconds < (1 / frameRate) * (1 - 1e-9);
}

void ApplyFormatSettings(TVideoEdit& engine, int selectedFormat, const FormatSettings& s) {
    // Each family takes its own group of settings; the disc standards fix theirs.
    const FormatDescription* format = FindFormat(selectedFormat);
    switch (format ? format->family : FormatFamily::Disc) {
        case FormatFamily::Mpeg:
            engine.SetFrameRate(static_cast<float>(s.MpegFrameRate));
            engine.SetOutputFileWidth(static_cast<int16_t>(s.MpegWidth));
            engine.SetOutputFileHeight(static_cast<int16_t>(s.MpegHeight));
            engine.SetMPEGAudioBitrate(s.MpegAudioBitrate);
            engine.SetMPEGAudioSampleRate(s.MpegAudioSampleRate);
            break;
        case FormatFamily::Avi:
            engine.SetFrameRate(static_cast<float>(s.AviFrameRate));
            // A size of 0 x 0 asks the engine to keep the frame size of the source.
            engine.SetOutputFileWidth(static_cast<int16_t>(s.AviOriginalSize ? 0 : s.AviWidth));
            engine.SetOutputFileHeight(static_cast<int16_t>(s.AviOriginalSize ? 0 : s.AviHeight));
            engine.SetUseAudioCompressor(true);
            engine.SetUseVideoCompressor(true);
            engine.SetVideoCompressor(static_cast<int16_t>(s.AviVideoCompressor));
            engine.SetAudioCompressor(static_cast<int16_t>(s.AviAudioCompressor));
            break;
        case FormatFamily::Wmv: engine.SetWMVProfile(static_cast<int16_t>(s.WmvProfile)); break;
        case FormatFamily::Mp4:
            // A rate of 0 asks the engine for the first clip's own rate.
            engine.SetFrameRate(static_cast<float>(s.Mp4FrameRate));
            engine.SetOutputFileWidth(static_cast<int16_t>(s.Mp4OriginalSize ? 0 : s.Mp4Width));
            engine.SetOutputFileHeight(static_cast<int16_t>(s.Mp4OriginalSize ? 0 : s.Mp4Height));
            engine.SetMP4Quality(s.Mp4Quality);
            engine.SetMP4Preset(static_cast<int16_t>(s.Mp4Preset));
            engine.SetMP4AudioBitrate(s.Mp4AudioBitrate);
            break;
        case FormatFamily::Source: engine.SetSourceQuality(s.SourceQuality); break;
        case FormatFamily::Disc: break;
    }
    engine.SetOutputAudio(!s.VideoOnly);
    engine.SetSmartRender(s.SmartRender);
}
