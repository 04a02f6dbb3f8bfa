#include "split/duration_probe_thread.h"

#include "engine/quillmark_error.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSet>

namespace {

// Probes are made and deleted on the UI thread only, so this needs no lock.
QSet<TGetFileDuration*>& live() {
    static QSet<TGetFileDuration*> probes;
    return probes;
}

constexpr int ExitWaitMs = 2000;

}  // namespace

TGetFileDuration::TGetFileDuration(Probe p, QString f, int g)
    : probe(std::move(p)), file(std::move(f)), generation(g) {}

TGetFileDuration::~TGetFileDuration() { live().remove(this); }

void TGetFileDuration::launch(Probe probe, QString file, int generation, QObject* receiver, OnMeasured onMeasured,
                              OnFailed onFailed) {
    auto* thread = new TGetFileDuration(std::move(probe), std::move(file), generation);
    live().insert(thread);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &TGetFileDuration::measured, receiver, std::move(onMeasured), Qt::QueuedConnection);
    connect(thread, &TGetFileDuration::failed, receiver, std::move(onFailed), Qt::QueuedConnection);
    static const bool exitHooked = [] {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QObject::connect(app, &QCoreApplication::aboutToQuit, [] { waitForRunning(ExitWaitMs); });
        }
        return true;
    }();
    (void)exitHooked;
    thread->start();
}

int TGetFileDuration::runningCount() {
    int n = 0;
    for (TGetFileDuration* t : live()) n += t->isRunning() ? 1 : 0;
    return n;
}

bool TGetFileDuration::waitForRunning(int ms) {
    const QDeadlineTimer deadline(ms);
    bool allEnded = true;
    for (TGetFileDuration* t : live()) allEnded = t->wait(deadline) && allEnded;
    return allEnded;
}

void TGetFileDuration::run() {
    try {
        emit measured(generation, probe(file));
    } catch (const QuillmarkError& e) {
        emit failed(generation, e.message());
    } catch (const std::exception& e) {
        emit failed(generation, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        emit failed(generation, "Cannot measure " + file);
    }
}
