#pragma once

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/picture_orientation.h"
#include "engine/ffmpeg/placement.h"
#include "engine/ffmpeg/source_copy/source_coding.h"

// What a video stream says about showing its pictures, beyond their pixels.
struct VideoGeometry {
    Turn turn;                                  // to show the pictures upright
    AVFieldOrder fieldOrder = AV_FIELD_UNKNOWN; // as the stream declares it
    AVRational frameRate{0, 1};                 // whole frames, not fields, a second
};

// What a clip looks like once turned upright; the output's "original size" and
// display aspect come from the first clip's.
struct SourceShape {
    int width = 0;
    int height = 0;
    AVRational sampleAspect{1, 1};
    // AV_FIELD_TT or AV_FIELD_BB (the field shown first) when the frames are
    // interlaced and can stay so; progressive otherwise, turned clips included,
    // whose fields no longer lie on alternate lines.
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
    AVRational frameRate{0, 1};
    SourceCoding coding; // of the first video clip, for an output in its format
};

// What the output's frames are.
struct OutputPictures {
    PictureShape shape;
    AVRational frameRate{25, 1};
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
};

VideoGeometry ReadVideoGeometry(AVFormatContext* format, AVStream* stream);

// Whether a decoded clip is interlaced, from its first frame and the stream's
// word: AV_FIELD_TT or AV_FIELD_BB for the field shown first, else progressive.
AVFieldOrder FieldOrderOf(const VideoGeometry& geometry, const AVFrame& first);

SourceShape ShapeOf(const VideoGeometry& geometry, const AVFrame& first);

// Whether a clip's fields go into the output as they are: an interlaced output
// of the clip's own field order, frame size and rate, which the resize mode
// leaves unscaled. Any other interlaced clip is deinterlaced.
bool KeepsFields(const SourceShape& clip, const OutputPictures& output, int resizeMode);
