#pragma once

#include <QString>

class IniFile;

// How pictures in the join list are shown: for how long, with which transition in
// front of them, and which music plays under them.
struct PictureOptions {
    double PictureDuration = 4;     // seconds; stored as whole seconds
    double TransitionDuration = 2;  // seconds; stored as whole seconds
    int TransitionIndex = 0;        // position in the engine's transition list; -1 for random
    bool RandomTransition = true;
    QString MusicFile;  // full path; empty for no music; never stored
};

PictureOptions LoadPictureOptions(const IniFile& ini);
// Sets the four stored keys and saves the file once; durations lose their fraction
// (2.9 s is stored as 2).
void SavePictureOptions(IniFile& ini, const PictureOptions& options);

// Why a picture shown for `seconds` cannot be rendered at `frameRate` frames per
// second: not a number of seconds, or shorter than one frame. Empty when it can.
QString PictureDurationProblem(double seconds, double frameRate);
// The same for a transition, where 0 means a plain cut.
QString TransitionDurationProblem(double seconds, double frameRate);
// The first problem of the two durations in `options`; empty when there is none.
QString PictureTimingProblem(const PictureOptions& options, double frameRate);
