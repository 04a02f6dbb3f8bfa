#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/ffmpeg/encoder_settings/pixel_shape.h"

namespace {

// Disc players know 4:3 and 16:9 pictures, VCD players 4:3 only. A stretched
// source, or one fitted whole into the frame, gets the one nearer its own shape,
// so a wide clip fills a 16:9 disc picture instead of being letterboxed in a 4:3
// one; a cropped or unscaled one, and anything taller than wide, is 4:3.
AVRational DiscSampleAspect(const DiscStandard& d, const SourceShape& first, int resizeMode) {
    const bool shaped = resizeMode == 0 || resizeMode == 2;
    const bool wide = d.wide && shaped && DisplayAspect(first) > (4.0 / 3.0 + 16.0 / 9.0) / 2;
    return wide ? Reduced(16LL * d.height, 9LL * d.width) : Reduced(4LL * d.height, 3LL * d.width);
}

} // namespace

OutputSettings DiscSettings(const FormatDescription& format, const TVideoEdit::Properties& props,
                            const SourceShape& first, int resizeMode) {
    const DiscStandard& d = format.disc;
    OutputSettings out = SettingsIn(format);
    out.packetSize = d.packetSize;
    if (d.muxRate)
        out.muxerOptions.emplace_back("muxrate", std::to_string(d.muxRate));
    if (d.preloadMicroseconds)
        out.muxerOptions.emplace_back("preload", std::to_string(d.preloadMicroseconds));

    VideoSettings& v = out.video;
    v.width = d.width;
    v.height = d.height;
    v.frameRate = d.pal ? AVRational{25, 1} : AVRational{30000, 1001};
    v.sampleAspect = DiscSampleAspect(d, first, resizeMode);
    if (v.encoder == "mpeg1video")
        v.sampleAspect = Mpeg1SampleAspect(v.sampleAspect);
    // VCD is progressive by its standard; SVCD and DVD keep a fitting source's fields.
    const OutputPictures frames{{v.width, v.height, v.sampleAspect}, v.frameRate, first.fieldOrder};
    if (d.interlaced && KeepsFields(first, frames, resizeMode))
        v.fieldOrder = first.fieldOrder;
    v.bitRate = d.bitRate;
    v.maxRate = d.maxRate;
    v.minRate = d.minRate;
    v.bufferSize = d.bufferSize;
    v.gop = d.pal ? 15 : 18;
    if (d.scanOffset)
        v.options.emplace_back("scan_offset", "1");

    if (props.outputAudio)
        out.audio = AudioSettings{format.audioCodec, d.sampleRate, 2, d.audioBitRate};
    return out;
}
