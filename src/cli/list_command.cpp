#include "cli/command_help.h"
#include "cli/commands.h"
#include "engine/video_edit.h"

#include <QTextStream>

int ListCommand(const QStringList& args) {
    const QString which = args.value(0).toLower();
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    QStringList items;
    if (args.size() == 1 && which == "transitions")
        items = engine->Transitions();
    else if (args.size() == 1 && which == "videocompressors")
        items = engine->VideoCompressors();
    else if (args.size() == 1 && which == "audiocompressors")
        items = engine->AudioCompressors();
    else if (args.size() == 1 && which == "wmvprofiles")
        items = engine->WMVProfiles();
    else if (args.size() == 1 && which == "mp4presets")
        items = engine->MP4Presets();
    else {
        PrintError(UsageText(*FindCommand("list")));
        return kExitUsage;
    }
    QTextStream out(stdout);
    for (int i = 0; i < items.size(); ++i)
        out << i << ' ' << items[i] << '\n';
    return kExitOk;
}
