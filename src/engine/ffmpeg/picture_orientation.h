#pragma once

#include "engine/ffmpeg/av_handles.h"

// Turns a decoded picture the way its display matrix (a JPEG's EXIF orientation)
// says it is meant to be seen. Pictures without one are returned unchanged.
av::FramePtr UprightPicture(av::FramePtr picture);
