#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

class MpvFrameRenderer;
class MpvHandle;

// Moves a paused mpv from frame to frame without ever waiting on the thread it
// runs on. A single step forward decodes on from the frame on show, as the
// player's own frame stepping does; anything else is an exact seek. Each move
// ends with `landed` once its frame has been drawn; a move asked for while one
// is under way waits for it and goes on from the frame it lands on.
class MpvFrameMarker : public QObject {
    Q_OBJECT
public:
    MpvFrameMarker(MpvHandle& mpv, MpvFrameRenderer& renderer, QObject* parent = nullptr);

    // The open file's frame rate (0 without video) and length in seconds (0 when unknown).
    void setFile(double frameRate, double lengthSeconds);
    // The first frame at or after `seconds`; past the end, the last frame.
    void showAt(double seconds);
    void step(int frames);
    // Forgets the move under way and those waiting; `landed` does not follow.
    void cancel();
    bool busy() const { return phase != Phase::Idle; }

signals:
    void landed();

private:
    struct Move {
        bool absolute = false;
        double seconds = 0;  // where an absolute move goes
        int frames = 0;      // how far a relative one goes
    };
    enum class Phase { Idle, Seek, Step, BackStep, Settle };

    void start(const Move& move);
    void seekTo(double seconds, bool toEnd);
    void frameStep(Phase next, const char* command, int giveUpMs);
    void check();
    void giveUp();
    void finish();
    double now() const;

    MpvHandle& mpv;
    MpvFrameRenderer& renderer;
    double rate = 0;
    double length = 0;
    Phase phase = Phase::Idle;
    std::optional<Move> waiting;
    bool toEnd = false;
    int seeksBegun = 0;
    int restartedAfter = 0;  // seeksBegun when playback last restarted
    int seekBase = 0;        // seeksBegun before the seek under way
    double stepFrom = 0;     // the time on show when a step began
    int takenBase = 0;       // frames drawn before it began
    int settleSteps = 0;
    QTimer patience;
};
