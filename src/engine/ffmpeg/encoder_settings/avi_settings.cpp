#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/quillmark_error.h"

#include <cmath>

OutputSettings AviSettings(const FormatDescription& format, const TVideoEdit::Properties& props,
                           const SourceShape& first, int) {
    const auto& videos = AviVideoCompressors();
    const auto& audios = AviAudioCompressors();
    const int videoIndex = props.useVideoCompressor ? props.videoCompressor : int(videos.size()) - 1;
    if (videoIndex < 0 || videoIndex >= int(videos.size()))
        throw QuillmarkError(QStringLiteral("Video compressor %1 does not exist; the list has %2 entries")
                                 .arg(videoIndex).arg(videos.size()));
    const VideoCompressor& vc = videos[videoIndex];

    OutputSettings out = SettingsIn(format);
    VideoSettings& v = out.video;
    v.encoder = vc.encoder;
    v.pixelFormat = vc.pixelFormat;
    v.tag = vc.tag;
    SetFrameSize(v, format, props, first);
    v.frameRate = NearestFrameRate(v.encoder, props.frameRate);
    if (vc.bitsPerPixel > 0)
        v.bitRate = BitRateFor(v.width, v.height, v.frameRate, vc.bitsPerPixel, 200000, 50000000);
    v.gop = std::max(1, int(std::lround(av_q2d(v.frameRate) * 10)));
    // AVI keeps no presentation times: frames coded out of order (B-frames) would
    // open the file on a decoder's delay, every picture late by it.
    if (v.encoder == "libx264")
        v.options = {{"preset", "fast"}, {"crf", "23"}, {"bf", "0"}};

    if (props.outputAudio) {
        const int audioIndex = props.useAudioCompressor ? props.audioCompressor : 0;
        if (audioIndex < 0 || audioIndex >= int(audios.size()))
            throw QuillmarkError(QStringLiteral("Audio compressor %1 does not exist; the list has %2 entries")
                                     .arg(audioIndex).arg(audios.size()));
        const AudioCompressor& ac = audios[audioIndex];
        out.audio = AudioSettings{ac.encoder, ac.sampleRate, 2, ac.bitRate};
    }
    return out;
}
