#pragma once

#include "engine/ffmpeg/libav.h"

#include <QString>

// What a stream's tags say to a user choosing among tracks: its language
// (empty for "und") and the title someone gave it. Muxers write a handler
// name on every MP4 track; the ones they make up name no one's choice, so
// only a handler name someone typed counts as a title.
QString TrackLanguage(const AVStream* stream);
QString TrackTitle(const AVStream* stream);
