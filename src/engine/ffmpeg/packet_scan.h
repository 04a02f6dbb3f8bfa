#pragma once

#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/render/render_plan.h"

#include <QString>
#include <atomic>
#include <vector>

// What the packets of a video stream say about its pictures, read without
// decoding them: where each is shown, which ones a decoder can start on.
struct PacketFacts {
    int64_t pts = 0;
    int64_t dts = 0;
    int64_t index = 0; // frame on the file's grid
    bool key = false;
    bool entry = false; // a decoder can start here with nothing from before
    bool timed = false; // the container gave its presentation time
    bool group = false; // opens an MPEG group of pictures
    int reference = -1; // an MPEG picture's place in its group, shown order
    int size = 0;
};

struct Scan {
    std::vector<PacketFacts> packets; // in decoding order
    bool reachedEnd = false;
    QString problem;
};

// Reads the packets around a clip's frames [first, end) on its file's grid, and why
// they cannot be copied when they show it (a picture without a time, frames off the grid).
Scan ScanPackets(MediaReader& reader, const ClipCopy& clip, const std::atomic<bool>& stop);
