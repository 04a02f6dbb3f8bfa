#include "engine/video_edit.h"

#include <algorithm>

void TVideoEdit::SetOutputType(int value) { set(props.outputType, value, "OutputType"); }
void TVideoEdit::SetFrameRate(float value) { set(props.frameRate, value, "FrameRate"); }
void TVideoEdit::SetOutputFileWidth(int16_t value) { set(props.outputFileWidth, value, "OutputFileWidth"); }
void TVideoEdit::SetOutputFileHeight(int16_t value) { set(props.outputFileHeight, value, "OutputFileHeight"); }
void TVideoEdit::SetMPEGAudioBitrate(int value) { set(props.mpegAudioBitrate, value, "MPEGAudioBitrate"); }
void TVideoEdit::SetMPEGAudioSampleRate(int value) { set(props.mpegAudioSampleRate, value, "MPEGAudioSampleRate"); }
void TVideoEdit::SetUseAudioCompressor(bool value) { set(props.useAudioCompressor, value, "UseAudioCompressor"); }
void TVideoEdit::SetUseVideoCompressor(bool value) { set(props.useVideoCompressor, value, "UseVideoCompressor"); }
void TVideoEdit::SetAudioCompressor(int16_t value) { set(props.audioCompressor, value, "AudioCompressor"); }
void TVideoEdit::SetVideoCompressor(int16_t value) { set(props.videoCompressor, value, "VideoCompressor"); }
void TVideoEdit::SetWMVProfile(int16_t value) { set(props.wmvProfile, value, "WMVProfile"); }
void TVideoEdit::SetOutputAudio(bool value) { set(props.outputAudio, value, "OutputAudio"); }
void TVideoEdit::SetMaxVideoBitrate(int64_t value) { set(props.maxVideoBitrate, value, "MaxVideoBitrate"); }

void TVideoEdit::SetMP4Quality(int value) { set(props.mp4Quality, std::clamp(value, 18, 28), "MP4Quality"); }
void TVideoEdit::SetMP4Preset(int16_t value) {
    set(props.mp4Preset, std::clamp<int16_t>(value, 0, int16_t(MP4Presets().size() - 1)), "MP4Preset");
}
void TVideoEdit::SetSourceQuality(int value) {
    set(props.sourceQuality, std::clamp(value, 0, 51), "SourceQuality");
}
void TVideoEdit::SetSmartRender(bool value) { set(props.smartRender, value, "SmartRender"); }
void TVideoEdit::SetKeptTracks(const QString& file, const QList<int>& streams) {
    props.keptTracks[file] = streams;
    propertySet("KeptTracks", QVariant(QStringList{file, QString::number(streams.size())}));
}
void TVideoEdit::ClearKeptTracks() {
    props.keptTracks.clear();
    propertySet("KeptTracks", QVariant());
}
void TVideoEdit::SetMP4AudioBitrate(int value) {
    set(props.mp4AudioBitrate, std::clamp(value, 128, 320), "MP4AudioBitrate");
}

// x264's own preset names, fastest first; stored settings refer to them by position.
QStringList TVideoEdit::MP4Presets() { return {"ultrafast", "veryfast", "fast", "medium", "slow"}; }
