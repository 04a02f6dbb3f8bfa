#pragma once

#include "engine/ffmpeg/av_handles.h"

// How a picture is turned to be seen upright: a transpose, then mirrorings.
struct Turn {
    bool transpose = false;
    bool flipX = false; // applied after the transpose
    bool flipY = false;

    bool none() const { return !transpose && !flipX && !flipY; }
};

// The turn a display matrix asks for: a video stream's, or a JPEG's EXIF
// orientation as its decoder reports it.
Turn TurnFor(const int32_t* matrix);

// The picture turned, its timing and colour properties kept, its pixels' shape
// turned with it. Planar formats are turned as they are; others are converted to
// a planar one first.
av::FramePtr TurnPicture(av::FramePtr picture, const Turn& turn);

// Turns a decoded picture the way its own display matrix says. Pictures without
// one are returned unchanged.
av::FramePtr UprightPicture(av::FramePtr picture);
