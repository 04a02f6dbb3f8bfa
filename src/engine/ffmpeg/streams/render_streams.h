#pragma once

#include "engine/ffmpeg/streams/output_marks.h"
#include "engine/ffmpeg/streams/stream_map.h"
#include "engine/ffmpeg/streams/subtitle_feed.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/timeline_layout.h"
#include "engine/video_edit.h"

#include <map>
#include <memory>
#include <vector>

// Everything a render writes besides its pictures and first sound stream: the
// further sound tracks, the subtitles, the chapters and the tags, worked out
// from every source's streams once the clips' places on the output are known.
class RenderStreams {
public:
    RenderStreams(const Timeline& timeline, const std::vector<ClipSpan>& spans, const TimelineLayout& layout,
                  AVRational frameRate, const TVideoEdit::Properties& props, const std::atomic<bool>& stop);

    // The timeline's sound clips as output sound track `track` takes them.
    std::vector<AudioClip> soundClips(size_t track) const;
    size_t soundTracks() const { return map.sound.size(); }
    const OutputStreams& outputStreams() const { return streams; }
    const std::vector<QString>& notes() const { return map.notes; }
    void setVideoSideData(AVPacketSideDataType type, std::vector<uint8_t> bytes) {
        streams.videoSideData.emplace_back(type, std::move(bytes));
    }

    // Once the output is open: the writers of the encoded sound tracks from 1 on
    // and of the subtitles, handed over once.
    std::vector<std::unique_ptr<SoundTrack>> feeds(OutputFile& out, const std::vector<AudioPlacement>& placements);

private:
    const Timeline& timeline;
    std::map<QString, FileStreams> files;
    StreamMap map;
    std::vector<std::unique_ptr<SubtitleFeed>> subtitles;
    OutputStreams streams;
};

// Formats that fix the total rate of their file (the discs) give each further
// sound track's bits from the picture's.
void LeaveRoomForSound(OutputSettings& settings, size_t soundTracks, int outputType);

// Writes the pictures' companions as one: the first sound stream and the feeds
// RenderStreams gives.
class Companions : public SoundTrack {
public:
    void add(std::unique_ptr<SoundTrack> track) {
        if (track)
            tracks.push_back(std::move(track));
    }
    bool empty() const { return tracks.empty(); }
    void upTo(double seconds) override {
        for (auto& t : tracks)
            t->upTo(seconds);
    }
    void finishAt(double seconds) override {
        for (auto& t : tracks)
            t->finishAt(seconds);
    }

private:
    std::vector<std::unique_ptr<SoundTrack>> tracks;
};
