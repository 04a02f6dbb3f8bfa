#pragma once

#include "engine/ffmpeg/streams/file_streams.h"
#include "engine/ffmpeg/output_file.h"

#include <vector>

// Where one video clip shows its file on the output: file time t plays at
// outStart + (t - fileStart), until outEnd.
struct ClipWindow {
    const FileStreams* facts = nullptr; // null for a picture
    QString file;
    double fileStart = 0;
    double outStart = 0;
    double outEnd = 0;

    double toOutput(double t) const { return outStart + (t - fileStart); }
    double fileEnd() const { return fileStart + (outEnd - outStart); }
};

// The output's chapters: each source chapter cut to the part of it the clip
// shows, moved to the output's clock; with `perEntry` (a join), first a chapter
// for every clip named after its file, and a source chapter only where it starts
// inside its clip.
std::vector<OutputChapter> OutputChapters(const std::vector<ClipWindow>& clips, bool perEntry);

// The first clip's file tags, less those that describe the old file rather than
// the recording; its creation time moved on by where the output starts in it.
Options OutputTags(const ClipWindow& first);
