#pragma once

#include "engine/ffmpeg/libav.h"

// Where a source picture goes in the output frame: the part of the source that is
// used and the rectangle of the frame it fills; the rest of the frame is black.
struct Placement {
    int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
    int dstX = 0, dstY = 0, dstWidth = 0, dstHeight = 0;
};

struct PictureShape {
    int width = 0;
    int height = 0;
    AVRational sampleAspect{1, 1};
};

// Resize modes: 0 stretch to the frame, 1 no resize (centred, padded or cropped),
// 2 keep the aspect ratio (black bars), 3 fill the frame and crop. Aspect ratios are
// compared as displayed, so non-square pixels on either side are honoured.
// Offsets and sizes are even, as 4:2:0 pictures need.
Placement PlacePicture(const PictureShape& src, const PictureShape& dst, int resizeMode);
