#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <memory>

class QWidget;

// A media player with the operations, modes and units of a classic desktop media
// control: positions and lengths are whole milliseconds once the time format is set.
//
// Calling orders the pages use:
// - Split preview: SetFileName, Open, SetTimeFormatMilliseconds, SetDisplayRect,
//   Play; resume from pause: Seek, Play; Stop closes only while playing.
// - Join preview: SetFileName, SetDisplay(panel), Open, SetTimeFormatMilliseconds,
//   Length() / 1000 stored as the entry's duration, SetDisplayRect, Play. A stopped
//   or open player is closed before a picture entry is shown.
// - Join run: for each video without a known duration: SetFileName, Open,
//   SetTimeFormatMilliseconds, Length() / 1000; one Close after the loop.
// - Music: SetFileName, Open, Play; Play while paused just plays on; Stop does not
//   close; Close when the dialog closes.
//
// Errors are raised as QuillmarkError: Open with the player's error text (or
// "Unknown error code"); the transport operations on a closed player with
// "No MCI device open".
class TMediaPlayer : public QObject {
    Q_OBJECT
public:
    enum class Mode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };
    Q_ENUM(Mode)

    explicit TMediaPlayer(QObject* parent = nullptr) : QObject(parent) {}
    ~TMediaPlayer() override = default;

    void SetFileName(const QString& file) { fileName = file; }
    const QString& FileName() const { return fileName; }

    // The widget that shows the video; nullptr gives the player its own window,
    // or none for sound-only files. Set before Open.
    virtual void SetDisplay(QWidget* panel) = 0;
    // Opens FileName, closing a file already open first. When it returns, Length()
    // is known; on failure the player is left closed and QuillmarkError is raised.
    virtual void Open() = 0;
    virtual void SetTimeFormatMilliseconds() = 0;
    // Where the picture is drawn inside the display.
    virtual void SetDisplayRect(const QRect& rect) = 0;
    // Plays from the current position and returns at once.
    virtual void Play() = 0;
    // Pauses when playing, resumes when paused.
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;
    // Exact: the frame at or after the position is shown next.
    virtual void Seek(int positionMs) = 0;
    virtual int Position() const = 0;
    virtual int Length() const = 0;
    virtual Mode GetMode() const = 0;
    virtual bool IsOpen() const = 0;

    // Frame-exact marking, in seconds from the start of the file as the engine
    // counts them. Neither call waits: each leaves the player paused and emits
    // FrameShown once the frame it asked for is drawn. A call made while another
    // is under way goes on from the frame that one lands on.
    // ShowFrameAt: the first frame at or after `seconds`; past the end, the last.
    virtual void ShowFrameAt(double seconds) = 0;
    // StepFrames: `count` frames on from the frame on show, back when negative.
    virtual void StepFrames(int count) = 0;
    // The time of the frame on show, unrounded; its number, counting the file's
    // first frame as 0; the video's frame rate (0 without video).
    virtual double FramePosition() const = 0;
    virtual int FrameNumber() const = 0;
    virtual double FrameRate() const = 0;
    // The window the player opened for the picture when it was given no display;
    // nullptr otherwise, or while nothing is shown.
    virtual QWidget* OwnWindow() const { return nullptr; }

signals:
    // The mode changed (for example playback reached the end and stopped).
    void ModeChanged(TMediaPlayer::Mode mode);
    // The frame a ShowFrameAt or StepFrames asked for is on show.
    void FrameShown();

private:
    QString fileName;
};

// The libmpv player. Defined by the player implementation library.
std::unique_ptr<TMediaPlayer> CreateMediaPlayer(QObject* parent = nullptr);
