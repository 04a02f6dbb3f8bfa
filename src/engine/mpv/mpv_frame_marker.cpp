#include "mpv_frame_marker.h"

#include "mpv_frame_renderer.h"
#include "mpv_handle.h"
#include "video_panel.h"

#include <QByteArray>
#include <algorithm>

namespace {
// A step that moves nothing (at the last frame) is known only by its silence.
constexpr int kStepPatienceMs = 1000;
constexpr int kSettlePatienceMs = 250;
constexpr int kMostSettleSteps = 250;
}  // namespace

MpvFrameMarker::MpvFrameMarker(MpvHandle& handle, MpvFrameRenderer& frames, QObject* parent)
    : QObject(parent), mpv(handle), renderer(frames) {
    patience.setSingleShot(true);
    connect(&patience, &QTimer::timeout, this, &MpvFrameMarker::giveUp);
    connect(&mpv, &MpvHandle::seekStarted, this, [this] { ++seeksBegun; });
    connect(&mpv, &MpvHandle::playbackRestarted, this, [this] {
        restartedAfter = seeksBegun;
        check();
    });
    connect(&mpv, &MpvHandle::timePosChanged, this, &MpvFrameMarker::check);
    connect(&mpv, &MpvHandle::pauseChanged, this, &MpvFrameMarker::check);
    connect(&renderer, &MpvFrameRenderer::frameTaken, this, &MpvFrameMarker::check);
}

void MpvFrameMarker::setFile(double frameRate, double lengthSeconds) {
    cancel();
    rate = frameRate;
    length = lengthSeconds;
}

double MpvFrameMarker::now() const { return mpv.doubleProperty("time-pos").value_or(0.0); }

void MpvFrameMarker::showAt(double seconds) {
    const Move move{true, seconds, 0};
    if (busy()) {
        waiting = move;
    } else {
        start(move);
    }
}

void MpvFrameMarker::step(int frames) {
    if (rate <= 0 || frames == 0) return;
    if (!busy()) {
        start(Move{false, 0, frames});
    } else if (!waiting) {
        waiting = Move{false, 0, frames};
    } else if (waiting->absolute) {
        waiting->seconds += frames / rate;
    } else {
        waiting->frames += frames;
    }
}

void MpvFrameMarker::cancel() {
    phase = Phase::Idle;
    waiting.reset();
    patience.stop();
}

void MpvFrameMarker::start(const Move& move) {
    if (move.absolute) {
        seekTo(move.seconds, length > 0 && move.seconds >= length);
        return;
    }
    const double from = now();
    if (move.frames == 1 && (length <= 0 || from + 1.5 / rate < length)) {
        frameStep(Phase::Step, "frame-step", kStepPatienceMs);
        return;
    }
    // Half a frame short of the frame wanted: the seek shows the first frame at
    // or after a time, so this lands on it even when frames sit a little off
    // their nominal times.
    const double target = from + (move.frames - 0.5) / rate;
    seekTo(std::max(0.0, target), length > 0 && target >= length);
}

void MpvFrameMarker::seekTo(double seconds, bool end) {
    toEnd = end;
    seekBase = seeksBegun;
    const QByteArray at = QByteArray::number(end ? length : seconds, 'f', 6);
    if (mpv.command({"seek", at.constData(), "absolute+exact"}) < 0) {
        finish();
        return;
    }
    phase = Phase::Seek;
}

void MpvFrameMarker::frameStep(Phase next, const char* command, int giveUpMs) {
    stepFrom = now();
    takenBase = renderer.framesTaken();
    seekBase = seeksBegun;
    if (mpv.command({command}) < 0) {
        finish();
        return;
    }
    phase = next;
    patience.start(giveUpMs);
}

void MpvFrameMarker::check() {
    switch (phase) {
        case Phase::Idle:
            return;
        case Phase::Seek:
            if (restartedAfter <= seekBase) return;
            if (!toEnd) {
                finish();
                return;
            }
            // Past the end mpv rests on the last picture, at the sound's end when
            // the sound runs longer, or, in some files, a few pictures short of the
            // end. One frame back and then forward until the picture stops moving
            // lands on the last one in every case.
            settleSteps = 0;
            frameStep(Phase::BackStep, "frame-back-step", kStepPatienceMs);
            return;
        case Phase::BackStep:
            if (restartedAfter <= seekBase) return;
            frameStep(Phase::Settle, "frame-step", kSettlePatienceMs);
            return;
        case Phase::Step:
        case Phase::Settle:
            // Done once the time has moved, the frame it names is drawn, and mpv
            // has paused again: until then it may still move on by a frame.
            if (now() == stepFrom || renderer.framesTaken() <= takenBase) return;
            if (!mpv.flagProperty("pause").value_or(true)) return;
            if (phase == Phase::Step || ++settleSteps >= kMostSettleSteps) {
                finish();
            } else {
                frameStep(Phase::Settle, "frame-step", kSettlePatienceMs);
            }
            return;
    }
}

void MpvFrameMarker::giveUp() {
    if (phase == Phase::BackStep) {
        frameStep(Phase::Settle, "frame-step", kSettlePatienceMs);
    } else if (phase == Phase::Step || phase == Phase::Settle) {
        finish();
    }
}

void MpvFrameMarker::finish() {
    patience.stop();
    phase = Phase::Idle;
    if (waiting) {
        const Move next = *waiting;
        waiting.reset();
        emit landed();
        if (!busy()) start(next);
        return;
    }
    emit landed();
}
