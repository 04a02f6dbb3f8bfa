#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/render_loop.h"
#include "cli/render_script.h"
#include "engine/video_edit.h"

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
        PrintError(UsageText(*FindCommand("render")));
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

    return RenderToCompletion(*engine, args[1]);
}
