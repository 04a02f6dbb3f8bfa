#pragma once

#include "engine/ffmpeg/frame_queue.h"
#include "engine/ffmpeg/video_track.h"

#include <cstdint>
#include <thread>

// Runs a video track's frames [from, to) on a thread of their own, so decoding
// and fitting go on while the caller encodes. Leaving cancels and waits.
class TrackProducer {
public:
    TrackProducer(VideoTrack& track, FrameQueue& queue, int64_t from = 0, int64_t to = INT64_MAX)
        : queue(queue), thread([&track, &queue, from, to] { track.run(queue, from, to); }) {}
    ~TrackProducer() {
        queue.cancel();
        thread.join();
    }
    TrackProducer(const TrackProducer&) = delete;
    TrackProducer& operator=(const TrackProducer&) = delete;

private:
    FrameQueue& queue;
    std::thread thread;
};
