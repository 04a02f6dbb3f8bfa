#include "engine/ffmpeg/target_check.h"

#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> IdOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

} // namespace

QString InputAtTarget(const QString& target, const QStringList& inputs) {
    const std::optional<FileId> written = IdOf(target);
    if (!written)
        return {};
    for (const QString& input : inputs)
        if (IdOf(input) == written)
            return input;
    return {};
}

QString TargetProblem(const QString& target) {
    for (const QChar c : target)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("its name holds a control character");
    constexpr int kFolderEntryBytes = 255;
    if (QFile::encodeName(QFileInfo(target).fileName()).size() > kFolderEntryBytes)
        return QStringLiteral("its name is longer than the %1 bytes a file name may have").arg(kFolderEntryBytes);
    const QByteArray path = QFile::encodeName(target);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return {}; // nothing there yet (or a dangling link, which the rename replaces)
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file but a %1")
            .arg(S_ISFIFO(st.st_mode) ? QStringLiteral("FIFO")
                 : S_ISSOCK(st.st_mode) ? QStringLiteral("socket")
                                        : QStringLiteral("device"));
    if (::access(path.constData(), W_OK) != 0)
        return QStringLiteral("it is write-protected");
    return {};
}
