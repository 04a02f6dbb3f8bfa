#include "recording_media_player.h"

#include <algorithm>


void RecordingMediaPlayer::SetDisplay(QWidget* panel) { calls << (panel ? "Display(panel)" : "Display(none)"); }

void RecordingMediaPlayer::Open() {
    calls << QString("Open(%1)").arg(FileName());
    if (open) Close();
    if (!lengths.contains(FileName())) {
        throw QuillmarkError(QString("Cannot open %1: not a media file").arg(FileName()));
    }
    open = true;
    mode = Mode::Stopped;
    position = 0;
    length = lengths.value(FileName());
}

void RecordingMediaPlayer::SetDisplayRect(const QRect& rect) {
    calls << QString("Rect(%1,%2,%3,%4)").arg(rect.left()).arg(rect.top()).arg(rect.right()).arg(rect.bottom());
}

void RecordingMediaPlayer::requireOpen() const {
    if (!open) throw QuillmarkError("No MCI device open");
}

void RecordingMediaPlayer::Play() {
    calls << "Play";
    requireOpen();
    mode = Mode::Playing;
}

void RecordingMediaPlayer::Pause() {
    calls << "Pause";
    requireOpen();
    mode = mode == Mode::Paused ? Mode::Playing : mode == Mode::Playing ? Mode::Paused : mode;
}

void RecordingMediaPlayer::Stop() {
    calls << "Stop";
    requireOpen();
    mode = Mode::Stopped;
}

void RecordingMediaPlayer::Close() {
    calls << "Close";
    open = false;
    mode = Mode::NotReady;
    position = 0;
    length = 0;
}

void RecordingMediaPlayer::Seek(int positionMs) {
    calls << QString("Seek(%1)").arg(positionMs);
    requireOpen();
    position = std::clamp(positionMs, 0, length);
    mode = Mode::Stopped;
}

int RecordingMediaPlayer::Position() const {
    requireOpen();
    return position;
}

int RecordingMediaPlayer::Length() const {
    requireOpen();
    return length;
}
