#pragma once

#include "engine/ffmpeg/render_pipeline.h"
#include "engine/ffmpeg/streams/render_streams.h"
#include "engine/ffmpeg/smart_plan.h"

// Writes an output whose plan copies groups of pictures: each clip's copied
// groups as they are coded, and everything between two copies (the frames
// around the cuts, pictures, transitions, clips in other formats) encoded anew
// in the copied pictures' coding. The sound is copied when the plan says so and
// encoded otherwise; `streams` adds the rest. `timeline` is the request's with
// each sound clip's stream chosen, `spans` what each of its video clips covers.
// True when the file is complete, false when `stop` was raised.
bool RunSmartRender(const RenderRequest& request, const Timeline& timeline, const std::vector<ClipSpan>& spans,
                    const SmartPlan& plan, const OutputSettings& settings, const TimelineLayout& layout,
                    RenderStreams& streams, const std::atomic<bool>& stop, const ProgressReport& progress);
