#pragma once

#include "common/track_choice.h"
#include "formats/format_settings.h"
#include "join/join_list.h"
#include "join/picture_options.h"

#include <QList>
#include <QString>
#include <functional>

class TVideoEdit;

// Turning a join list into one engine timeline, without any window: the join page
// and the command line build their timelines here.

// The playing time of a video in seconds. Raises QuillmarkError when the file
// cannot be read.
using DurationMeter = std::function<double(const QString& path)>;
// A transition index drawn uniformly from 0 to `highest`, both included.
using TransitionDraw = std::function<int(int highest)>;

struct JoinTimelineSetup {
    int selectedFormat = 8;  // output type 0..9
    FormatSettings formats;  // ResizeMode and the selected format's parameters
    int transitionCount = 0;  // entries of the engine's transition list
    KeptTracks keptTracks;    // per video, its sound and subtitle tracks when not all go in
};

// Loads the timeline for `items` into `engine`: ClearClips, the kept tracks, the
// format's parameters, the output type, then in list order each video (with its sound) and
// each picture with a transition in front of it and, when a music file is set, the
// next slice of the music under it.
//
// A video whose duration is not above 0 is measured with `measure` and the result
// is stored in its entry, so later joins and the preview reuse it. With the random
// flag set, each picture draws its transition with `draw` and the drawn index is
// kept in `options`, as the options dialog saves it later.
//
// A failed measurement raises; clips already added stay in the engine and the
// durations measured so far stay stored. The render is not started here.
void BuildJoinTimeline(TVideoEdit& engine, QList<JoinItem>& items, PictureOptions& options,
                       const JoinTimelineSetup& setup, const DurationMeter& measure, const TransitionDraw& draw);

// The index a random picture uses for a list of `count` transitions: drawn from
// 0 to count - 2 (the last one is never drawn). A list of one has only index 0 to
// offer; an empty list gives -1, a plain cut.
int RandomTransitionIndex(int count, const TransitionDraw& draw);

// A draw from a generator seeded from the clock when it is made: one per run.
TransitionDraw ClockSeededDraw();

// The output file of a join: the folder (a separator is added when missing), the
// typed name without its last extension, a dot and `extension`.
QString JoinOutputFileName(const QString& folder, const QString& typedName, const QString& extension);
