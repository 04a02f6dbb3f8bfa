#include "engine/ffmpeg/target_check.h"

#include <QFile>
#include <optional>
#include <sys/stat.h>

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
