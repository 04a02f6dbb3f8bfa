#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/ffmpeg/encoder_settings/pixel_shape.h"

#include <algorithm>
#include <cmath>

namespace {

// MPEG audio layer 2 bit rates, kbit/s: MPEG-1 rates above 32 kHz, MPEG-2 below.
int NearestMp2BitRate(int kbits, int sampleRate) {
    static const int high[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    static const int low[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int* table = sampleRate >= 32000 ? high : low;
    int best = table[0];
    for (int i = 0; i < 14; ++i)
        if (std::abs(table[i] - kbits) < std::abs(best - kbits))
            best = table[i];
    return best;
}

} // namespace

OutputSettings MpegSettings(const FormatDescription& format, const TVideoEdit::Properties& props,
                            const SourceShape& first, int resizeMode) {
    OutputSettings out = SettingsIn(format);
    VideoSettings& v = out.video;
    const bool mpeg2 = v.encoder == "mpeg2video";
    SetFrameSize(v, format, props, first);
    // Pixels shaped so the frame shows the source's shape; without resizing, the
    // source's own pixels.
    const double shown = resizeMode == 1 ? v.width * Aspect(first.sampleAspect) / v.height : DisplayAspect(first);
    v.sampleAspect = mpeg2 ? Mpeg2SampleAspect(shown, v.width, v.height)
                           : Mpeg1SampleAspect(SampleAspectFor(shown, v.width, v.height));
    v.frameRate = NearestFrameRate(v.encoder, props.frameRate);
    const PixelRateRule& rate = format.pixelRate;
    v.bitRate = BitRateFor(v.width, v.height, v.frameRate, rate.bitsPerPixel, rate.lowest, rate.highest);
    if (mpeg2) {
        v.maxRate = std::min<int64_t>(v.bitRate * 2, rate.highest);
        v.bufferSize = 1835008;
    }
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) / 2)));
    if (props.outputAudio) {
        const int sampleRate = NearestSampleRate(format.audioCodec, props.mpegAudioSampleRate);
        out.audio = AudioSettings{format.audioCodec, sampleRate, 2,
                                  NearestMp2BitRate(props.mpegAudioBitrate, sampleRate) * 1000LL};
    }
    return out;
}
