#pragma once

#include "engine/ffmpeg/audio_format.h"
#include "engine/ffmpeg/output_settings.h"
#include "engine/ffmpeg/streams/track_tags.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

// A video encoder opened with the render's settings; `globalHeader` when the
// muxer keeps the codec's headers out of the packets.
av::CodecPtr OpenVideoEncoder(const VideoSettings& settings, bool globalHeader, const QString& shownName);

// Marks a frame as interlaced in the output's field order; progressive orders leave it alone.
void MarkFields(AVFrame* frame, AVFieldOrder order);

// Changes the video stream's parameters before the header is written.
using StreamAdjustment = std::function<void(AVCodecParameters*)>;

struct OutputChapter {
    int64_t start = 0; // milliseconds on the output
    int64_t end = 0;
    std::string title;
};

// A stream whose packets are made elsewhere (subtitles), known before the header.
struct PacketStream {
    const AVCodecParameters* parameters = nullptr;
    AVRational timeBase{1, 1000};
    TrackTags tags;
};

// What the output holds besides one picture and one sound stream.
struct OutputStreams {
    TrackTags video;
    std::vector<TrackTags> sound; // one per sound stream, the first being the settings' (or copied) one
    std::vector<PacketStream> subtitles;
    std::vector<OutputChapter> chapters;
    Options fileTags;
    // The picture stream's side data the source's stream has (turn, HDR mastering
    // and light levels), when the pictures go in as they are coded.
    std::vector<std::pair<AVPacketSideDataType, std::vector<uint8_t>>> videoSideData;
};

// The muxer and encoders of one render. Frames go in with pts counted in frames
// (video) or samples (audio); packets come out interleaved into the file.
class OutputFile {
public:
    // `path` is where the bytes go; `shownName` is the file named in messages.
    // A sound stream whose entry in `copiedSound` is set takes those parameters
    // and its packets come through writeAudioPacket; the others are encoded as
    // the settings say. With `streams` there is a sound stream per entry of its
    // `sound`, and the subtitles, side data, chapters and tags go in as it lists them.
    OutputFile(const QString& path, const QString& shownName, const OutputSettings& settings,
               const StreamAdjustment& adjustVideo = {}, const std::vector<const AVCodecParameters*>& copiedSound = {},
               const OutputStreams* streams = nullptr);

    bool hasAudio() const { return encodesSound(0); }
    bool encodesSound(size_t slot) const { return slot < sound.size() && sound[slot].encoder != nullptr; }
    bool copiesSound(size_t slot = 0) const { return slot < sound.size() && !sound[slot].encoder; }
    int soundStreams() const { return int(sound.size()); }
    // Of the sound stream `slot`, which must be encoded.
    AudioFormat audioFormat(int slot = 0) const;
    // Samples per audio frame the encoder takes.
    int audioFrameSize(int slot = 0) const;
    // Samples the audio encoder puts before the sound it is given (MP3 and AC-3
    // priming). The first audio frame should carry the sound of this sample of
    // the timeline: its first packet then lies at 0, and the sound decoded from a
    // file that cannot say to skip the priming (AVI) plays at its time.
    int audioLead(int slot = 0) const;

    void writeVideo(AVFrame* frame);
    // A packet coded elsewhere (copied, or from an encoder of its own), with its
    // times in `timeBase`; its stream index and times are changed in place.
    void writeVideoPacket(AVPacket* packet, AVRational timeBase);
    AVRational videoTimeBase() const;
    void writeAudioPacket(AVPacket* packet, AVRational timeBase, int slot = 0);
    void writeSubtitlePacket(int slot, AVPacket* packet, AVRational timeBase);
    // Whether the muxer keeps the codecs' headers out of the packets.
    bool globalHeader() const;
    // Whether the container keeps each sound packet's time (AVI plays them end to end).
    bool timesEachPacket() const;
    void writeAudio(AVFrame* frame, int slot = 0);
    // Drains the encoders and completes the file.
    void finish();

private:
    void openVideo(const VideoSettings& v, const StreamAdjustment& adjust);
    void openAudio(const AudioSettings& a);
    void addStreams(const OutputStreams& streams);
    void writePacket(AVStream* stream, AVPacket* packet, AVRational timeBase);
    void encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame);
    [[noreturn]] void fail(const QString& reason) const;
    void check(int code) const;

    QString name;
    av::OutputPtr muxer;
    av::CodecPtr videoEncoder;
    struct SoundSlot {
        av::CodecPtr encoder; // null: its packets are copied
        AVStream* stream = nullptr;
    };
    std::vector<SoundSlot> sound;
    std::vector<AVStream*> subtitles;
    AVStream* videoStream = nullptr;
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
    av::PacketPtr packet = av::NewPacket();
};
