#pragma once

#include "engine/ffmpeg/timeline.h"
#include "engine/video_edit.h"

#include <QString>
#include <atomic>
#include <functional>

// One render from a timeline to a file, run on the calling thread (the engine's
// worker) with a helper thread that decodes and scales while this one encodes.
struct RenderRequest {
    Timeline timeline;
    TVideoEdit::Properties properties;
    QString writePath; // the temporary file the bytes go to
    QString shownPath; // the file the user asked for, named in messages
};

using ProgressReport = std::function<void(double position, double duration)>;
using NoteReport = std::function<void(const QString& note)>;

// True when the file is complete, false when `stop` was raised. `writing` is
// called once the clips have been inspected, before the first frame is written;
// `note` tells how each video clip is treated. Failures raise QuillmarkError with
// a message naming the file and the reason.
bool RunRender(const RenderRequest& request, const std::atomic<bool>& stop, const std::function<void()>& writing,
               const ProgressReport& progress, const NoteReport& note);
