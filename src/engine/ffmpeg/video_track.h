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
    // A clip marked in `asCoded` joins pictures copied from its file: its frames
    // go out as they decode, neither turned nor fitted, so the encoded ones match
    // the copied ones.
    VideoTrack(const Timeline& timeline, std::vector<ClipSpan> spans, const TimelineLayout& layout,
               const OutputPictures& output, AVPixelFormat format, std::vector<bool> asCoded = {});

    // Pushes output frames [from, to) (all of them by default) into the queue,
    // then closes it (with the error when one occurred). Returns early when the
    // queue is cancelled. A transition running at `from` is given the frame
    // before it to blend from, as in a render from the start.
    void run(FrameQueue& queue) noexcept;
    void run(FrameQueue& queue, int64_t from, int64_t to) noexcept;

    static std::unique_ptr<FrameSource> OpenSource(const VideoClip& clip, const ClipSpan& span);

private:
    bool renderClip(size_t index, FrameQueue& queue, int64_t from, int64_t to);

    std::vector<VideoClip> clips;
    std::vector<bool> asCoded;
    int64_t pushedFrom = 0; // frames before it are only mixed, to start a transition
    std::vector<ClipSpan> spans;
    std::vector<VideoPlacement> placements;
    OutputPictures output;
    FrameFitter fitter;
    TransitionMixer mixer;
};
