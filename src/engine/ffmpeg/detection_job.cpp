#include "engine/ffmpeg/detection_job.h"

#include "engine/ffmpeg/render_workers.h"
#include "engine/quillmark_error.h"

#include <QElapsedTimer>
#include <mutex>

// The worker reaches the job only through `receiver`, under `mutex`, and only
// while the job is neither stopped nor gone.
struct DetectionJob::Shared {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    DetectionJob* receiver = nullptr;

    // Queues `report` to the job's thread; dropped there if the job stopped since.
    template <typename Report>
    void later(Report report) {
        std::lock_guard lock(mutex);
        if (!receiver)
            return;
        DetectionJob* job = receiver;
        QMetaObject::invokeMethod(
            job,
            [job, report = std::move(report), self = this] {
                if (!self->stop)
                    report(job);
            },
            Qt::QueuedConnection);
    }
};

DetectionJob::DetectionJob(QString file, DetectionSettings settings, QObject* parent)
    : QObject(parent), file(std::move(file)), settings(settings), shared(std::make_shared<Shared>()) {
    shared->receiver = this;
}

DetectionJob::~DetectionJob() { stop(); }

void DetectionJob::start() {
    if (started)
        return;
    started = true;
    StartRenderWorker([shared = shared, file = file, settings = settings] { Work(shared, file, settings); });
}

void DetectionJob::stop() {
    shared->stop = true;
    ended = true;
    std::lock_guard lock(shared->mutex);
    shared->receiver = nullptr;
}

void DetectionJob::Work(const std::shared_ptr<Shared>& shared, const QString& file, const DetectionSettings& settings) {
    QElapsedTimer sinceReport;
    sinceReport.start();
    // A few reports a second are plenty for a bar, and do not flood the queue.
    const auto progress = [&](double position, double duration) {
        if (sinceReport.elapsed() < 100)
            return;
        sinceReport.restart();
        shared->later([position, duration](DetectionJob* job) { emit job->progress(position, duration); });
    };
    try {
        const QList<double> points = DetectSplitPoints(file, settings, shared->stop, progress);
        shared->later([points](DetectionJob* job) {
            job->ended = true;
            emit job->finished(points);
        });
    } catch (const QuillmarkError& e) {
        shared->later([message = e.message()](DetectionJob* job) {
            job->ended = true;
            emit job->failed(message);
        });
    } catch (const std::exception& e) {
        shared->later([message = QStringLiteral("Cannot look for split points in \"%1\": %2")
                                     .arg(file, QString::fromUtf8(e.what()))](DetectionJob* job) {
            job->ended = true;
            emit job->failed(message);
        });
    }
}
