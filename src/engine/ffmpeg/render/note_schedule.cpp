#include "engine/ffmpeg/render/note_schedule.h"

NoteSchedule::NoteSchedule(std::vector<QString> notes, std::vector<double> starts,
                           std::function<void(const QString&)> say)
    : notes(std::move(notes)), starts(std::move(starts)), say(std::move(say)) {
    if (this->starts.size() != this->notes.size())
        this->starts.assign(this->notes.size(), 0);
}

void NoteSchedule::reached(double position) {
    // The last of the notes reached is the one that counts; those passed over in
    // one step are said too, in order, so nothing the engine decided goes unsaid.
    while (next < notes.size() && (next == 0 || starts[next] <= position))
        say(notes[next++]);
}
