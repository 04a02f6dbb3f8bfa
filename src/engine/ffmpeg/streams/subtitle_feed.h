#pragma once

#include "engine/ffmpeg/streams/output_marks.h"
#include "engine/ffmpeg/sound_track.h"
#include "engine/ffmpeg/streams/stream_map.h"

#include <atomic>
#include <vector>

// One subtitle stream of the output: the events of every clip's subtitle stream
// that show while the clip does, on the output's clock. Picture subtitles are
// copied as they are coded (one that began before the cut is left out: its
// picture carries its own display times); text is converted to MP4's timed text,
// or copied as coded into the source's own container, cut to the clip. Read whole when the render starts, since subtitles are small.
class SubtitleFeed : public SoundTrack {
public:
    SubtitleFeed(const SubtitleSlot& slot, const std::vector<ClipWindow>& clips, const std::atomic<bool>& stop);
    ~SubtitleFeed() override;

    // What the output's stream is; the stream is `slot` among the output's subtitles once it is open.
    const AVCodecParameters* parameters() const { return codecpar; }
    void attach(OutputFile* output, int slotIndex) { out = output, slot = slotIndex; }
    size_t events() const { return queue.size(); }

    void upTo(double seconds) override;
    void finishAt(double seconds) override;

private:
    struct Event {
        int64_t start = 0; // milliseconds on the output
        int64_t end = 0;
        av::PacketPtr packet;
    };
    void read(const ClipWindow& clip, int stream, const std::atomic<bool>& stop);
    void keep(const ClipWindow& clip, AVCodecContext* decoder, const AVPacket* packet, double start, double end);

    bool text;   // converted to timed text; else copied as coded
    bool bitmap; // pictures, which carry their own display times
    av::CodecPtr encoder; // for text
    AVCodecParameters* codecpar = nullptr;
    std::vector<Event> queue;
    size_t next = 0;
    int64_t lastStart = -1;
    OutputFile* out = nullptr;
    int slot = 0;
};
