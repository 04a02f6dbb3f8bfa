// quillmark-cli: the video engine from the command line, for scripts and tests.
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "engine/ffmpeg/library_log.h"
#include "engine/ffmpeg/render_workers.h"

#include <QCoreApplication>
#include <QTextStream>
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
    };
    return commands;
}

void PrintUsage() {
    PrintError(QStringLiteral("usage: quillmark-cli [--verbose] COMMAND ...   (--verbose: the libraries' own log too)\n"
                              "       quillmark-cli render SCRIPT OUTPUT\n"
                              "       quillmark-cli probe FILE\n"
                              "       quillmark-cli list transitions|videocompressors|audiocompressors|wmvprofiles\n"
                              "       quillmark-cli split SOURCE (--parts N | --every SECONDS | --points T1,T2,...)\n"
                              "                           [--format 0-9] [--out DIR] [--names N1,N2,...] [--skip K1,K2,...]\n"
                              "       quillmark-cli join FILE... --out OUTPUT [--format 0-9] [--picture-seconds P]\n"
                              "                          [--transition-seconds T] [--transition INDEX|random] [--music FILE]"));
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else, so a Ctrl+C that comes while a writing command starts
    // up is not lost; the commands that write nothing give it back below.
    Interrupt::CatchSignals();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // The libraries' own log lines are for whoever asks; anywhere on the line.
    SetLibraryLogVerbose(args.removeAll(QStringLiteral("--verbose")) > 0);
    if (args.isEmpty()) {
        Interrupt::ReleaseSignals();
        PrintUsage();
        return kExitUsage;
    }
    const auto command = Commands().find(args.takeFirst());
    if (command == Commands().end()) {
        PrintUsage();
        return kExitUsage;
    }
    // Commands that write files stop cleanly on Ctrl+C, even one that comes
    // while they still read their script; the others may simply die.
    if (command->first == QLatin1String("probe") || command->first == QLatin1String("list"))
        Interrupt::ReleaseSignals();
    const int code = command->second(args);
    // A stopped render's worker removes its temporary as it winds down; it is
    // given a moment, but a worker stuck on a dead share does not hold the exit.
    WaitForRenderWorkers(std::chrono::seconds(3));
    return code;
}
