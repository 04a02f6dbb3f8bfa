#include "cli/command_help.h"
#include "cli/commands.h"
#include "engine/duration_probe.h"
#include "engine/quillmark_error.h"
#include "engine/source_tracks.h"

#include <QTextStream>

int ProbeCommand(const QStringList& args) {
    if (args.size() != 1) {
        PrintError(UsageText(*FindCommand("probe")));
        return kExitUsage;
    }
    try {
        const double seconds = MeasureDuration(args[0]);
        const std::vector<SourceTrack> tracks = ReadSourceTracks(args[0]);
        QTextStream out(stdout);
        out << QString::number(seconds, 'f', 3) << '\n';
        // Numbered as --tracks takes them.
        for (const SourceTrack& track : tracks) out << track.stream << ": " << DescribeTrack(track) << '\n';
        return kExitOk;
    } catch (const QuillmarkError& e) {
        PrintError(e.message());
        return kExitFailed;
    }
}
