#pragma once

#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/placement.h"
#include "engine/ffmpeg/timeline.h"

#include <vector>

// Applies the timeline's transitions to the output frames as they pass, in
// order: over a transition's frames the picture blends from the last frame shown
// before it (black at the very start) into the timeline's own frames. A
// transition never adds or removes frames.
class TransitionMixer {
public:
    TransitionMixer(const std::vector<Transition>& transitions, const PictureShape& shape, AVPixelFormat format,
                    AVRational frameRate);
    ~TransitionMixer();

    // The frame to output in place of `frame` (whose pts is its output index).
    av::FramePtr mix(av::FramePtr frame);

    // The frame a run of frames from `from` on must start mixing at: the one
    // before a transition running at `from`, which it blends from.
    int64_t startOfRun(int64_t from) const;

private:
    struct Span {
        int64_t first; // first output frame of the transition
        int64_t end;   // one past its last frame
        const char* effect;
    };
    void begin(const Span& span);
    av::FramePtr blend(const AVFrame* to, int64_t index);

    std::vector<Span> spans;
    size_t next = 0;
    const Span* active = nullptr;
    PictureShape shape;
    AVPixelFormat format;
    AVRational rate;
    av::FramePtr lastShown; // the most recent frame output
    av::FramePtr from;      // the picture the running transition leaves
    av::GraphPtr graph;
    AVFilterContext* fromSource = nullptr;
    AVFilterContext* toSource = nullptr;
    AVFilterContext* sink = nullptr;
};
