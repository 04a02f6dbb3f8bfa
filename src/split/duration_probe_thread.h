#pragma once

#include <QString>
#include <QThread>
#include <functional>

// Measures a source's playing time off the UI thread. A probe owns itself: nobody
// waits for it, it deletes itself once it has ended, and its result travels as a
// queued signal that Qt drops for a receiver destroyed meanwhile. A probe stuck on
// a stalled drive therefore never holds up a window that closes or moves on.
class TGetFileDuration : public QThread {
    Q_OBJECT
public:
    using Probe = std::function<double(const QString& file)>;

    using OnMeasured = std::function<void(int generation, double seconds)>;
    using OnFailed = std::function<void(int generation, const QString& message)>;

    // Starts measuring `file`. The results reach `receiver`'s thread, and not at
    // all once `receiver` is gone. They are connected before the thread starts:
    // a probe that ends before its caller runs again must not report to nobody.
    static void launch(Probe probe, QString file, int generation, QObject* receiver, OnMeasured onMeasured,
                       OnFailed onFailed);
    // Probes still running (UI thread only).
    static int runningCount();
    // Waits at most `ms` in all for the probes still running; the program's exit
    // calls it so that a probe ends before the libraries it uses are torn down,
    // unless its file keeps it longer than that.
    static bool waitForRunning(int ms);

    ~TGetFileDuration() override;

signals:
    void measured(int generation, double seconds);
    void failed(int generation, const QString& message);

protected:
    void run() override;

private:
    TGetFileDuration(Probe probe, QString file, int generation);

    Probe probe;
    QString file;
    int generation;
};
