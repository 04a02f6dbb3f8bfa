#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl+C (SIGINT) and SIGTERM into a Qt signal on the event loop's thread,
// so the handler may stop a render and clean up instead of dying mid-write.
class Interrupt : public QObject {
    Q_OBJECT
public:
    explicit Interrupt(QObject* parent = nullptr);
    ~Interrupt() override;

signals:
    void raised();

private:
    QSocketNotifier* notifier = nullptr;
};
