#include "split/split_run.h"

#include "common/folders.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/video_edit.h"

#include <QDir>
#include <algorithm>

SplitRun::SplitRun(TVideoEdit& videoEdit, QObject* parent) : QObject(parent), engine(videoEdit) {
    connect(&engine, &TVideoEdit::OnProcessing, this, [this](double pos, double duration) {
        if (active) VE1Processing(pos, duration);
    });
    connect(&engine, &TVideoEdit::OnComplete, this, [this] {
        if (active) VE1Complete();
    });
    connect(&engine, &TVideoEdit::OnError, this, [this](const QString& message) {
        if (active) VE1Error(message);
    });
}

void SplitRun::begin(const SplitSetup& s, SplitMode mode) {
    setup = s;
    splitMode = mode;
    active = true;
    g1 = 0;
    g2 = 0;
}

bool SplitRun::partsCanBeWritten() {
    for (int n = 1; n <= partCount; ++n) {
        if (splitMode == BySettings && !rows[n - 1].save) continue;
        const QString name = splitMode == BySettings ? rows[n - 1].fileName : PartFileName(setup.source, n, setup.outputExt);
        const QString file = setup.outputPath + name;
        QString problem;
        if (IsNamelessFile(name)) {
            problem = QString("Part %1 has no file name (%2); nothing was written.");
        } else if (!InputAtTarget(file, {setup.source}).isEmpty()) {
            problem = QString("Part %1 (%2) would overwrite the source file; nothing was written.");
        }
        if (!problem.isEmpty()) {
            active = false;
            emit failed(problem.arg(n).arg(QDir::toNativeSeparators(file)));
            return false;
        }
    }
    return true;
}

QString SplitRun::equalPartFile(int n) const {
    return setup.outputPath + PartFileName(setup.source, n, setup.outputExt);
}

void SplitRun::StartSplitByAmount(const SplitSetup& s, int count) {
    if (count <= 0) return;
    begin(s, ByAmount);
    partCount = count;
    partLength = setup.sourceDuration / count;
    if (!partsCanBeWritten()) return;
    currentPart = 1;
    startFirstPart(0, partLength, equalPartFile(1));
}

void SplitRun::StartSplitByTime(const SplitSetup& s, double length) {
    if (length == 0) return;
    begin(s, ByTime);
    partLength = length;
    partCount = CeilParts(setup.sourceDuration / length);
    if (!partsCanBeWritten()) return;
    currentPart = 1;
    emit progressChanged(g1, g2, gauge2Maximum());
    startFirstPart(0, length, equalPartFile(1));
}

void SplitRun::StartSplitBySettings(const SplitSetup& s, const QList<SplitRow>& list) {
    begin(s, BySettings);
    rows = list;
    partCount = static_cast<int>(rows.size());
    if (!partsCanBeWritten()) return;
    currentPart = 0;
    engine.ClearClips();
    currentPart = nextTickedRow(0);
    if (currentPart == 0) {
        FinishSplit();
        return;
    }
    const SplitRow& row = rows[currentPart - 1];
    engine.AddAudioClip(setup.source, row.start, row.stop);
    engine.AddVideoClip(setup.source, row.start, row.stop, static_cast<int16_t>(setup.formats.ResizeMode));
    engine.SetOutputType(setup.selectedFormat);
    ApplyFormatSettings(engine, setup.selectedFormat, setup.formats);
    currentOutput = setup.outputPath + row.fileName;
    engine.StartRender(currentOutput);
    emit partStarted(currentPart);
}

void SplitRun::startFirstPart(double start, double stop, const QString& file) {
    engine.ClearClips();
    engine.AddAudioClip(setup.source, start, stop);
    engine.AddVideoClip(setup.source, start, stop, static_cast<int16_t>(setup.formats.ResizeMode));
    engine.SetOutputType(setup.selectedFormat);
    ApplyFormatSettings(engine, setup.selectedFormat, setup.formats);
    currentOutput = file;
    engine.StartRender(file);
    emit partStarted(currentPart);
}

void SplitRun::startNextPart(double start, double stop, const QString& file) {
    engine.AddVideoClip(setup.source, start, stop, static_cast<int16_t>(setup.formats.ResizeMode));
    engine.AddAudioClip(setup.source, start, stop);
    currentOutput = file;
    engine.StartRender(file);
}

int SplitRun::nextTickedRow(int after) {
    for (int i = after + 1; i <= partCount; ++i) {
        if (rows[i - 1].save) return i;
        setGauges(g1, 10 * i);  // a skipped part counts as done
    }
    return 0;
}

void SplitRun::setGauges(int gauge1, int gauge2) {
    g1 = std::clamp(gauge1, 0, 100);
    g2 = std::clamp(gauge2, 0, std::max(gauge2Maximum(), 0));
    emit progressChanged(g1, g2, gauge2Maximum());
}

void SplitRun::VE1Processing(double curPos, double duration) {
    // A render of unknown length shows no progress rather than a wrong one.
    const int percent =
        duration > 0 ? static_cast<int>(std::clamp<int64_t>(RoundHalfEven(curPos * 100 / duration), 0, 100)) : 0;
    setGauges(percent, percent / 10 + (currentPart - 1) * 10);
}

void SplitRun::VE1Complete() {
    if (currentPart >= partCount) {
        FinishSplit();
        return;
    }
    if (splitMode == ByAmount || splitMode == ByTime) {
        setGauges(g1, 10 * currentPart);
        engine.ClearClips();
        engine.SetOutputType(setup.selectedFormat);
        const int n = ++currentPart;
        startNextPart((n - 1) * partLength, n * partLength, equalPartFile(n));
        emit partStarted(n);
    } else if (splitMode == BySettings) {
        setGauges(g1, 10 * currentPart);
        const int n = nextTickedRow(currentPart);
        if (n == 0) {
            FinishSplit();
            return;
        }
        currentPart = n;
        engine.ClearClips();
        engine.SetOutputType(setup.selectedFormat);
        const SplitRow& row = rows[n - 1];
        startNextPart(row.start, row.stop, setup.outputPath + row.fileName);
        emit partStarted(n);
    }
}

void SplitRun::VE1Error(const QString& message) {
    active = false;
    emit failed(QString("Part %1 (%2) was not written. %3")
                    .arg(currentPart)
                    .arg(QDir::toNativeSeparators(currentOutput), message));
}

void SplitRun::Stop() {
    if (!active) return;
    active = false;
    engine.StopRender();
}

void SplitRun::FinishSplit() {
    active = false;
    setGauges(100, gauge2Maximum());
    emit finished();
}
