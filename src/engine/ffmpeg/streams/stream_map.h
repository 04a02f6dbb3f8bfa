#pragma once

#include "engine/ffmpeg/streams/file_streams.h"
#include "engine/formats/stream_capacity.h"

#include <QList>
#include <QMap>
#include <QString>
#include <vector>

// Which stream of which source fills each sound and subtitle stream of the output.
// Output sound track t takes, for every sound clip, the t-th sound stream its file
// keeps (in the file's order), or silence where the file has fewer: so a picture,
// a piece of music or a clip with one track has silence on the others, on the
// same clock as the first track. Subtitle streams go the same way over the video
// clips.
struct SubtitleSlot {
    std::vector<int> streams; // per video clip: the file's stream index, -1 for none
    AVCodecID codec = AV_CODEC_ID_NONE; // what the sources hold; every clip's stream has it
    bool bitmap = false;
    bool asCoded = false; // the packets copied as they are, not converted
    TrackTags tags;
};

struct StreamMap {
    std::vector<std::vector<int>> sound; // [output track][sound clip]: the file's stream index or AudioClip::kNoSound
    std::vector<TrackTags> soundTags;    // per output track
    std::vector<SubtitleSlot> subtitles;
    std::vector<QString> notes;          // a track of a source the output leaves out, and why
};

// `videoFiles` and `soundFiles` hold the facts of each clip's file, null for a
// picture. `kept` is the user's choice of streams per file (TVideoEdit's
// keptTracks); a file not in it keeps every stream. Without sound the map has
// no sound track; with it at least one, silent where no clip has sound, unless
// the user left out every sound track of the sources.
StreamMap MapStreams(const std::vector<const FileStreams*>& videoFiles,
                     const std::vector<const FileStreams*>& soundFiles, const QMap<QString, QList<int>>& kept,
                     const StreamCapacity& capacity, bool withSound);
