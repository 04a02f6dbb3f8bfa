#pragma once

#include <QString>
#include <functional>
#include <vector>

// Says each clip's note when the render reaches the clip, so what the window
// shows is about the clip being written now, not the first or the last one.
class NoteSchedule {
public:
    // `notes[i]` belongs to the clip starting at `starts[i]` output seconds; notes
    // without a start of their own (the lists differ in length) are all said at once.
    NoteSchedule(std::vector<QString> notes, std::vector<double> starts, std::function<void(const QString&)> say);
    // The render has written up to `position` output seconds.
    void reached(double position);

private:
    std::vector<QString> notes;
    std::vector<double> starts;
    std::function<void(const QString&)> say;
    size_t next = 0;
};
