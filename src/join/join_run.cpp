#include "join/join_run.h"

#include "engine/video_edit.h"
#include "common/rounding.h"

#include <QDir>
#include <algorithm>

JoinRun::JoinRun(TVideoEdit& videoEdit, QObject* parent) : QObject(parent), engine(videoEdit) {
    // Only the render this run started is followed; events of the split engine's
    // twin or of an earlier render are not ours.
    connect(&engine, &TVideoEdit::OnProcessing, this, [this](double pos, double duration) {
        if (active) VE2Processing(pos, duration);
    });
    connect(&engine, &TVideoEdit::OnComplete, this, [this] {
        if (active) VE2Complete();
    });
    connect(&engine, &TVideoEdit::OnError, this, [this](const QString& message) {
        if (active) VE2Error(message);
    });
    connect(&engine, &TVideoEdit::OnRenderNote, this, [this](const QString& note) {
        if (active) setNote(note);
    });
}

void JoinRun::Start(const QString& file) {
    outputFile = file;
    active = true;
    setNote({});
    engine.StartRender(file);
}

void JoinRun::Stop() {
    active = false;
    engine.StopRender();
    setNote({});
}

void JoinRun::VE2Processing(double curPos, double duration) {
    // A render of unknown length has no percentage; the gauge stays where it is.
    if (!(duration > 0)) return;
    const double percent = curPos * 100 / duration;
    if (percent != percent) return;
    emit progressChanged(static_cast<int>(std::clamp<int64_t>(RoundHalfEven(std::clamp(percent, 0.0, 100.0)), 0, 100)));
}

void JoinRun::VE2Complete() {
    active = false;
    setNote({});
    emit finished();
}

void JoinRun::VE2Error(const QString& message) {
    active = false;
    setNote({});
    emit failed(QString("%1 was not written. %2").arg(QDir::toNativeSeparators(outputFile), message));
}

void JoinRun::setNote(const QString& note) {
    // Each clip's note is news even when it reads as the last one did; an end clears once.
    if (note.isEmpty() && currentNote.isEmpty()) return;
    currentNote = note;
    emit noteChanged(note);
}
