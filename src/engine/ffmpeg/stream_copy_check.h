#pragma once

#include "engine/ffmpeg/output_settings.h"
#include "engine/ffmpeg/video_geometry.h"

#include <QString>

// Whether the pictures of a video stream can go into the output as they are
// coded: the output's codec, frame size, pixel format and shape, frame rate and
// fields, within its rate limits, upright. Returns why not, as the end of a
// sentence ("its frame size 640x480 is not the output's 720x576"), or nothing
// when they can.
QString CopyMismatch(AVFormatContext* format, AVStream* stream, const SourceShape& shape, const VideoGeometry& geometry,
                     const OutputSettings& settings, const TVideoEdit::Properties& props);
