#pragma once

#include "engine/ffmpeg/frame_fitter.h"
#include "engine/ffmpeg/frame_queue.h"
#include "engine/ffmpeg/frame_source.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/timeline_layout.h"
#include "engine/ffmpeg/transition_mixer.h"

#include <memory>
#include <vector>

// The video track as output frames: each clip fills the frames the layout gives
// it, every output frame showing the source picture nearest its time. Frame n of
// the output has pts n.
class VideoTrack {
public:
    VideoTrack(const Timeline& timeline, std::vector<ClipSpan> spans, const TimelineLayout& layout,
               const OutputPictures& output, AVPixelFormat format);

    // Pushes every output frame into the queue, then closes it (with the error
    // when one occurred). Returns early when the queue is cancelled.
    void run(FrameQueue& queue) noexcept;

    static std::unique_ptr<FrameSource> OpenSource(const VideoClip& clip, const ClipSpan& span);

private:
    bool renderClip(size_t index, FrameQueue& queue);

    std::vector<VideoClip> clips;
    std::vector<ClipSpan> spans;
    std::vector<VideoPlacement> placements;
    OutputPictures output;
    FrameFitter fitter;
    TransitionMixer mixer;
};
