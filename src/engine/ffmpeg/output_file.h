#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/output_settings.h"

#include <QString>

// The muxer and encoders of one render. Frames go in with pts counted in frames
// (video) or samples (audio); packets come out interleaved into the file.
class OutputFile {
public:
    // `path` is where the bytes go; `shownName` is the file named in messages.
    OutputFile(const QString& path, const QString& shownName, const OutputSettings& settings);

    bool hasAudio() const { return audioEncoder != nullptr; }
    AudioFormat audioFormat() const;
    // Samples per audio frame the encoder takes.
    int audioFrameSize() const;

    void writeVideo(AVFrame* frame);
    void writeAudio(AVFrame* frame);
    // Drains the encoders and completes the file.
    void finish();

private:
    void openVideo(const VideoSettings& v);
    void openAudio(const AudioSettings& a);
    void encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame);
    [[noreturn]] void fail(const QString& reason) const;
    void check(int code) const;

    QString name;
    av::OutputPtr muxer;
    av::CodecPtr videoEncoder;
    av::CodecPtr audioEncoder;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    av::PacketPtr packet = av::NewPacket();
};
