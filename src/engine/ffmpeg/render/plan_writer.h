#pragma once

#include "engine/ffmpeg/render_pipeline.h"
#include "engine/ffmpeg/streams/render_streams.h"
#include "engine/ffmpeg/render/render_plan.h"

// Writes the output its plan describes, turn by turn: each clip's copied groups
// as they are coded, and everything between two copies (the frames around the
// cuts, pictures, transitions, clips in other formats) encoded in the copied
// pictures' coding; a plan without copies is one encode with the output's own
// settings. The sound is copied where the plan says so and encoded otherwise;
// `streams` adds the rest. `timeline` is the request's with each sound clip's
// stream chosen, `spans` what each of its video clips covers. True when the file
// is complete, false when `stop` was raised.
bool WritePlan(const RenderRequest& request, const Timeline& timeline, const std::vector<ClipSpan>& spans,
               const RenderPlan& plan, const OutputSettings& settings, const TimelineLayout& layout,
               RenderStreams& streams, const std::atomic<bool>& stop, const ProgressReport& progress);
