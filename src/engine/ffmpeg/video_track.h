#pragma once

#include "engine/ffmpeg/frame_fitter.h"
#include "engine/ffmpeg/frame_queue.h"
#include "engine/ffmpeg/frame_source.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/transition_mixer.h"

#include <atomic>
#include <memory>
#include <vector>

// The video track as output frames: the clips one after another, each picture
// shown from its time until the next one's, sampled at the output frame rate.
// Frame n of the output has pts n.
class VideoTrack {
public:
    VideoTrack(const Timeline& timeline, const OutputPictures& output, AVPixelFormat format);

    // Pushes every output frame into the queue, then closes it (with the error
    // when one occurred). Returns early when the queue is cancelled.
    void run(FrameQueue& queue) noexcept;

    static std::unique_ptr<FrameSource> OpenSource(const VideoClip& clip);
    // The first output frame at or after a time: where a clip starting then begins.
    static int64_t FirstFrameAt(double seconds, double fps);

private:
    bool renderClip(const VideoClip& clip, FrameQueue& queue);

    std::vector<VideoClip> clips;
    OutputPictures output;
    FrameFitter fitter;
    TransitionMixer mixer;
    int64_t nextFrame = 0;
    double clipsLength = 0; // seconds of the clips done so far, as asked
};
