#pragma once

#include "app/main_form.h"
#include "engine/quillmark_error.h"
#include "fakes/recording_media_player.h"
#include "fakes/recording_video_edit.h"

#include <QMap>

// Recording engines and players for a main window under test, and a duration
// probe that answers from a table (files not in it cannot be read).
inline TMainForm::Services FakeServices(QMap<QString, double> durations = {}) {
    TMainForm::Services s;
    s.makeEngine = [] { return std::make_unique<RecordingVideoEdit>(); };
    s.makePlayer = [] { return std::make_unique<RecordingMediaPlayer>(); };
    s.measureDuration = [durations](const QString& file) {
        if (!durations.contains(file)) throw QuillmarkError("Cannot read " + file + ": not a media file");
        return durations.value(file);
    };
    return s;
}
