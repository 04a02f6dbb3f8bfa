#pragma once

// What an output format holds beyond its one picture stream.
enum class SubtitleKind {
    None,   // no subtitle stream: every subtitle track is dropped, with a note
    Text,   // timed text (MP4's mov_text): text subtitles are converted
    Bitmap, // subtitle pictures (DVD's): bitmap subtitles are copied, text ones dropped
    AsCoded, // every subtitle track copied as it is coded (the source's own container)
};

struct StreamCapacity {
    int soundTracks = 1;           // the most sound streams, taken in source order
    SubtitleKind subtitles = SubtitleKind::None;
    int subtitleTracks = 0;
    bool chapters = false;         // chapter marks
    bool tags = false;             // file tags such as creation_time and stream languages
};

// The capacity of an output type; a type that does not exist holds one sound track only.
StreamCapacity CapacityOf(int outputType);
