#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// quillmark-cli run to its end, with what it printed.
const QString kCli = QStringLiteral(QUILLMARK_BIN_DIR "/quillmark-cli");

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
