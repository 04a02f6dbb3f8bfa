#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/types.h>
#include <QString>
#include <QStringList>

#include "support/build_paths.h"

// quillmark-cli run to its end, with what it printed.
const QString kCli = buildpaths::BinDir() + "/quillmark-cli";

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline CliRun Cli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(kCli, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Starts `quillmark-cli render` of `clips` copies of a 3 s clip into `output` to
// DVD PAL and returns once its progress bar shows, so the render is under way.
// Reads its standard error, which the caller may go on reading.
inline QByteArray StartLongRender(QProcess& p, const QString& clip, int clips, const QString& output) {
    QString script = "OutputType 4\n";
    for (int i = 0; i < clips; ++i)
        script += QStringLiteral("AddVideoClip \"%1\" 0 3 0\n").arg(clip);
    p.setReadChannel(QProcess::StandardError);
    p.start(kCli, {"render", "-", output});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    QByteArray err;
    while (!err.contains('%') && p.waitForReadyRead(10000))
        err += p.readAll();
    return err;
}

// True once the process has a handler for SIGINT (its SigCgt mask in /proc).
inline bool CatchesSigint(pid_t pid) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGINT - 1)) & 1)
                return true;
        }
        QThread::msleep(2);
    }
    return false;
}
