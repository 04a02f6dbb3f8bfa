#include "engine/video_edit.h"

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
