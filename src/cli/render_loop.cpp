#include "cli/render_loop.h"

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress_bar.h"
#include "engine/video_edit.h"

#include <QCoreApplication>

int RenderToCompletion(TVideoEdit& engine, const QString& output) {
    ProgressBar bar;
    int result = kExitFailed;
    QObject::connect(&engine, &TVideoEdit::OnProcessing, [&](double pos, double total) { bar.update(pos, total); });
    QObject::connect(&engine, &TVideoEdit::OnRenderNote, [&](const QString& note) { bar.note(note); });
    QObject::connect(&engine, &TVideoEdit::OnComplete, [&] {
        bar.update(1, 1);
        bar.finish();
        result = kExitOk;
        QCoreApplication::exit();
    });
    QObject::connect(&engine, &TVideoEdit::OnError, [&](const QString& message) {
        bar.finish();
        PrintError(message);
        result = kExitFailed;
        QCoreApplication::exit();
    });
    Interrupt interrupt;
    QObject::connect(&interrupt, &Interrupt::raised, [&] {
        engine.StopRender(); // its worker removes the partial file as it winds down
        bar.finish();
        PrintError(QStringLiteral("Stopped; \"%1\" was not written").arg(output));
        result = kExitFailed;
        QCoreApplication::exit();
    });

    engine.StartRender(output);
    QCoreApplication::exec();
    // The engine outlives this call; its events must not reach the gone locals.
    QObject::disconnect(&engine, nullptr, nullptr, nullptr);
    return result;
}
