#include "engine/ffmpeg/ffmpeg_video_edit.h"

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/ffmpeg/render_job.h"
#include "engine/ffmpeg/transition_catalogue.h"
#include "engine/quillmark_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Two names for one file, also when the output does not exist yet.
QString CanonicalTarget(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

// The bytes go to a hidden temporary file in the target folder, renamed over the
// target only when complete, so no one ever sees a partial file there. Created
// new (never reusing a name) with the permissions any new file would get.
QString CreateTemporaryBeside(const QString& target, QString& reason) {
    const QFileInfo info(target);
    if (!QFileInfo(info.absolutePath()).isDir()) {
        reason = QStringLiteral("the folder \"%1\" does not exist").arg(info.absolutePath());
        return {};
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.part")
                                 .arg(info.absolutePath(), info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists()) {
            reason = file.errorString();
            return {};
        }
    }
    reason = QStringLiteral("no free temporary name in its folder");
    return {};
}

} // namespace

FfmpegVideoEdit::FfmpegVideoEdit(QObject* parent) : TVideoEdit(parent) {
    // Library chatter would land on the program's stderr; failures reach the
    // caller through OnError instead.
    av_log_set_level(AV_LOG_ERROR);
}

FfmpegVideoEdit::~FfmpegVideoEdit() {
    StopRender();
}

void FfmpegVideoEdit::ClearClips() {
    timeline = Timeline{};
}

bool FfmpegVideoEdit::AddVideoClip(const QString& file, double start, double stop, int16_t resizeMode) {
    timeline.video.push_back(VideoClip{file, start, stop, resizeMode});
    return true;
}

bool FfmpegVideoEdit::AddAudioClip(const QString& file, double start, double stop) {
    timeline.audio.push_back(AudioClip{file, start, stop, int(timeline.video.size()) - 1});
    return true;
}

bool FfmpegVideoEdit::AddTransition(int16_t index, double start, double stop) {
    timeline.transitions.push_back(Transition{index, start, stop});
    return true;
}

QStringList FfmpegVideoEdit::Transitions() const {
    return TransitionNames();
}

QStringList FfmpegVideoEdit::AudioCompressors() const {
    return AudioCompressorNames();
}

QStringList FfmpegVideoEdit::VideoCompressors() const {
    return VideoCompressorNames();
}

QStringList FfmpegVideoEdit::WMVProfiles() const {
    return WmvProfileNames();
}

void FfmpegVideoEdit::refuse(const QString& message) {
    const quint64 render = generation;
    QMetaObject::invokeMethod(
        this, [this, render, message] { renderFinished(render, false, message); }, Qt::QueuedConnection);
}

bool FfmpegVideoEdit::StartRender(const QString& outputFile) {
    StopRender();
    const quint64 render = ++generation;

    if (outputFile.trimmed().isEmpty()) {
        refuse(QStringLiteral("Cannot render: no output file was given"));
        return false;
    }
    const QString target = CanonicalTarget(outputFile);
    for (const VideoClip& clip : timeline.video)
        if (CanonicalTarget(clip.file) == target) {
            refuse(QStringLiteral("Cannot write \"%1\": it is one of the render's own input files").arg(outputFile));
            return false;
        }
    for (const AudioClip& clip : timeline.audio)
        if (CanonicalTarget(clip.file) == target) {
            refuse(QStringLiteral("Cannot write \"%1\": it is one of the render's own input files").arg(outputFile));
            return false;
        }

    QString reason;
    tempPath = CreateTemporaryBeside(outputFile, reason);
    if (tempPath.isEmpty()) {
        refuse(QStringLiteral("Cannot write \"%1\": %2").arg(outputFile, reason));
        return false;
    }
    targetPath = outputFile;

    RenderRequest request{timeline, properties(), tempPath, outputFile};
    stopFlag = std::make_shared<std::atomic<bool>>(false);
    auto stop = stopFlag;
    worker = std::thread([this, render, request = std::move(request), stop] {
        auto report = [this, render](double position, double duration) {
            QMetaObject::invokeMethod(
                this,
                [this, render, position, duration] {
                    if (render == generation)
                        emit OnProcessing(position, duration);
                },
                Qt::QueuedConnection);
        };
        bool complete = false;
        QString error;
        try {
            complete = RunRender(request, *stop, report);
        } catch (const QuillmarkError& e) {
            error = e.message();
        } catch (const std::exception& e) {
            error = QStringLiteral("Cannot write \"%1\": %2").arg(request.shownPath, QString::fromUtf8(e.what()));
        }
        if (!complete)
            QFile::remove(request.writePath);
        if (*stop)
            return;
        QMetaObject::invokeMethod(
            this, [this, render, complete, error] { renderFinished(render, complete, error); }, Qt::QueuedConnection);
    });
    return true;
}

void FfmpegVideoEdit::renderFinished(quint64 render, bool complete, const QString& error) {
    if (render != generation)
        return; // a stopped or replaced render
    finishWorker();
    ++generation; // this render has said its last word
    if (!complete) {
        if (!tempPath.isEmpty())
            QFile::remove(tempPath);
        tempPath.clear();
        emit OnError(error);
        return;
    }
    // rename(2) replaces an existing file in one step, never leaving it half-written.
    const QByteArray from = QFile::encodeName(tempPath);
    const QByteArray to = QFile::encodeName(targetPath);
    tempPath.clear();
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(QFile::decodeName(from));
        emit OnError(QStringLiteral("Cannot write \"%1\": %2").arg(targetPath, reason));
        return;
    }
    emit OnComplete();
}

void FfmpegVideoEdit::finishWorker() {
    if (worker.joinable())
        worker.join();
    stopFlag.reset();
}

void FfmpegVideoEdit::StopRender() {
    ++generation; // whatever is still queued from the running render is now ignored
    if (stopFlag)
        *stopFlag = true;
    finishWorker();
    if (!tempPath.isEmpty())
        QFile::remove(tempPath);
    tempPath.clear();
}

std::unique_ptr<TVideoEdit> CreateVideoEdit(QObject* parent) {
    return std::make_unique<FfmpegVideoEdit>(parent);
}
