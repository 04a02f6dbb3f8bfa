// quillmark-cli split: the split wizard's plans, names and format settings
// without the window.
#include "cli/command_help.h"
#include "cli/command_settings.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress_bar.h"
#include "cli/track_option.h"
#include "cli/user_text.h"
#include "common/folders.h"
#include "common/ini_file.h"
#include "engine/duration_probe.h"
#include "engine/quillmark_error.h"
#include "engine/source_tracks.h"
#include "engine/video_edit.h"
#include "formats/output_format.h"
#include "split/part_sizer.h"
#include "split/segment_list.h"
#include "split/split_list.h"
#include "split/split_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <optional>

namespace {

struct SplitOptions {
    QString source;
    SplitMode mode = NoSplitMode;
    int parts = 0;
    double every = 0;
    QList<double> points;
    int64_t maxSize = 0;
    QString segments;
    QString segmentsText;
    std::optional<int> format;
    bool noSmartRender = false;
    QString out;
    QStringList names;
    QList<int> skip;
    std::optional<QList<int>> tracks;  // nothing: every track
};

bool ParseNumbers(const QString& text, QList<double>& numbers) {
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double v = item.trimmed().toDouble(&ok);
        if (!ok || v < 0) return false;
        numbers << v;
    }
    return !numbers.isEmpty();
}

// Fills `o` from the words after "split"; a usage fault is said and returns false.
bool ParseOptions(const QStringList& args, SplitOptions& o) {
    const CommandHelp& help = *FindCommand("split");
    auto fail = [&help](const QString& why) {
        PrintError(why + '\n' + UsageText(help) + "\n(quillmark-cli split --help describes every option)");
        return false;
    };
    int modes = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (!word.startsWith("--")) {
            if (!o.source.isEmpty()) return fail("more than one source: " + word);
            o.source = word;
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
        QList<double> numbers;
        if (word == "--parts") {
            o.mode = ByAmount, ++modes;
            o.parts = value.toInt(&ok);
            ok = ok && o.parts > 0;
        } else if (word == "--every") {
            o.mode = ByTime, ++modes;
            o.every = value.toDouble(&ok);
            ok = ok && o.every > 0;
        } else if (word == "--points") {
            o.mode = BySettings, ++modes;
            ok = ParseNumbers(value, o.points);
        } else if (word == "--max-size") {
            o.mode = BySize, ++modes;
            o.maxSize = ParseByteSize(value);
            ok = o.maxSize > 0;
        } else if (word == "--segments") {
            o.mode = BySettings, ++modes;
            o.segments = value;
        } else if (word == "--format") {
            o.format = value.toInt(&ok);
            ok = ok && FindFormat(*o.format);
        } else if (word == "--out") {
            o.out = value;
        } else if (word == "--names") {
            o.names = value.split(',');
        } else if (word == "--tracks") {
            ok = ParseTrackList(value, o.tracks);
        } else if (word == "--skip") {
            ok = ParseNumbers(value, numbers);
            for (double k : numbers) o.skip << int(k);
        } else {
            return fail("unknown option " + word);
        }
        if (!ok) return fail(QString("bad value for %1: %2").arg(word, value));
    }
    if (o.source.isEmpty()) return fail("no source file");
    if (modes != 1) return fail("give exactly one of --parts, --every, --points, --segments and --max-size");
    if (o.mode == BySize && (!o.names.isEmpty() || !o.skip.isEmpty()))
        return fail("--names and --skip need parts known in advance; --max-size finds them while it writes");
    return true;
}

// The plan as rows. The equal-parts modes make the same spans and names the
// wizard's run makes, so names and skips can apply to them too.
QList<SplitRow> PlanRows(const SplitOptions& o, const SplitSetup& setup) {
    QList<SplitRow> rows;
    if (!o.segments.isEmpty()) {
        rows = ParseSegmentsCsv(o.segmentsText, QFileInfo(o.segments).absoluteFilePath(), setup.sourceDuration,
                                setup.outputExt);
    } else if (o.mode == BySettings) {
        SplitList list;
        list.Reset(setup.sourceDuration, setup.source, setup.outputExt);
        for (double t : o.points) list.SetPoint(t);
        rows = list.rows();
    } else {
        const double length = o.mode == ByAmount ? setup.sourceDuration / o.parts
                                                 : std::min(o.every, setup.sourceDuration);
        const int count = o.mode == ByAmount ? o.parts : CeilParts(setup.sourceDuration / length);
        for (int n = 1; n <= count; ++n) {
            rows.append({(n - 1) * length, n * length, PartFileName(setup.source, n, setup.outputExt), true});
        }
    }
    for (int i = 0; i < rows.size() && i < o.names.size(); ++i) {
        if (o.names[i].isEmpty()) continue;
        // A part goes into the output folder and nowhere else.
        if (const QString problem = FileNameProblem(o.names[i]); !problem.isEmpty())
            throw QuillmarkError(QString("--names: \"%1\" %2").arg(PrintableName(o.names[i]), problem));
        rows[i].fileName = WithoutExtension(o.names[i]) + "." + setup.outputExt;
    }
    for (int k : o.skip) {
        if (k >= 1 && k <= rows.size()) rows[k - 1].save = false;
    }
    return rows;
}

} // namespace

int SplitCommand(const QStringList& args) {
    SplitOptions o;
    if (!ParseOptions(args, o)) return kExitUsage;

    SplitSetup setup;
    try {
        if (!o.segments.isEmpty()) {
            const std::optional<QString> text = ReadUserText(o.segments);
            if (!text) {
                PrintError(QStringLiteral("Stopped"));
                return kExitFailed;
            }
            o.segmentsText = *text;
            // The list is an input too: no part may be written over it.
            if (o.segments != "-") setup.otherInputs << o.segments;
        }
        setup.source = QFileInfo(o.source).absoluteFilePath();
        setup.sourceDuration = MeasureDuration(setup.source);
        if (o.tracks) {
            const QString problem = TrackListProblem(setup.source, ReadSourceTracks(setup.source), *o.tracks);
            if (!problem.isEmpty()) {
                PrintError(problem);
                return kExitUsage;
            }
            setup.keptTracks.insert(setup.source, *o.tracks);
        }
        const CommandSettings settings = ReadCommandSettings(IniFile(CommandSettingsFile()), o.format, o.noSmartRender);
        // The settings are read, never written: no part may take their file's place.
        setup.otherInputs << CommandSettingsFile();
        setup.formats = settings.formats;
        setup.selectedFormat = settings.selectedFormat;
        if (const QString problem = OutputExtensionProblem(setup.selectedFormat, setup.source); !problem.isEmpty())
            throw QuillmarkError(problem);
        setup.outputExt = OutputExtensionFor(setup.selectedFormat, setup.source);
        const QString folder = o.out.isEmpty() ? QFileInfo(setup.source).absolutePath() : o.out;
        if (const QString failure = EnsureFolder(folder); !failure.isEmpty()) throw QuillmarkError(failure);
        setup.outputPath = WithTrailingSeparator(QDir(folder).absolutePath());
    } catch (const QuillmarkError& e) {
        PrintError(e.message());
        return kExitFailed;
    }
    if (setup.sourceDuration <= 0) {
        PrintError(QString("\"%1\" has no length to split").arg(setup.source));
        return kExitFailed;
    }
    if (o.mode == ByAmount || o.mode == ByTime) {
        const double length = o.mode == ByAmount ? setup.sourceDuration / o.parts : std::min(o.every, setup.sourceDuration);
        const double fps = OutputFrameRate(setup.selectedFormat, setup.formats);
        if (ShorterThanOneFrame(length, fps)) {
            const QString option = o.mode == ByAmount ? QString("--parts %1").arg(o.parts) : QString("--every %1").arg(o.every);
            PrintError(QString("\"%1\" lasts %2 seconds: %3 gives parts of %4 seconds, shorter than one frame of the output, %5 seconds")
                           .arg(QDir::toNativeSeparators(setup.source), QString::number(setup.sourceDuration), option,
                                QString::number(length), QString::number(1 / fps, 'g', 4)));
            return kExitUsage;
        }
    }

    const bool plainPlan = o.names.isEmpty() && o.skip.isEmpty() && o.segments.isEmpty();
    QList<SplitRow> rows;
    try {
        if (o.mode == BySettings || !plainPlan) rows = PlanRows(o, setup);
    } catch (const QuillmarkError& e) {
        PrintError(e.message());
        return kExitFailed;
    }

    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    SplitRun run(*engine);
    ProgressBar bar;
    int result = kExitFailed;
    QObject::connect(engine.get(), &TVideoEdit::OnProcessing, [&](double pos, double total) { bar.update(pos, total); });
    QObject::connect(&run, &SplitRun::partStarted, [&](int n) {
        bar.finish();
        bar = ProgressBar();
        // Scripts rely on parts being replaced; they are told which were.
        const QString replacing = QFileInfo::exists(run.currentFile()) ? QStringLiteral(" (replacing the file there)") : QString();
        QTextStream(stdout) << QString("Part %1: %2%3").arg(n).arg(QDir::toNativeSeparators(run.currentFile()), replacing)
                            << Qt::endl;
    });
    QObject::connect(&run, &SplitRun::partWritten, [&](int n, const QString&, qint64 bytes) {
        bar.finish();
        bar = ProgressBar();
        QTextStream(stdout) << QString("Part %1: %2 bytes (%3)").arg(n).arg(bytes).arg(ByteSizeText(bytes)) << Qt::endl;
    });
    QObject::connect(&run, &SplitRun::noteChanged, [&](const QString& note) {
        if (!note.isEmpty()) bar.note(note);
    });
    QObject::connect(&run, &SplitRun::finished, [&] {
        bar.finish();
        result = kExitOk;
        QCoreApplication::exit();
    });
    QObject::connect(&run, &SplitRun::failed, [&](const QString& message) {
        bar.finish();
        PrintError(message);
        QCoreApplication::exit();
    });
    Interrupt interrupt;
    QObject::connect(&interrupt, &Interrupt::raised, [&] {
        run.Stop();  // the engine removes the part it was writing
        bar.finish();
        PrintError(QStringLiteral("Stopped"));
        QCoreApplication::exit();
    });

    if (o.mode == BySize) {
        run.StartSplitBySize(setup, o.maxSize);
    } else if (o.mode == ByAmount && plainPlan) {
        run.StartSplitByAmount(setup, o.parts);
    } else if (o.mode == ByTime && plainPlan) {
        run.StartSplitByTime(setup, std::min(o.every, setup.sourceDuration));
    } else {
        run.StartSplitBySettings(setup, rows);
    }
    if (!run.running()) return result;  // every row skipped: finished at once
    QCoreApplication::exec();
    return result;
}
