#include "engine/ffmpeg/render_job.h"

#include "engine/ffmpeg/render_workers.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/ffmpeg/temporary_file.h"
#include "engine/quillmark_error.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <mutex>

// What the job and its worker share. The worker reaches the job only through
// `receiver`, under `mutex`, and only while the job is neither stopped nor gone.
struct RenderJob::Shared {
    std::atomic<bool> stop{false};
    std::atomic<Status> status{Status::Idle};
    std::mutex mutex;
    RenderJob* receiver = nullptr;
    bool handedOver = false; // the worker queued its result and left the temporary to the job
};

namespace {

void RemoveTemporary(const QString& path) {
    QFile::remove(path);
    ReleaseTemporary(path);
}

} // namespace

RenderJob::RenderJob(RenderRequest request, QObject* parent)
    : QObject(parent), request(std::move(request)), shared(std::make_shared<Shared>()) {
    shared->receiver = this;
}

RenderJob::~RenderJob() {
    stop();
    std::lock_guard lock(shared->mutex);
    shared->receiver = nullptr;
}

RenderJob::Status RenderJob::status() const {
    return shared->status;
}

void RenderJob::later(std::function<void()> report) {
    QMetaObject::invokeMethod(
        this,
        [this, report = std::move(report)] {
            if (status() != Status::Stopping)
                report();
        },
        Qt::QueuedConnection);
}

void RenderJob::refuse(const QString& message) {
    later([this, message] {
        shared->status = Status::Failed;
        emit failed(message);
    });
}

bool RenderJob::start() {
    // Temporaries a crash left behind would pile up in the folder forever.
    RemoveStaleTemporaries(QFileInfo(request.shownPath).absolutePath());
    QString reason;
    request.writePath = CreateTemporaryBeside(request.shownPath, reason);
    if (request.writePath.isEmpty()) {
        refuse(QStringLiteral("Cannot write \"%1\": %2").arg(request.shownPath, reason));
        return false;
    }
    ClaimTemporary(request.writePath);
    shared->status = Status::Inspecting;
    StartRenderWorker([shared = shared, request = request] { Work(shared, request); });
    return true;
}

void RenderJob::stop() {
    const Status now = status();
    if (now == Status::Stopping || now == Status::Done || now == Status::Failed)
        return;
    shared->status = Status::Stopping;
    shared->stop = true;
    std::lock_guard lock(shared->mutex);
    shared->receiver = nullptr;
    // A worker that has already queued its result no longer looks at the
    // temporary; the result will not be delivered, so nobody else removes it.
    if (shared->handedOver)
        RemoveTemporary(request.writePath);
}

void RenderJob::Work(const std::shared_ptr<Shared>& shared, const RenderRequest& request) {
    auto writing = [&shared] {
        Status inspecting = Status::Inspecting;
        shared->status.compare_exchange_strong(inspecting, Status::Rendering);
    };
    auto progress = [&shared](double position, double duration) {
        std::lock_guard lock(shared->mutex);
        if (RenderJob* job = shared->receiver)
            job->later([job, position, duration] { emit job->progress(position, duration); });
    };
    auto note = [&shared](const QString& text) {
        std::lock_guard lock(shared->mutex);
        if (RenderJob* job = shared->receiver)
            job->later([job, text] { emit job->note(text); });
    };
    bool complete = false;
    QString error;
    try {
        complete = RunRender(request, shared->stop, writing, progress, note);
    } catch (const QuillmarkError& e) {
        error = e.message();
    } catch (const std::exception& e) {
        error = QStringLiteral("Cannot write \"%1\": %2").arg(request.shownPath, QString::fromUtf8(e.what()));
    } catch (...) {
        error = QStringLiteral("Cannot write \"%1\": the render failed").arg(request.shownPath);
    }

    if (!complete)
        RemoveTemporary(request.writePath); // gone before anything is said about it
    std::lock_guard lock(shared->mutex);
    RenderJob* job = shared->receiver;
    if (!job || shared->stop) {
        RemoveTemporary(request.writePath);
        return;
    }
    shared->handedOver = true;
    job->later([job, complete, error] { job->finish(complete, error); });
}

void RenderJob::finish(bool complete, const QString& error) {
    QString message = error;
    if (complete) {
        // What lies at the target may have changed while the render ran.
        QString reason = TargetProblem(request.shownPath);
        if (reason.isEmpty())
            reason = ReplaceWithTemporary(request.writePath, request.shownPath);
        else
            QFile::remove(request.writePath);
        ReleaseTemporary(request.writePath);
        if (reason.isEmpty()) {
            shared->status = Status::Done;
            emit completed();
            return;
        }
        message = QStringLiteral("Cannot write \"%1\": %2").arg(request.shownPath, reason);
    }
    shared->status = Status::Failed;
    emit failed(message);
}
