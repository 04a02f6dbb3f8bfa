#pragma once

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/video_geometry.h"

// Pixel shapes: what a source shows and what an output codec can store.

AVRational Reduced(int64_t num, int64_t den);
// The shown width over height of a source; 4:3 when it is not known.
double DisplayAspect(const SourceShape& source);
// A pixel shape as a number; square when it is not known.
double Aspect(AVRational sampleAspect);
// The pixel shape that shows a frame of width x height at a display aspect.
AVRational SampleAspectFor(double displayAspect, int width, int height);

// MPEG-1 stores a pixel's shape as one of a few heights per unit of width, and
// its decoders read back the nearest; this is the stored shape nearest `wanted`.
AVRational Mpeg1SampleAspect(AVRational wanted);
// MPEG-2 stores square pixels or a display aspect of 4:3, 16:9 or 2.21:1; this is
// the pixel shape of the one nearest `displayAspect`.
AVRational Mpeg2SampleAspect(double displayAspect, int width, int height);
