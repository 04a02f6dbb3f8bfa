#pragma once

#include "engine/media_player.h"
#include "engine/quillmark_error.h"

#include <QMap>
#include <QStringList>

// A player that plays nothing: it logs every call, keeps the mode a real player
// would have, and reports the length a test gives each file. Files without a
// length fail to open, as unreadable media would.
class RecordingMediaPlayer : public TMediaPlayer {
    Q_OBJECT
public:
    explicit RecordingMediaPlayer(QObject* parent = nullptr) : TMediaPlayer(parent) {}

    void SetDisplay(QWidget* panel) override;
    void Open() override;
    void SetTimeFormatMilliseconds() override { calls << "TimeFormat"; }
    void SetDisplayRect(const QRect& rect) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Close() override;
    void Seek(int positionMs) override;
    int Position() const override;
    int Length() const override;
    Mode GetMode() const override { return mode; }
    bool IsOpen() const override { return open; }
    // Frames lie on a grid of `frameRate` from 0; a time is shown as the frame at
    // or after it, and one past the end as the last frame. The frame is on show
    // at once.
    void ShowFrameAt(double seconds) override;
    void StepFrames(int count) override;
    double FramePosition() const override;
    int FrameNumber() const override;
    double FrameRate() const override { return open ? frameRate : 0; }

    double frameRate = 25;

    // Moves the position as playback would, for tests of timers and track bars.
    void advanceTo(int positionMs) {
        position = positionMs;
        exactKnown = false;
    }

    QStringList calls;
    QMap<QString, int> lengths;  // file -> length in milliseconds

private:
    void requireOpen() const;
    void showFrame(int frame);
    bool open = false;
    Mode mode = Mode::NotReady;
    int position = 0;
    double exact = 0;  // seconds of the frame shown, when the last move was frame-exact
    bool exactKnown = false;
    int length = 0;
};
