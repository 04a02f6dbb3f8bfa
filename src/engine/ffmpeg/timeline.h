#pragma once

#include <QString>
#include <vector>

// What the caller put on the engine's tracks, copied when a render starts so the
// render never shares state with the caller.
struct VideoClip {
    QString file;
    double start = 0;
    double stop = 0;
    int resizeMode = 0;
};

struct AudioClip {
    QString file;
    double start = 0;
    double stop = 0;
    // The video clip added just before this one (-1: none). The sound never
    // starts before that clip does on the output, so it stays with its picture.
    int afterVideo = -1;
    // That clip's output start in seconds, worked out when the render starts.
    double anchor = 0;
    // Which of the file's streams sounds: its index among the file's streams,
    // kMainSound for the one a player would pick, kNoSound for silence (the
    // file has no such track).
    int stream = kMainSound;
    static constexpr int kMainSound = -1;
    static constexpr int kNoSound = -2;
};

struct Transition {
    int index = -1;
    double start = 0;
    double stop = 0;
};

struct Timeline {
    std::vector<VideoClip> video;
    std::vector<AudioClip> audio;
    std::vector<Transition> transitions;
};
