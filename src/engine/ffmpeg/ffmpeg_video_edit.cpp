#include "engine/ffmpeg/ffmpeg_video_edit.h"

#include "engine/ffmpeg/library_log.h"
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/ffmpeg/render_job.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/ffmpeg/temporary_file.h"
#include "engine/ffmpeg/transition_catalogue.h"
#include "engine/quillmark_error.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <optional>

namespace {

// The first of a span's two times that is not a finite number: such a clip
// would have no end.
std::optional<double> NonFinite(double start, double stop) {
    for (const double t : {start, stop})
        if (!std::isfinite(t))
            return t;
    return std::nullopt;
}

// Why the timeline cannot be rendered, naming the clip's file and the value; empty when it can.
QString BadClipTime(const Timeline& timeline, const QString& output) {
    const QString refusal = QStringLiteral("Cannot render \"%1\": the %2 time %3 is not a number of seconds");
    for (const VideoClip& clip : timeline.video)
        if (const auto t = NonFinite(clip.start, clip.stop))
            return refusal.arg(clip.file, QStringLiteral("clip"), QString::number(*t));
    for (const AudioClip& clip : timeline.audio)
        if (const auto t = NonFinite(clip.start, clip.stop))
            return refusal.arg(clip.file, QStringLiteral("clip"), QString::number(*t));
    for (const Transition& transition : timeline.transitions)
        if (const auto t = NonFinite(transition.start, transition.stop))
            return refusal.arg(output, QStringLiteral("transition"), QString::number(*t));
    return {};
}

QStringList InputFiles(const Timeline& timeline) {
    QStringList files;
    for (const VideoClip& clip : timeline.video)
        files << clip.file;
    for (const AudioClip& clip : timeline.audio)
        files << clip.file;
    return files;
}

} // namespace

FfmpegVideoEdit::FfmpegVideoEdit(QObject* parent) : TVideoEdit(parent) {
    RouteLibraryLog();
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
    if (const QString problem = BadClipTime(timeline, outputFile); !problem.isEmpty()) {
        refuse(problem);
        return false;
    }
    if (const QString input = InputAtTarget(outputFile, InputFiles(timeline)); !input.isEmpty()) {
        refuse(QStringLiteral("Cannot write \"%1\": it is the render's own input file \"%2\"").arg(outputFile, input));
        return false;
    }
    // Temporaries a crash left behind would pile up in the folder forever.
    RemoveStaleTemporaries(QFileInfo(outputFile).absolutePath());

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
    const QString temporary = tempPath;
    tempPath.clear();
    if (const QString reason = ReplaceWithTemporary(temporary, targetPath); !reason.isEmpty()) {
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
