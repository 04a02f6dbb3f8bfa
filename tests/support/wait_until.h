#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Runs the event loop until the condition holds or the time is up; returns
// whether it holds. Limits are generous: they only end a test that would hang.
template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// Runs the event loop for a while, for checks that something does NOT happen.
inline void keepRunningFor(int ms) {
    waitUntil([] { return false; }, ms);
}
