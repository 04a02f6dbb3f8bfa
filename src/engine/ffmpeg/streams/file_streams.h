#pragma once

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/streams/track_tags.h"

#include <QString>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

// What one source file holds besides the picture the render shows: its sound
// and subtitle streams with their tags, its chapters and its own tags. Read once
// per file when a render starts.
struct StreamFacts {
    int index = 0;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVCodecID codec = AV_CODEC_ID_NONE;
    bool bitmap = false; // subtitles drawn as pictures
    TrackTags tags;
    int channels = 0; // sound only
};

struct ChapterMark {
    double start = 0; // seconds from the file's start, as the readers count them
    double end = 0;
    std::string title;
};

struct FileStreams {
    QString file;
    std::vector<StreamFacts> streams;
    std::vector<ChapterMark> chapters;
    std::vector<std::pair<std::string, std::string>> tags;
};

// Raises QuillmarkError naming the file when it cannot be read as media.
FileStreams ReadFileStreams(const QString& file, const std::atomic<bool>* stop);
