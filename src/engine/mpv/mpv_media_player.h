#pragma once

#include "engine/media_player.h"

#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

class MpvFrameMarker;
class MpvFrameRenderer;
class MpvHandle;
class VideoPanel;

// The media player over libmpv. Modes follow a classic media device:
// - NotReady while closed; Open while a file loads (inside Open only);
// - Stopped after Open, Stop, a finished Seek, and at the end of the file,
//   where the position stays at the length and Play does nothing;
// - Seeking from Seek until the frame at the target is ready, unless Play was
//   called meanwhile;
// - Playing and Paused as Play and Pause leave them.
// Video goes to a VideoPanel laid over the display widget, or to a window of the
// player's own when no display was given; sound-only files get neither. That
// window never takes the keyboard from the window the user works in; where it
// goes on the screen is the caller's business.
class MpvMediaPlayer : public TMediaPlayer {
    Q_OBJECT
public:
    struct Options {
        QString audioOutput;  // mpv "ao"; empty: the desktop's, or silence when it has none
        std::chrono::milliseconds openTimeout{10000};
    };

    explicit MpvMediaPlayer(QObject* parent = nullptr);
    explicit MpvMediaPlayer(Options options, QObject* parent = nullptr);
    ~MpvMediaPlayer() override;

    void SetDisplay(QWidget* panel) override;
    void Open() override;
    void SetTimeFormatMilliseconds() override {}  // positions are always milliseconds
    void SetDisplayRect(const QRect& rect) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Close() override;
    void Seek(int positionMs) override;
    int Position() const override;
    int Length() const override;
    Mode GetMode() const override;
    bool IsOpen() const override { return phase == Phase::Loaded; }
    void ShowFrameAt(double seconds) override;
    void StepFrames(int count) override;
    double FramePosition() const override;
    int FrameNumber() const override;
    double FrameRate() const override { return frameRate; }
    QWidget* OwnWindow() const override;

    // The panel the open file's video is drawn into; nullptr while closed or for
    // a file without video.
    VideoPanel* videoPanel() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Phase { Closed, Loading, Loaded };
    enum class Transport { Stopped, Playing, Paused };
    enum class LoadOutcome { Pending, Loaded, Failed };

    void ensureMpv();
    void requireOpen() const;
    void attachVideo();
    void detachVideo();
    void resetToClosed();
    void reportMode();
    void stopAtEnd();
    void fitOwnWindow();
    void readPicture();
    void setSeekOffset();
    void prepareToMark();
    void onLanded();
    // Waits for done(), up to the open timeout.
    bool waitFor(const std::function<bool()>& done);

    void onFileStarted(qint64 entryId);
    void onFileLoaded();
    void onFileEnded(qint64 entryId, bool failed, int error);
    void onSeekStarted();
    void onPlaybackRestarted();
    void onEofReachedChanged(bool reached);

    Options options;
    // Declared before the renderer: members are destroyed in reverse, and the
    // render context must go before the core.
    std::unique_ptr<MpvHandle> mpv;
    std::unique_ptr<MpvFrameRenderer> renderer;
    std::unique_ptr<MpvFrameMarker> marker;

    QPointer<QWidget> display;
    QPointer<VideoPanel> displayPanel;     // child of display
    std::unique_ptr<VideoPanel> ownWindow;  // when no display is given
    QRect displayRect;

    Phase phase = Phase::Closed;
    Transport transport = Transport::Stopped;
    qint64 entry = -1;          // mpv's playlist entry of the file being loaded or open
    bool entryStarted = false;  // its start event has arrived
    LoadOutcome loadOutcome = LoadOutcome::Pending;
    int loadError = 0;
    int lengthMs = 0;
    bool hasVideo = false;
    bool atEnd = false;
    bool seekPending = false;
    bool seekUnderway = false;  // mpv has begun the seek asked for last
    int seekTargetMs = 0;
    mutable int lastPositionMs = 0;
    double frameRate = 0;
    double pictureAspect = 0;   // width / height as shown, rotation included
    int shownWidth = 0;         // the picture's width as shown, in pixels
    double firstFrameSeconds = -1;  // time of the file's first frame, once seen
    Mode reportedMode = Mode::NotReady;
};
