#pragma once

#include "engine/ffmpeg/libav.h"

#include <QString>
#include <memory>

// Opened and indexed inputs, kept between the readers of one file. A split into
// a hundred parts reads its source a dozen times a part; an AVI, MP4 or Matroska
// file reads its whole index at each open, so each open of a long recording
// costs more than the part's own work. A reader takes an input kept for its
// file (moved back to the start) or opens one, and hands it back when done. An
// input idle for a few seconds is closed, so no file stays open behind the
// user's back once a run has ended (a card could not be ejected).
namespace kept_inputs {

struct Returner {
    QString file;
    void operator()(AVFormatContext* input) const;
};
using Input = std::unique_ptr<AVFormatContext, Returner>;

// An input of `file` whose streams are found, with `interrupt` asked during its
// reads. Returns a null input and the library's error code in `error` when the
// file cannot be opened.
Input Take(const QString& file, const QByteArray& url, AVIOInterruptCB interrupt, int& error, bool& foundStreams);

// Closes every input no reader holds.
void CloseIdle();

// How many inputs are kept idle now (for tests).
int IdleCount();

} // namespace kept_inputs
