#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress_bar.h"
#include "cli/render_script.h"
#include "engine/video_edit.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// The script's text from a file, or from standard input for "-".
bool ReadScript(const QString& path, QString& text) {
    QFile file(path);
    const bool opened = path == "-" ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        PrintError(QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

int RenderCommand(const QStringList& args) {
    if (args.size() != 2) {
        PrintError(QStringLiteral("usage: quillmark-cli render SCRIPT OUTPUT   (SCRIPT - reads standard input)"));
        return kExitUsage;
    }
    QString script;
    if (!ReadScript(args[0], script))
        return kExitUsage;

    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    if (const auto bad = ApplyScript(script, *engine)) {
        PrintError(QStringLiteral("%1:%2: %3").arg(args[0]).arg(bad->line).arg(bad->message));
        return kExitUsage;
    }

    ProgressBar bar;
    int result = kExitFailed;
    QObject::connect(engine.get(), &TVideoEdit::OnProcessing, [&](double pos, double total) { bar.update(pos, total); });
    QObject::connect(engine.get(), &TVideoEdit::OnComplete, [&] {
        bar.update(1, 1);
        bar.finish();
        result = kExitOk;
        QCoreApplication::exit();
    });
    QObject::connect(engine.get(), &TVideoEdit::OnError, [&](const QString& message) {
        bar.finish();
        PrintError(message);
        result = kExitFailed;
        QCoreApplication::exit();
    });
    Interrupt interrupt;
    QObject::connect(&interrupt, &Interrupt::raised, [&] {
        engine->StopRender(); // removes the partial file before we go
        bar.finish();
        PrintError(QStringLiteral("Stopped; \"%1\" was not written").arg(args[1]));
        result = kExitFailed;
        QCoreApplication::exit();
    });

    engine->StartRender(args[1]);
    QCoreApplication::exec();
    return result;
}
