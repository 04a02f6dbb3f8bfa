#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace testmedia {

// ffprobe's "-of compact=p=0" output, one row a line, each field by its key:
// ffprobe prints fields in its own order, whatever order they were asked in.
inline QList<QHash<QString, QString>> CompactRows(const QByteArray& output) {
    QList<QHash<QString, QString>> rows;
    for (const QByteArray& line : output.split('\n')) {
        QHash<QString, QString> row;
        for (const QByteArray& field : line.trimmed().split('|')) {
            const int eq = field.indexOf('=');
            if (eq > 0)
                row.insert(QString::fromUtf8(field.left(eq)), QString::fromUtf8(field.mid(eq + 1)));
        }
        if (!row.isEmpty())
            rows << row;
    }
    return rows;
}

} // namespace testmedia
