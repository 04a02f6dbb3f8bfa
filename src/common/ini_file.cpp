#include "common/ini_file.h"

#include "common/bounded_read.h"
#include "common/folders.h"
#include "engine/quillmark_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A save in progress writes "<file>.saving-<pid>" beside the file.
const QString temporaryMarker = QStringLiteral(".saving-");

QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    // Files from older Windows editors hold ANSI paths; show them as the user typed them.
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// The line without surrounding blanks, its '\r' or the byte order mark an editor may put first.
QByteArray content(const QByteArray& line) {
    static const QByteArray bom("\xEF\xBB\xBF");
    return (line.startsWith(bom) ? line.mid(bom.size()) : line).trimmed();
}

bool sectionName(const QByteArray& line, QString& name) {
    const QByteArray t = content(line);
    if (t.size() < 2 || !t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    name = decode(t.mid(1, close - 1).trimmed());
    return true;
}

bool keyValue(const QByteArray& line, QString& key, QByteArray& value) {
    const QByteArray t = content(line);
    if (t.isEmpty() || t.startsWith(';')) return false;
    const int eq = t.indexOf('=');
    if (eq <= 0) return false;
    key = decode(t.left(eq).trimmed());
    value = t.mid(eq + 1).trimmed();
    return true;
}

[[noreturn]] void cannotWrite(const QString& path) {
    throw QuillmarkError(QString("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
}

bool writeAll(int fd, const QByteArray& data) {
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        next += written;
        left -= written;
    }
    return true;
}

// A save killed before its rename leaves its temporary; once the process that
// made it is gone, the next save clears it away.
void removeAbandonedTemporaries(const QFileInfo& file) {
    const QString prefix = file.fileName() + temporaryMarker;
    QDir folder = file.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix)) continue;
        bool ok = false;
        const qint64 pid = QStringView(name).mid(prefix.size()).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // still running
        folder.remove(name);
    }
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // makes the rename itself survive a power cut; the file is whole either way
    ::close(fd);
}

// The old file stays in place until the rename, which swaps in the new one at once.
void replaceFile(const QString& path, const QByteArray& data) {
    const QFileInfo link(path);
    // A settings file that is a link to elsewhere keeps being that link.
    const QFileInfo file(link.isSymLink() && link.exists() ? link.canonicalFilePath() : link.absoluteFilePath());
    // Only a regular file is replaced: a link to /dev/null or a FIFO named like
    // the settings file would otherwise become a file of settings.
    struct stat existing {};
    if (::stat(QFile::encodeName(file.absoluteFilePath()).constData(), &existing) == 0 && !S_ISREG(existing.st_mode))
        cannotWrite(path);
    if (!QDir().mkpath(file.absolutePath())) cannotWrite(path);
    removeAbandonedTemporaries(file);

    const QByteArray finalName = QFile::encodeName(file.absoluteFilePath());
    const QByteArray temporary = finalName + QFile::encodeName(temporaryMarker) + QByteArray::number(::getpid());
    ::unlink(temporary.constData());  // a leftover of a dead process that had our number
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) cannotWrite(path);
    struct stat old {};
    bool ok = writeAll(fd, data);
    if (ok && ::stat(finalName.constData(), &old) == 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), finalName.constData()) == 0;
    if (!ok) {
        ::unlink(temporary.constData());
        cannotWrite(path);
    }
    syncFolder(file.absolutePath());
}

}  // namespace

IniFile::IniFile(const QString& path) : filePath(path) {
    // A FIFO would keep the caller waiting for a writer, and a device such as
    // /dev/zero never ends: neither is opened. The bounded reader names every
    // other failure, a folder's among them.
    struct stat st {};
    const bool found = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (!found && errno == ENOENT) return;
    if (found && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        readProblem = QStringLiteral("Cannot read \"%1\": it is not a regular file")
                          .arg(PrintableName(QDir::toNativeSeparators(path)));
        return;
    }
    QByteArray data;
    try {
        data = ReadBoundedInput(path, kMaxListBytes).value_or(QByteArray());
    } catch (const QuillmarkError& e) {
        readProblem = e.message();
        return;
    }
    if (data.isEmpty()) return;
    crlf = data.contains("\r\n");
    lines = data.split('\n');
    // A final newline is a terminator, not the start of an empty last line.
    finalNewline = data.endsWith('\n');
    if (finalNewline) lines.removeLast();
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
        if (!content(lines[i]).isEmpty()) loc.lastLine = i;
        QString k;
        QByteArray v;
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
    QByteArray bytes;
    keyValue(lines[loc.keyLine], k, bytes);
    value = decode(bytes);
    return true;
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

void IniFile::insertLine(int index, const QByteArray& text) {
    // The old last line gets a terminator once something follows it.
    if (index == lines.size()) finalNewline = true;
    lines.insert(index, crlf ? text + '\r' : text);
}

void IniFile::setString(const QString& section, const QString& key, const QString& value) {
    const Location loc = locate(section, key);
    const QByteArray bytes = value.toUtf8();
    if (loc.keyLine >= 0) {
        QByteArray& line = lines[loc.keyLine];
        QString k;
        QByteArray old;
        keyValue(line, k, old);
        if (decode(old) == value) return;  // the line stays exactly as it was
        // Keep the key's spelling, the spacing up to the value and the line end.
        qsizetype start = line.indexOf('=') + 1;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
        line = line.left(start) + bytes + (line.endsWith('\r') ? "\r" : "");
    } else if (loc.sectionLine >= 0) {
        insertLine(loc.lastLine + 1, key.toUtf8() + '=' + bytes);
    } else {
        if (!lines.isEmpty() && !content(lines.last()).isEmpty()) insertLine(lines.size(), QByteArray());
        insertLine(lines.size(), '[' + section.toUtf8() + ']');
        insertLine(lines.size(), key.toUtf8() + '=' + bytes);
    }
}

void IniFile::setInteger(const QString& section, const QString& key, int value) {
    setString(section, key, QString::number(value));
}

void IniFile::setFloat(const QString& section, const QString& key, double value) {
    setString(section, key, formatFloat(value));
}

void IniFile::setBool(const QString& section, const QString& key, bool value) {
    setInteger(section, key, value ? 1 : 0);
}

QString IniFile::formatFloat(double value) { return QLocale::c().toString(value, 'g', 15); }

void IniFile::save() {
    QByteArray data = lines.join('\n');
    if (finalNewline && !lines.isEmpty()) data += '\n';
    replaceFile(filePath, data);
}
