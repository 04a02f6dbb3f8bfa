#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/render_loop.h"
#include "cli/render_script.h"
#include "cli/user_text.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/quillmark_error.h"
#include "engine/video_edit.h"

#include <QFileInfo>

int RenderCommand(const QStringList& args) {
    if (args.size() != 2) {
        PrintError(UsageText(*FindCommand("render")));
        return kExitUsage;
    }
    const QString& scriptFile = args[0];
    const QString& output = args[1];
    std::optional<QString> script;
    try {
        script = ReadUserText(scriptFile);
    } catch (const QuillmarkError& e) {
        PrintError(e.message());
        return kExitUsage;
    }
    if (!script) {
        PrintError(QStringLiteral("Stopped; \"%1\" was not written").arg(output));
        return kExitFailed;
    }
    // The script is an input too.
    if (scriptFile != "-" && !InputAtTarget(output, {scriptFile}).isEmpty()) {
        PrintError(QStringLiteral("Cannot write \"%1\": it is the render's own script").arg(output));
        return kExitFailed;
    }

    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    if (const auto bad = ApplyScript(*script, *engine)) {
        PrintError(QStringLiteral("%1:%2: %3").arg(scriptFile).arg(bad->line).arg(bad->message));
        return kExitUsage;
    }

    if (QFileInfo::exists(output)) PrintError(QStringLiteral("Replacing %1").arg(output));
    return RenderToCompletion(*engine, output);
}
