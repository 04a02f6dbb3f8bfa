// quillmark-cli: the video engine from the command line, for scripts and tests.
#include "cli/command_help.h"
#include "cli/command_settings.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "common/ini_file.h"
#include "engine/ffmpeg/library_log.h"
#include "engine/ffmpeg/render_workers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <map>

void PrintError(const QString& text) {
    QTextStream(stderr) << text << '\n';
}

namespace {

const std::map<QString, std::function<int(const QStringList&)>>& Commands() {
    static const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {"render", RenderCommand},
        {"probe", ProbeCommand},
        {"list", ListCommand},
        {"split", SplitCommand},
        {"join", JoinCommand},
        {"detect", DetectCommand},
    };
    return commands;
}

void PrintUsage() { PrintError(ProgramHelpText()); }

// The first argument whose bytes are not UTF-8, as best it can be shown; a null
// string when all are. Such a name would reach the libraries as another name.
QString FirstNonUtf8Argument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder(QByteArrayView(argv[i]));
        if (decoder.hasError())
            return text;
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else, so a Ctrl+C that comes while a writing command starts
    // up is not lost; the commands that write nothing give it back below.
    Interrupt::CatchSignals();
    QCoreApplication app(argc, argv);
    if (const QString bad = FirstNonUtf8Argument(argc, argv); !bad.isNull()) {
        PrintError(QStringLiteral("\"%1\" is not UTF-8 text; Quillmark reads every name as UTF-8, so rename the file").arg(bad));
        return kExitFailed;
    }
    QStringList args = app.arguments().mid(1);
    // The libraries' own log lines are for whoever asks; anywhere on the line.
    SetLibraryLogVerbose(args.removeAll(QStringLiteral("--verbose")) > 0);
    if (const qsizetype at = args.indexOf(QStringLiteral("--settings")); at >= 0) {
        if (at + 1 >= args.size()) {
            Interrupt::ReleaseSignals();
            PrintError(QStringLiteral("--settings needs a file\n"));
            PrintUsage();
            return kExitUsage;
        }
        // A settings file named on the line must be one: a missing one would
        // silently mean the defaults, and a FIFO or a device is never read.
        const QString settingsFile = args[at + 1];
        if (!QFileInfo::exists(settingsFile)) {
            PrintError(QStringLiteral("Cannot read \"%1\": there is no such file").arg(settingsFile));
            return kExitFailed;
        }
        if (const QString problem = IniFile(settingsFile).problem(); !problem.isEmpty()) {
            PrintError(problem);
            return kExitFailed;
        }
        SetCommandSettingsFile(settingsFile);
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        Interrupt::ReleaseSignals();
        PrintUsage();
        return kExitUsage;
    }
    if (IsHelpWord(args.first())) {
        QTextStream(stdout) << ProgramHelpText();
        return kExitOk;
    }
    const QString name = args.takeFirst();
    const auto command = Commands().find(name);
    if (command == Commands().end()) {
        PrintError(QStringLiteral("\"%1\" is not a command\n").arg(name));
        PrintUsage();
        return kExitUsage;
    }
    if (std::any_of(args.begin(), args.end(), IsHelpWord)) {
        QTextStream(stdout) << HelpText(*FindCommand(name));
        return kExitOk;
    }
    // Commands that write files stop cleanly on Ctrl+C, even one that comes
    // while they still read their script; the others may simply die.
    if (command->first == QLatin1String("probe") || command->first == QLatin1String("list"))
        Interrupt::ReleaseSignals();
    const int code = command->second(args);
    // A stopped render's worker removes its temporary as it winds down; it is
    // given a moment, but a worker stuck on a dead share does not hold the exit.
    WaitForRenderWorkers(std::chrono::seconds(3));
    // One still busy then has its temporary removed for it, and cannot make it again.
    RemoveClaimedTemporaries();
    return code;
}
