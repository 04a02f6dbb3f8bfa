// quillmark-cli join: the join page's timeline without the window.
#include "cli/command_help.h"
#include "cli/command_settings.h"
#include "cli/commands.h"
#include "cli/render_loop.h"
#include "cli/track_option.h"
#include "common/folders.h"
#include "common/ini_file.h"
#include "engine/duration_probe.h"
#include "engine/ffmpeg/target_check.h"
#include "engine/quillmark_error.h"
#include "engine/source_tracks.h"
#include "engine/video_edit.h"
#include "formats/output_format.h"
#include "join/join_timeline.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

struct JoinOptions {
    QStringList files;
    QString out;
    std::optional<int> format;
    bool noSmartRender = false;
    std::optional<double> pictureSeconds;
    std::optional<double> transitionSeconds;
    std::optional<int> transition;  // -1 for random
    QString music;
    std::optional<QList<int>> tracks;  // nothing: every track
};

bool ParseOptions(const QStringList& args, JoinOptions& o) {
    const CommandHelp& help = *FindCommand("join");
    auto fail = [&help](const QString& why) {
        PrintError(why + '\n' + UsageText(help) + "\n(quillmark-cli join --help describes every option)");
        return false;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (!word.startsWith("--")) {
            o.files << word;
            continue;
        }
        if (!help.hasOption(word)) return fail("unknown option " + word);
        if (word == "--no-smart-render") {
            o.noSmartRender = true;
            continue;
        }
        if (i + 1 >= args.size()) return fail(word + " needs a value");
        const QString value = args[++i];
        bool ok = true;
        if (word == "--out") {
            o.out = value;
        } else if (word == "--format") {
            o.format = value.toInt(&ok);
            ok = ok && FindFormat(*o.format);
        } else if (word == "--picture-seconds") {
            // Checked once the output's frame rate is known.
            o.pictureSeconds = value.toDouble(&ok);
        } else if (word == "--transition-seconds") {
            o.transitionSeconds = value.toDouble(&ok);
        } else if (word == "--transition") {
            o.transition = value == "random" ? -1 : value.toInt(&ok);
            ok = ok && *o.transition >= -1;
        } else if (word == "--tracks") {
            ok = ParseTrackList(value, o.tracks);
        } else if (word == "--music") {
            o.music = value;
        } else {
            return fail("unknown option " + word);
        }
        if (!ok) return fail(QString("bad value for %1: %2").arg(word, value));
    }
    if (o.files.isEmpty()) return fail("no files to join");
    if (o.out.isEmpty()) return fail("no --out file");
    if (IsNamelessFile(QFileInfo(o.out).fileName()))
        return fail(QStringLiteral("--out \"%1\" names no file: give a name such as holiday.avi").arg(o.out));
    return true;
}

} // namespace

int JoinCommand(const QStringList& args) {
    JoinOptions o;
    if (!ParseOptions(args, o)) return kExitUsage;

    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    // The page's settings are the defaults; the options given here override them.
    const IniFile ini(CommandSettingsFile());
    const CommandSettings settings = ReadCommandSettings(ini, o.format, o.noSmartRender);
    JoinTimelineSetup setup;
    setup.formats = settings.formats;
    setup.selectedFormat = settings.selectedFormat;
    setup.transitionCount = static_cast<int>(engine->Transitions().size());
    PictureOptions options = LoadPictureOptions(ini);
    if (o.pictureSeconds) options.PictureDuration = *o.pictureSeconds;
    if (o.transitionSeconds) options.TransitionDuration = *o.transitionSeconds;
    if (o.transition) {
        options.RandomTransition = *o.transition < 0;
        options.TransitionIndex = *o.transition;
    }
    options.MusicFile = o.music.isEmpty() ? QString() : QFileInfo(o.music).absoluteFilePath();

    QList<JoinItem> items;
    for (const QString& file : o.files) items.append({QFileInfo(file).absoluteFilePath(), 0});
    if (HasPictures(items)) {
        const double fps = OutputFrameRate(setup.selectedFormat, setup.formats);
        if (const QString problem = PictureTimingProblem(options, fps); !problem.isEmpty()) {
            PrintError(problem);
            return kExitUsage;
        }
    }
    // The output takes the format's extension, as the page names its file.
    const auto firstVideo = std::find_if(items.begin(), items.end(), [](const JoinItem& i) { return !IsPictureFile(i.path); });
    const QString firstVideoFile = firstVideo == items.end() ? QString() : firstVideo->path;
    if (const QString problem = OutputExtensionProblem(setup.selectedFormat, firstVideoFile); !problem.isEmpty()) {
        PrintError(problem);
        return kExitUsage;
    }
    const QFileInfo out(o.out);
    const QString output = JoinOutputFileName(out.absolutePath(), out.fileName(),
                                              OutputExtensionFor(setup.selectedFormat, firstVideoFile));
    try {
        // Every video must hold the chosen tracks before anything is made.
        for (const JoinItem& item : items) {
            if (!o.tracks || IsPictureFile(item.path)) continue;
            const QString problem = TrackListProblem(item.path, ReadSourceTracks(item.path), *o.tracks);
            if (!problem.isEmpty()) {
                PrintError(problem);
                return kExitUsage;
            }
            setup.keptTracks.insert(item.path, *o.tracks);
        }
        if (const QString failure = EnsureFolder(out.absolutePath()); !failure.isEmpty()) throw QuillmarkError(failure);
        BuildJoinTimeline(*engine, items, options, setup, MeasureDuration, ClockSeededDraw());
    } catch (const QuillmarkError& e) {
        PrintError(e.message());
        return kExitFailed;
    }

    if (!InputAtTarget(output, {CommandSettingsFile()}).isEmpty()) {
        PrintError(QStringLiteral("Cannot write \"%1\": it is the settings file this join reads").arg(output));
        return kExitFailed;
    }
    PrintError(QStringLiteral("Joining into %1%2")
                   .arg(output, QFileInfo::exists(output) ? QStringLiteral(" (replacing the file there)") : QString()));
    return RenderToCompletion(*engine, output);
}
