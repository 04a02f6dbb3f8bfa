#include "render_wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "quill_engine_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

RenderOutcome RenderAndWait(TVideoEdit& engine, const QString& output, int timeoutMs) {
    EnsureApplication();
    RenderOutcome outcome;
    QEventLoop loop;
    auto progress = QObject::connect(&engine, &TVideoEdit::OnProcessing, [&](double pos, double total) {
        ++outcome.progressReports;
        outcome.lastPosition = pos;
        outcome.lastDuration = total;
    });
    auto complete = QObject::connect(&engine, &TVideoEdit::OnComplete, [&] {
        outcome.completed = true;
        ++outcome.events;
        loop.quit();
    });
    auto error = QObject::connect(&engine, &TVideoEdit::OnError, [&](const QString& message) {
        outcome.error = message;
        ++outcome.events;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    engine.StartRender(output);
    if (outcome.events == 0)
        loop.exec();
    Spin(50);
    QObject::disconnect(progress);
    QObject::disconnect(complete);
    QObject::disconnect(error);
    return outcome;
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

std::unique_ptr<TVideoEdit> LosslessAviEngine(int width, int height) {
    EnsureApplication();
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    engine->SetOutputType(8);
    engine->SetUseVideoCompressor(false);
    engine->SetUseAudioCompressor(false);
    engine->SetOutputFileWidth(int16_t(width));
    engine->SetOutputFileHeight(int16_t(height));
    engine->SetFrameRate(25);
    return engine;
}
