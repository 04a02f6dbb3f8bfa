#include "engine/ffmpeg/encoder_settings/family_settings.h"
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/quillmark_error.h"

#include <cmath>

// The profile fixes the frame size and rate as well as the bit rates.
OutputSettings WmvSettings(const FormatDescription& format, const TVideoEdit::Properties& props, const SourceShape&,
                           int) {
    const auto& profiles = WmvProfiles();
    if (props.wmvProfile < 0 || props.wmvProfile >= int(profiles.size()))
        throw QuillmarkError(QStringLiteral("WMV profile %1 does not exist; the list has %2 entries")
                                 .arg(props.wmvProfile).arg(profiles.size()));
    const WmvProfile& p = profiles[props.wmvProfile];
    OutputSettings out = SettingsIn(format);
    VideoSettings& v = out.video;
    v.width = p.width;
    v.height = p.height;
    v.frameRate = p.frameRate;
    v.bitRate = p.videoBitRate;
    v.gop = std::max(1, int(std::lround(av_q2d(p.frameRate) * 10)));
    if (props.outputAudio)
        out.audio = AudioSettings{format.audioCodec, p.sampleRate, p.channels, p.audioBitRate};
    return out;
}
