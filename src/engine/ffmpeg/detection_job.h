#pragma once

#include "engine/split_point_detection.h"

#include <QObject>
#include <memory>

// One search for split points, on a worker thread of its own, with what it
// reports delivered on the thread that owns this object. Stop never waits: a
// stopped job says nothing more, and its worker winds down in the background.
class DetectionJob : public QObject {
    Q_OBJECT
public:
    DetectionJob(QString file, DetectionSettings settings, QObject* parent = nullptr);
    ~DetectionJob() override; // stops the job, without waiting

    void start();
    // Returns at once; afterwards the job emits nothing.
    void stop();
    bool running() const { return started && !ended; }

signals:
    void progress(double position, double duration);
    void finished(const QList<double>& points);
    void failed(const QString& message);

private:
    struct Shared;
    static void Work(const std::shared_ptr<Shared>& shared, const QString& file, const DetectionSettings& settings);

    QString file;
    DetectionSettings settings;
    std::shared_ptr<Shared> shared;
    bool started = false;
    bool ended = false;
};
