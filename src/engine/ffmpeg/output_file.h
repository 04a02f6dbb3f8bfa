#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/output_settings.h"

#include <QString>
#include <functional>

// A video encoder opened with the render's settings; `globalHeader` when the
// muxer keeps the codec's headers out of the packets.
av::CodecPtr OpenVideoEncoder(const VideoSettings& settings, bool globalHeader, const QString& shownName);

// Marks a frame as interlaced in the output's field order; progressive orders leave it alone.
void MarkFields(AVFrame* frame, AVFieldOrder order);

// Changes the video stream's parameters before the header is written.
using StreamAdjustment = std::function<void(AVCodecParameters*)>;

// The muxer and encoders of one render. Frames go in with pts counted in frames
// (video) or samples (audio); packets come out interleaved into the file.
class OutputFile {
public:
    // `path` is where the bytes go; `shownName` is the file named in messages.
    // With `copiedSound`, the sound stream takes those parameters and its packets
    // come through writeAudioPacket; the settings' audio encoder is not opened.
    OutputFile(const QString& path, const QString& shownName, const OutputSettings& settings,
               const StreamAdjustment& adjustVideo = {}, const AVCodecParameters* copiedSound = nullptr);

    bool hasAudio() const { return audioEncoder != nullptr; }
    bool copiesSound() const { return audioStream && !audioEncoder; }
    AudioFormat audioFormat() const;
    // Samples per audio frame the encoder takes.
    int audioFrameSize() const;
    // Samples the audio encoder puts before the sound it is given (MP3 and AC-3
    // priming). The first audio frame should carry the sound of this sample of
    // the timeline: its first packet then lies at 0, and the sound decoded from a
    // file that cannot say to skip the priming (AVI) plays at its time.
    int audioLead() const;

    void writeVideo(AVFrame* frame);
    // A packet coded elsewhere (copied, or from an encoder of its own), with its
    // times in `timeBase`; its stream index and times are changed in place.
    void writeVideoPacket(AVPacket* packet, AVRational timeBase);
    AVRational videoTimeBase() const;
    void writeAudioPacket(AVPacket* packet, AVRational timeBase);
    // Whether the muxer keeps the codecs' headers out of the packets.
    bool globalHeader() const;
    void writeAudio(AVFrame* frame);
    // Drains the encoders and completes the file.
    void finish();

private:
    void openVideo(const VideoSettings& v, const StreamAdjustment& adjust);
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
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
    av::PacketPtr packet = av::NewPacket();
};
