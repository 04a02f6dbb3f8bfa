#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl+C (SIGINT) and SIGTERM into a Qt signal on the event loop's thread,
// so the handler may stop a render and clean up instead of dying mid-write.
class Interrupt : public QObject {
    Q_OBJECT
public:
    // Catches both signals for the rest of the process. A command that writes
    // files calls this first thing: a signal that comes before its Interrupt
    // exists is kept, and the first Interrupt raises it at once.
    static void CatchSignals();
    // Gives both signals back their default: the process dies on them, at once if
    // one came while they were caught.
    static void ReleaseSignals();
    // Becomes readable once a caught signal has come, for a command that waits on
    // something else before its event loop runs (a script fed through a pipe);
    // -1 while the signals are not caught.
    static int WakeDescriptor();

    explicit Interrupt(QObject* parent = nullptr);
    ~Interrupt() override;

signals:
    void raised();

private:
    QSocketNotifier* notifier = nullptr;
};
