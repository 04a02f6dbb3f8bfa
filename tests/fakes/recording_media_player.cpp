#include "recording_media_player.h"

#include <algorithm>
#include <cmath>


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
    exactKnown = false;
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
    exactKnown = false;
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

void RecordingMediaPlayer::ShowFrameAt(double seconds) {
    calls << QString("ShowFrameAt(%1)").arg(seconds, 0, 'f', 3);
    requireOpen();
    showFrame(static_cast<int>(std::ceil(seconds * frameRate - 1e-6)));
}

void RecordingMediaPlayer::StepFrames(int count) {
    calls << QString("StepFrames(%1)").arg(count);
    requireOpen();
    showFrame(FrameNumber() + count);
}

void RecordingMediaPlayer::showFrame(int frame) {
    const int last = std::max(0, static_cast<int>(std::ceil(length / 1000.0 * frameRate)) - 1);
    exact = std::clamp(frame, 0, last) / frameRate;
    exactKnown = true;
    position = static_cast<int>(std::lround(exact * 1000));
    mode = Mode::Paused;
    emit FrameShown();
}

double RecordingMediaPlayer::FramePosition() const {
    requireOpen();
    return exactKnown ? exact : position / 1000.0;
}

int RecordingMediaPlayer::FrameNumber() const { return static_cast<int>(std::lround(FramePosition() * frameRate)); }
