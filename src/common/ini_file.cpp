#include "common/ini_file.h"

#include "engine/quillmark_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cmath>

namespace {

bool sectionName(const QString& line, QString& name) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    name = t.mid(1, close - 1).trimmed();
    return true;
}

bool keyValue(const QString& line, QString& key, QString& value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';')) return false;
    const int eq = t.indexOf('=');
    if (eq <= 0) return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

}  // namespace

IniFile::IniFile(const QString& path) : filePath(path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    QString text = QString::fromUtf8(file.readAll());
    if (text.contains(QLatin1String("\r\n"))) newline = QStringLiteral("\r\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines = text.split('\n');
    // A final newline is a terminator, not the start of an empty last line.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
}

IniFile::Location IniFile::locate(const QString& section, const QString& key) const {
    Location loc;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (sectionName(lines[i], name)) {
            if (inSection) break;  // the first matching section is the one that counts
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                loc.sectionLine = i;
                loc.lastLine = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!lines[i].trimmed().isEmpty()) loc.lastLine = i;
        QString k, v;
        if (loc.keyLine < 0 && keyValue(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            loc.keyLine = i;
        }
    }
    return loc;
}

bool IniFile::lookup(const QString& section, const QString& key, QString& value) const {
    const Location loc = locate(section, key);
    if (loc.keyLine < 0) return false;
    QString k;
    return keyValue(lines[loc.keyLine], k, value);
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    QString value;
    return lookup(section, key, value);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    QString value;
    return lookup(section, key, value) ? value : defaultValue;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    QString value;
    if (!lookup(section, key, value)) return defaultValue;
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    return ok ? number : defaultValue;
}

double IniFile::readFloat(const QString& section, const QString& key, double defaultValue) const {
    QString value;
    if (!lookup(section, key, value)) return defaultValue;
    bool ok = false;
    const double number = QLocale::c().toDouble(value, &ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) == 1;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const Location loc = locate(section, key);
    const QString line = key + '=' + value;
    if (loc.keyLine >= 0) {
        // Keep the key's spelling as the file has it.
        QString k, v;
        keyValue(lines[loc.keyLine], k, v);
        lines[loc.keyLine] = k + '=' + value;
    } else if (loc.sectionLine >= 0) {
        lines.insert(loc.lastLine + 1, line);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
        lines << '[' + section + ']' << line;
    }
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeFloat(const QString& section, const QString& key, double value) {
    writeString(section, key, formatFloat(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeInteger(section, key, value ? 1 : 0);
}

QString IniFile::formatFloat(double value) { return QLocale::c().toString(value, 'g', 15); }

void IniFile::save() {
    const QString folder = QFileInfo(filePath).absolutePath();
    QSaveFile file(filePath);
    const bool ok = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
                    file.write((lines.join(newline) + newline).toUtf8()) >= 0 && file.commit();
    if (!ok) throw QuillmarkError(QString("Unable to write to %1").arg(QDir::toNativeSeparators(filePath)));
}
