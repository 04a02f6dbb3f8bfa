// quillmark-cli detect: the points the split editor's Detect button finds.
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/progress_bar.h"
#include "engine/ffmpeg/detection_job.h"

#include <QCoreApplication>
#include <QTextStream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

std::optional<DetectionKind> KindNamed(const QString& word) {
    if (word == QLatin1String("scenes")) return DetectionKind::Scenes;
    if (word == QLatin1String("black")) return DetectionKind::Black;
    if (word == QLatin1String("silence")) return DetectionKind::Silence;
    return std::nullopt;
}

int UsageFault(const QString& why) {
    PrintError(why + '\n' + UsageText(*FindCommand("detect")) + "\n(quillmark-cli detect --help describes every option)");
    return kExitUsage;
}

} // namespace

int DetectCommand(const QStringList& args) {
    std::optional<DetectionKind> kind;
    QString file;
    std::optional<double> threshold, minSeconds;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (word == QLatin1String("--threshold") || word == QLatin1String("--min-duration")) {
            bool ok = false;
            const double value = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
            if (!ok) return UsageFault(word + " needs a number");
            (word == QLatin1String("--threshold") ? threshold : minSeconds) = value;
            ++i;
        } else if (word.startsWith("--")) {
            return UsageFault("unknown option " + word);
        } else if (!kind) {
            kind = KindNamed(word);
            if (!kind) return UsageFault("\"" + word + "\" is not scenes, black or silence");
        } else if (file.isEmpty()) {
            file = word;
        } else {
            return UsageFault("more than one file: " + word);
        }
    }
    if (!kind || file.isEmpty()) return UsageFault("a kind and a file are needed");

    DetectionSettings settings = DefaultDetection(*kind);
    const ThresholdRange range = DetectionThresholdRange(*kind);
    if (threshold) {
        if (*threshold < range.low || *threshold > range.high)
            return UsageFault(QStringLiteral("--threshold for %1 lies from %2 to %3")
                                  .arg(args[0]).arg(range.low).arg(range.high));
        settings.threshold = *threshold;
    }
    if (minSeconds) {
        if (*minSeconds <= 0) return UsageFault("--min-duration must be above 0");
        settings.minSeconds = *minSeconds;
    }

    // Progress is for a person watching; a script reading the points gets none.
    std::unique_ptr<ProgressBar> bar;
    if (isatty(STDERR_FILENO)) bar = std::make_unique<ProgressBar>();
    int result = kExitFailed;
    DetectionJob job(file, settings);
    QObject::connect(&job, &DetectionJob::progress, [&](double position, double duration) {
        if (bar) bar->update(position, duration);
    });
    QObject::connect(&job, &DetectionJob::finished, [&](const QList<double>& points) {
        if (bar) bar->finish();
        QTextStream out(stdout);
        for (double p : points) out << QString::number(p, 'f', 3) << '\n';
        result = kExitOk;
        QCoreApplication::exit();
    });
    QObject::connect(&job, &DetectionJob::failed, [&](const QString& message) {
        if (bar) bar->finish();
        PrintError(message);
        result = kExitFailed;
        QCoreApplication::exit();
    });
    Interrupt interrupt;
    QObject::connect(&interrupt, &Interrupt::raised, [&] {
        job.stop();
        if (bar) bar->finish();
        PrintError(QStringLiteral("Stopped looking for split points in \"%1\"").arg(file));
        result = kExitFailed;
        QCoreApplication::exit();
    });
    job.start();
    QCoreApplication::exec();
    return result;
}
