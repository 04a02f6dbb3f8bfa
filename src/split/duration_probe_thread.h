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

    // Starts measuring `file`; connect to the result signals right away (they are
    // queued, so none is missed before the event loop runs again).
    static TGetFileDuration* launch(Probe probe, QString file, int generation);
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
