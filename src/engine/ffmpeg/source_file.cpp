#include "engine/ffmpeg/source_file.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

// File systems whose files are made up as they are read: their sizes are 0 or a guess.
bool OnPseudoFileSystem(const QByteArray& path) {
    constexpr long kProc = 0x9fa0, kSysfs = 0x62656572, kDebugfs = 0x64626720, kTracefs = 0x74726163;
    struct statfs fs {};
    if (::statfs(path.constData(), &fs) != 0)
        return false;
    const long type = long(fs.f_type);
    return type == kProc || type == kSysfs || type == kDebugfs || type == kTracefs;
}

} // namespace

QString SourceFileProblem(const QString& file) {
    const QByteArray path = QFile::encodeName(file);
    struct stat st {};
    if (file.isEmpty() || ::stat(path.constData(), &st) != 0)
        return file.contains(QChar::ReplacementCharacter)
                   ? QStringLiteral("the file does not exist (its name as given is not UTF-8 text)")
                   : QStringLiteral("the file does not exist");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder, not a file");
    if (!S_ISREG(st.st_mode) || OnPseudoFileSystem(path))
        return QStringLiteral("it is not a regular file");
    if (st.st_size == 0)
        return QStringLiteral("the file is empty");
    return {};
}

QByteArray LocalFileUrl(const QString& file) {
    return "file:" + QFile::encodeName(QFileInfo(file).absoluteFilePath());
}
