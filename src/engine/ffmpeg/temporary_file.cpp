#include "engine/ffmpeg/temporary_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMark = QStringLiteral(".quillmark-");
const QString kSuffix = QStringLiteral(".part");
constexpr int kNameMax = 255;  // bytes of one folder entry on Linux file systems
constexpr int kRandomDigits = 8;

// The target's name cut, whole characters at a time, until the temporary's name
// fits in a folder entry. Cut in its bytes once: a name of megabytes must not
// cost a pass over itself for every character it loses.
QString ShortenedStem(const QString& name) {
    const int room = kNameMax - int(QFile::encodeName("." + kMark + kSuffix).size()) - kRandomDigits;
    QByteArray bytes = QFile::encodeName(name);
    if (bytes.size() <= room)
        return name;
    int end = room;
    while (end > 0 && (uchar(bytes[end]) & 0xC0) == 0x80) // not inside a character's bytes
        --end;
    bytes.truncate(end);
    return QFile::decodeName(bytes);
}

// fsync(2) of a file or a folder by its path.
bool SyncToDisk(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

QString OsReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool IsTemporaryName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\..*\\.quillmark-[0-9a-f]{8}\\.part$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(fileName).hasMatch();
}

QString CreateTemporaryBeside(const QString& target, QString& reason) {
    const QFileInfo info(target);
    if (!QFileInfo(info.absolutePath()).isDir()) {
        reason = QStringLiteral("the folder \"%1\" does not exist").arg(info.absolutePath());
        return {};
    }
    const QString stem = ShortenedStem(info.fileName());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2%3%4%5")
                                 .arg(info.absolutePath(), stem, kMark)
                                 .arg(QRandomGenerator::global()->generate(), kRandomDigits, 16, QChar('0'))
                                 .arg(kSuffix);
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists()) {
            reason = file.errorString();
            return {};
        }
    }
    reason = QStringLiteral("no free temporary name in its folder");
    return {};
}

QString ReplaceWithTemporary(const QString& temporary, const QString& target) {
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    struct stat existing {};
    if (::stat(to.constData(), &existing) == 0 && ::chmod(from.constData(), existing.st_mode & 07777) != 0) {
        const QString reason = OsReason();
        QFile::remove(temporary);
        return reason;
    }
    // The bytes must be on the disk before the name points at them: otherwise a
    // power cut just after the render reports success can leave an empty file
    // where the user believes a video is.
    if (!SyncToDisk(from)) {
        const QString reason = OsReason();
        QFile::remove(temporary);
        return reason;
    }
    // rename(2) replaces an existing file in one step, never leaving it half-written.
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString reason = OsReason();
        QFile::remove(temporary);
        return reason;
    }
    SyncToDisk(QFile::encodeName(QFileInfo(target).absolutePath())); // the new name itself
    return {};
}

int RemoveStaleTemporaries(const QString& folder, std::chrono::seconds age) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-age.count());
    int removed = 0;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (IsTemporaryName(entry.fileName()) && entry.lastModified().toUTC() < before &&
            QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}
