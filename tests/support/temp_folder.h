#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A scratch folder per test with small helpers to write and read text files.
class TempFolder {
public:
    QString path(const QString& name = QString()) const {
        return name.isEmpty() ? dir.path() + QDir::separator() : dir.filePath(name);
    }
    QString write(const QString& name, const QByteArray& content) const {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return f.fileName();
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir dir;
};
