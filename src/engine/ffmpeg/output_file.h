#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/output_settings.h"

#include <QString>
#include <optional>

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
    // Samples the audio encoder puts before the sound it is given (MP3 and AC-3
    // priming). The first audio frame should carry the sound of this sample of
    // the timeline: its first packet then lies at 0, and the sound decoded from a
    // file that cannot say to skip the priming (AVI) plays at its time.
    int audioLead() const;

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
    std::optional<bool> topFieldFirst; // set for interlaced output
    av::PacketPtr packet = av::NewPacket();
};
