#include "split/split_run.h"

#include "common/folders.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/video_edit.h"
#include "formats/output_format.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
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
    connect(&engine, &TVideoEdit::OnRenderNote, this, [this](const QString& note) {
        if (active) setNote(note);
    });
}

void SplitRun::begin(const SplitSetup& s, SplitMode mode) {
    // A cap left by an earlier split by size would starve these parts.
    if (mode != BySize && engine.MaxVideoBitrate() != 0) engine.SetMaxVideoBitrate(0);
    setup = s;
    splitMode = mode;
    ApplyKeptTracks(engine, setup.keptTracks);
    active = true;
    g1 = 0;
    g2 = 0;
    written.clear();
    setNote({});
}

bool SplitRun::partsCanBeWritten() {
    QHash<QString, int> partOfFile;
    for (int n = 1; n <= partCount; ++n) {
        if (splitMode == BySettings && !rows[n - 1].save) continue;
        const QString name = splitMode == BySettings ? rows[n - 1].fileName : PartFileName(setup.source, n, setup.outputExt);
        const QString file = setup.outputPath + name;
        const QString shown = QDir::toNativeSeparators(PrintableName(file));
        QString problem;
        if (const QString bad = FileNameProblem(name); !bad.isEmpty()) {
            problem = QString("Part %1 has a file name \"%2\" %3").arg(n).arg(PrintableName(name), bad);
        } else if (IsNamelessFile(name)) {
            problem = QString("Part %1 has no file name (%2)").arg(n).arg(shown);
        } else if (!InputAtTarget(file, {setup.source}).isEmpty()) {
            problem = QString("Part %1 (%2) would overwrite the source file").arg(n).arg(shown);
        } else if (const QString input = InputAtTarget(file, setup.otherInputs); !input.isEmpty()) {
            problem = QString("Part %1 (%2) would overwrite \"%3\", which the split reads").arg(n).arg(shown, input);
        } else if (partOfFile.contains(file)) {
            problem = QString("Parts %1 and %2 would both be written to %3").arg(partOfFile[file]).arg(n).arg(shown);
        } else if (const QString target = TargetProblem(file); !target.isEmpty()) {
            problem = QString("Part %1 cannot be written to %2: %3").arg(n).arg(shown, target);
        }
        if (!problem.isEmpty()) {
            active = false;
            setNote({});
            emit failed(problem + "; nothing was written.");
            return false;
        }
        partOfFile.insert(file, n);
    }
    return true;
}

QStringList PlannedPartFiles(const SplitSetup& setup, SplitMode mode, int count, const QList<SplitRow>& rows) {
    QStringList files;
    if (mode == BySettings) {
        for (const SplitRow& row : rows)
            if (row.save) files << setup.outputPath + row.fileName;
        return files;
    }
    for (int n = 1; n <= count; ++n) files << setup.outputPath + PartFileName(setup.source, n, setup.outputExt);
    return files;
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

void SplitRun::StartSplitBySize(const SplitSetup& s, int64_t maxBytes) {
    if (maxBytes <= 0) return;
    begin(s, BySize);
    frameRate = OutputFrameRate(setup.selectedFormat, setup.formats);
    const FormatRate rate = EstimateFormatRate(setup.selectedFormat, setup.formats);
    if (const QString tooSmall = TooSmallForOneSecond(maxBytes, setup.selectedFormat, setup.formats); !tooSmall.isEmpty()) {
        fail(tooSmall + "; nothing was written.");
        return;
    }
    sizer.emplace(maxBytes, frameRate, rate);
    totalFrames = std::max<int64_t>(1, FramesIn(setup.sourceDuration, frameRate));
    partStartFrame = 0;
    partCount = static_cast<int>(sizer->PartsFor(totalFrames));
    reRenders = 0;
    if (!partsCanBeWritten()) return;
    currentPart = 1;
    engine.SetMaxVideoBitrate(rate.videoCap);
    partFrames = sizer->NextFrames(totalFrames);
    longerTries = 0;
    emit progressChanged(g1, g2, gauge2Maximum());
    renderSizedPart(true);
}

void SplitRun::renderSizedPart(bool first) {
    const double start = partStartFrame / frameRate;
    const bool last = partStartFrame + partFrames >= totalFrames;
    const double stop = last ? setup.sourceDuration : (partStartFrame + partFrames) / frameRate;
    partLength = stop - start;
    if (first) {
        startFirstPart(start, stop, equalPartFile(currentPart));
        return;
    }
    engine.ClearClips();
    engine.SetOutputType(setup.selectedFormat);
    startNextPart(start, stop, equalPartFile(currentPart));
    emit partStarted(currentPart);
}

void SplitRun::sizedPartComplete() {
    const int64_t bytes = QFileInfo(currentOutput).size();
    const int64_t remaining = totalFrames - partStartFrame;
    const bool last = partFrames >= remaining;
    PartSizer::Verdict verdict = sizer->Measure(partFrames, bytes, last);
    // Longer tries are a matter of filling the part well, not of the bound: two are enough.
    if (verdict == PartSizer::Verdict::Longer && longerTries >= 2) verdict = PartSizer::Verdict::Keep;
    if (verdict == PartSizer::Verdict::Shorter && partFrames <= 1) {
        fail(QString("Part %1 (%2) is %3 with a single frame, over the bound; nothing more was written.")
                 .arg(currentPart)
                 .arg(QDir::toNativeSeparators(currentOutput), ByteSizeText(bytes)));
        return;
    }
    if (verdict != PartSizer::Verdict::Keep) {
        if (verdict == PartSizer::Verdict::Longer) ++longerTries;
        ++reRenders;
        partFrames = sizer->RedoFrames(verdict, partFrames, bytes, remaining);
        setGauges(0, 10 * (currentPart - 1));
        renderSizedPart(false);
        return;
    }
    written << currentOutput;
    emit partWritten(currentPart, currentOutput, bytes);
    partStartFrame += partFrames;
    if (partStartFrame >= totalFrames) {
        partCount = currentPart;
        FinishSplit();
        return;
    }
    partCount = currentPart + static_cast<int>(sizer->PartsFor(totalFrames - partStartFrame));
    setGauges(g1, 10 * currentPart);
    ++currentPart;
    partFrames = sizer->NextFrames(totalFrames - partStartFrame);
    longerTries = 0;
    renderSizedPart(false);
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

void SplitRun::setNote(const QString& note) {
    // Each clip's note is news even when it reads as the last one did; an end clears once.
    if (note.isEmpty() && currentNote.isEmpty()) return;
    currentNote = note;
    emit noteChanged(note);
}

void SplitRun::VE1Processing(double curPos, double duration) {
    // A render of unknown length shows no progress rather than a wrong one.
    const int percent =
        duration > 0 ? static_cast<int>(std::clamp<int64_t>(RoundHalfEven(curPos * 100 / duration), 0, 100)) : 0;
    setGauges(percent, percent / 10 + (currentPart - 1) * 10);
}

void SplitRun::VE1Complete() {
    if (splitMode == BySize) {
        sizedPartComplete();
        return;
    }
    written << currentOutput;
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
    fail(QString("Part %1 (%2) was not written. %3").arg(currentPart).arg(QDir::toNativeSeparators(currentOutput), message));
}

void SplitRun::fail(const QString& message) {
    active = false;
    setNote({});
    if (engine.MaxVideoBitrate() != 0) engine.SetMaxVideoBitrate(0);
    emit failed(message);
}

void SplitRun::Stop() {
    if (!active) return;
    active = false;
    engine.StopRender();
    setNote({});
    if (engine.MaxVideoBitrate() != 0) engine.SetMaxVideoBitrate(0);
}

void SplitRun::FinishSplit() {
    active = false;
    setNote({});
    if (engine.MaxVideoBitrate() != 0) engine.SetMaxVideoBitrate(0);
    setGauges(100, gauge2Maximum());
    emit finished();
}
