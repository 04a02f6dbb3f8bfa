#pragma once

#include "engine/ffmpeg/render_pipeline.h"

#include <QObject>
#include <functional>
#include <memory>

// One render as the engine runs it: on a worker thread of its own, with what it
// reports delivered on the thread that owns this object. Stop never waits: a
// stopped job says nothing more, not even what it had already queued, and its
// worker winds down in the background and removes its temporary. A job shares
// nothing with the next one: its own temporary, its own stop flag.
class RenderJob : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Idle,       // not started, or refused
        Inspecting, // the worker opens and measures the clips
        Rendering,  // the worker writes the temporary
        Stopping,   // stopped; the worker may still be winding down
        Done,       // complete under the target's name
        Failed,     // the failure has been reported
    };

    // `request.shownPath` is the target; the job makes its temporary beside it.
    explicit RenderJob(RenderRequest request, QObject* parent = nullptr);
    ~RenderJob() override; // stops the job, without waiting

    // Makes the temporary and starts the worker. When the temporary cannot be
    // made, reports that as the job's failure and returns false.
    bool start();
    // Reports `message` as the job's failure without running anything.
    void refuse(const QString& message);
    // Returns at once; afterwards the job emits nothing.
    void stop();

    Status status() const;
    // The temporary being written; empty before start().
    QString temporaryPath() const { return request.writePath; }

signals:
    void progress(double position, double duration);
    void note(const QString& text);
    void completed(); // the target is complete under its own name
    void failed(const QString& message);

private:
    struct Shared;
    // The worker's whole life; touches the job only through `shared`.
    static void Work(const std::shared_ptr<Shared>& shared, const RenderRequest& request);
    // Queues `report` to run on this object's thread unless the job is stopped by then.
    void later(std::function<void()> report);
    void finish(bool complete, const QString& error);

    RenderRequest request;
    std::shared_ptr<Shared> shared;
};
