#include "split/segment_list.h"

#include "common/bounded_read.h"
#include "common/folders.h"
#include "engine/quillmark_error.h"
#include "split/split_plan.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <cmath>

namespace {

const QString kHeader = QStringLiteral("start,end,name,save");
// A list made from a probe of the same file may end a hair after a later probe's
// length; a real overrun is longer than a frame.
constexpr double kEndSlack = 0.05;

QString Quoted(const QString& field) {
    if (!field.contains(',') && !field.contains('"')) return field;
    QString inner = field;
    return '"' + inner.replace('"', "\"\"") + '"';
}

QString Seconds(double t) { return QString::number(t, 'f', 3); }

// The fields of one line; a quoted field may hold commas and doubled quotes.
bool SplitFields(const QString& line, QStringList& fields) {
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && field.trimmed().isEmpty()) {
            quoted = wasQuoted = true;
            field.clear();
        } else if (c == ',') {
            fields << (wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else {
            field += c;
        }
    }
    fields << (wasQuoted ? field : field.trimmed());
    return !quoted;
}

// Seconds, or hh:mm:ss(.mmm) / mm:ss(.mmm) as a user may type it.
bool ParseTime(const QString& text, double& seconds) {
    const QStringList parts = text.split(':');
    if (parts.size() > 3) return false;
    double total = 0;
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const double v = parts[i].trimmed().toDouble(&ok);
        const bool last = i == parts.size() - 1;
        if (!ok || v < 0 || !std::isfinite(v) || (!last && v != std::floor(v)) || (i > 0 && v >= 60)) return false;
        total = total * 60 + v;
    }
    seconds = total;
    return true;
}

bool ParseSave(const QString& text, bool& save) {
    const QString t = text.toLower();
    if (t == "1" || t == "true" || t == "yes") return save = true, true;
    if (t == "0" || t == "false" || t == "no") return save = false, true;
    return false;
}

}  // namespace

QString SegmentsCsv(const QList<SplitRow>& rows) {
    QString text = kHeader + '\n';
    for (const SplitRow& r : rows)
        text += Seconds(r.start) + ',' + Seconds(r.stop) + ',' + Quoted(r.fileName) + ',' + (r.save ? "1" : "0") + '\n';
    return text;
}

QList<SplitRow> ParseSegmentsCsv(const QString& text, const QString& fileName, double sourceDuration,
                                 const QString& outputExt) {
    const QString shown = QDir::toNativeSeparators(fileName);
    QStringList lines = text.split('\n');
    for (QString& line : lines) {
        if (line.endsWith('\r')) line.chop(1);
    }
    if (!lines.isEmpty() && lines[0].startsWith(QChar(0xFEFF))) lines[0].remove(0, 1);
    const auto fail = [&](int line, const QString& why) {
        throw QuillmarkError(QString("Line %1 of \"%2\" %3").arg(line).arg(shown, why));
    };
    if (lines.isEmpty() || lines[0].remove(' ').compare(kHeader, Qt::CaseInsensitive) != 0)
        fail(1, "is not the header " + kHeader);

    QList<SplitRow> rows;
    QHash<QString, int> nameLines;
    int previousLine = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const int number = i + 1;
        if (lines[i].trimmed().isEmpty()) continue;
        QStringList f;
        if (!SplitFields(lines[i], f)) fail(number, "has a quote that is not closed");
        if (f.size() != 4) fail(number, QString("has %1 fields, not the 4 of %2").arg(f.size()).arg(kHeader));
        SplitRow r;
        if (!ParseTime(f[0], r.start)) fail(number, QString("has a start \"%1\" that is not a time").arg(f[0]));
        if (!ParseTime(f[1], r.stop)) fail(number, QString("has an end \"%1\" that is not a time").arg(f[1]));
        if (r.stop <= r.start)
            fail(number, QString("ends at %1, not after its start at %2").arg(Seconds(r.stop), Seconds(r.start)));
        if (!rows.isEmpty() && r.start < rows.last().stop)
            fail(number, QString("starts at %1, before line %2 ends at %3")
                             .arg(Seconds(r.start)).arg(previousLine).arg(Seconds(rows.last().stop)));
        if (r.stop > sourceDuration + kEndSlack)
            fail(number, QString("ends at %1, after the end of the source at %2")
                             .arg(Seconds(r.stop), Seconds(sourceDuration)));
        r.stop = std::min(r.stop, std::max(sourceDuration, r.start));
        const QString name = f[2].trimmed();
        if (name.isEmpty()) fail(number, "has no file name");
        r.fileName = WithoutExtension(name) + "." + outputExt;
        // A part goes into the output folder and nowhere else, under the name it was given.
        for (const QString& candidate : {name, r.fileName})
            if (const QString problem = FileNameProblem(candidate); !problem.isEmpty())
                fail(number, QString("has a file name \"%1\" %2").arg(PrintableName(name), problem));
        if (WithoutExtension(name).trimmed().isEmpty()) fail(number, QString("has a file name \"%1\" that is only an extension").arg(name));
        if (nameLines.contains(r.fileName))
            fail(number, QString("writes \"%1\" as line %2 does").arg(r.fileName).arg(nameLines[r.fileName]));
        nameLines.insert(r.fileName, number);
        if (!ParseSave(f[3], r.save)) fail(number, QString("has a save field \"%1\" that is not 1 or 0").arg(f[3]));
        rows.append(r);
        previousLine = number;
    }
    if (rows.isEmpty()) throw QuillmarkError(QString("\"%1\" holds no segments").arg(shown));
    return rows;
}

QString ChapterText(const QList<SplitRow>& rows) {
    QString text;
    for (const SplitRow& r : rows) text += FormatClock(RoundHalfEven(r.start)) + ' ' + WithoutExtension(r.fileName) + '\n';
    return text;
}

QString ReadTextFile(const QString& path) {
    return QString::fromUtf8(ReadBoundedInput(path, kMaxListBytes).value_or(QByteArray()));
}

void WriteTextFile(const QString& path, const QString& text) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw QuillmarkError(QString("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}
