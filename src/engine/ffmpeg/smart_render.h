#pragma once

#include "engine/ffmpeg/render_pipeline.h"
#include "engine/ffmpeg/streams/render_streams.h"
#include "engine/ffmpeg/smart_plan.h"

// Writes an output whose plan copies groups of pictures: clip by clip, the frames
// before the first copied group encoded anew, the copied groups, then the frames
// after the last. The sound is copied when the plan says so and encoded
// otherwise; `streams` adds the rest. `timeline` is the request's with each sound
// clip's stream chosen. True when the file is complete, false when `stop` was raised.
bool RunSmartRender(const RenderRequest& request, const Timeline& timeline, const SmartPlan& plan,
                    const OutputSettings& settings, const TimelineLayout& layout, RenderStreams& streams,
                    const std::atomic<bool>& stop, const ProgressReport& progress);
