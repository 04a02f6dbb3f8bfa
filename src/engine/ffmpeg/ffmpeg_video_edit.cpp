#include "engine/ffmpeg/ffmpeg_video_edit.h"

#include "engine/ffmpeg/library_log.h"
#include "engine/ffmpeg/output_catalogue.h"
#include "engine/ffmpeg/render_job.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/ffmpeg/transition_catalogue.h"

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
    const QString backwards = QStringLiteral("Cannot render \"%1\": its %2 starts at %3 s, after it stops at %4 s");
    const auto Backwards = [&](const QString& file, const QString& what, double start, double stop) {
        return backwards.arg(file, what, QString::number(start), QString::number(stop));
    };
    for (const VideoClip& clip : timeline.video)
        if (clip.start > clip.stop)
            return Backwards(clip.file, QStringLiteral("clip"), clip.start, clip.stop);
    for (const AudioClip& clip : timeline.audio)
        if (clip.start > clip.stop)
            return Backwards(clip.file, QStringLiteral("sound clip"), clip.start, clip.stop);
    for (const Transition& transition : timeline.transitions)
        if (transition.start > transition.stop)
            return Backwards(output, QStringLiteral("transition"), transition.start, transition.stop);
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

// Why the render cannot start at all; empty when it can.
QString Refusal(const Timeline& timeline, const QString& output) {
    if (output.trimmed().isEmpty())
        return QStringLiteral("Cannot render: no output file was given");
    if (const QString problem = BadClipTime(timeline, output); !problem.isEmpty())
        return problem;
    if (const QString problem = TargetProblem(output); !problem.isEmpty())
        return QStringLiteral("Cannot write \"%1\": %2").arg(output, problem);
    if (const QString input = InputAtTarget(output, InputFiles(timeline)); !input.isEmpty())
        return QStringLiteral("Cannot write \"%1\": it is the render's own input file \"%2\"").arg(output, input);
    return {};
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

bool FfmpegVideoEdit::StartRender(const QString& outputFile) {
    StopRender();
    job = new RenderJob(RenderRequest{timeline, properties(), {}, outputFile}, this);
    connect(job, &RenderJob::progress, this, &TVideoEdit::OnProcessing);
    connect(job, &RenderJob::note, this, &TVideoEdit::OnRenderNote);
    connect(job, &RenderJob::completed, this, &TVideoEdit::OnComplete);
    connect(job, &RenderJob::failed, this, &TVideoEdit::OnError);
    if (const QString refusal = Refusal(timeline, outputFile); !refusal.isEmpty()) {
        job->refuse(refusal);
        return false;
    }
    return job->start();
}

void FfmpegVideoEdit::StopRender() {
    if (!job)
        return;
    job->stop();
    // Stop may come from a handler of the job's own report: it goes once that returns.
    job->deleteLater();
    job = nullptr;
}

std::unique_ptr<TVideoEdit> CreateVideoEdit(QObject* parent) {
    return std::make_unique<FfmpegVideoEdit>(parent);
}
