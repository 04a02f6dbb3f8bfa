#include "common/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QDir::separator()) || path.endsWith('/')) return path;
    return path + QDir::separator();
}

QString ProgramFolder() { return WithTrailingSeparator(QCoreApplication::applicationDirPath()); }

namespace {
bool HoldsDataFiles(const QString& folder) { return QFileInfo::exists(folder + QStringLiteral("tips.txt")); }
}  // namespace

QString DataFolder(const QString& programFolder) {
    if (HoldsDataFiles(programFolder)) return programFolder;
    return WithTrailingSeparator(QDir::cleanPath(programFolder + QStringLiteral(QUILLMARK_DATA_FROM_BIN)));
}

QString SettingsFilePath(const QString& programFolder) {
    const QString beside = programFolder + QStringLiteral("setup.ini");
    // An installed program's folder is shared by every user (and writable when
    // installed into a private prefix or run as root): settings never go there.
    const bool portable = HoldsDataFiles(programFolder);
    if (portable && (QFileInfo::exists(beside) || QFileInfo(programFolder).isWritable())) return beside;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/Quillmark/setup.ini");
}

QString DefaultOutputFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return WithTrailingSeparator(QDir::homePath());
#endif
}

bool FolderExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool CreateFolderPath(const QString& path, QString* reason) {
    auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    if (path.isEmpty()) return fail(QStringLiteral("no folder was given"));
    // Each missing level is made in turn, so the one that fails names the cause.
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList levels = full.split('/', Qt::SkipEmptyParts);
    QString made;
    for (const QString& level : levels) {
        made += '/' + level;
        const QByteArray name = QFile::encodeName(made);
        if (::mkdir(name.constData(), 0777) == 0) continue;
        const int error = errno;
        struct stat st {};
        if (::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        if (error == EEXIST) {
            return fail(made == full ? QStringLiteral("a file of that name exists")
                                     : QStringLiteral("\"%1\" is a file, not a folder").arg(made));
        }
        return fail(QString::fromLocal8Bit(std::strerror(error)));
    }
    return FolderExists(full) || fail(QStringLiteral("it did not appear after it was made"));
}

QString EnsureFolder(const QString& path) {
    if (FolderExists(path)) return {};
    QString reason;
    if (CreateFolderPath(path, &reason)) return {};
    return QStringLiteral("Cannot create ") + path + QStringLiteral(": ") + reason;
}

bool IsNamelessFile(const QString& fileName) {
    const int dot = fileName.lastIndexOf('.');
    return (dot < 0 ? fileName : fileName.left(dot)).trimmed().isEmpty();
}

QString FileNameProblem(const QString& fileName) {
    if (fileName == "." || fileName == ".." || fileName.contains('/') || fileName.contains('\\'))
        return QStringLiteral("with a folder in it");
    for (const QChar c : fileName)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("with the control character U+%1 in it")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, '0'));
    constexpr int kFolderEntryBytes = 255;
    if (const qsizetype bytes = QFile::encodeName(fileName).size(); bytes > kFolderEntryBytes)
        return QStringLiteral("of %1 bytes, more than the %2 a file name may have").arg(bytes).arg(kFolderEntryBytes);
    return {};
}

QString PrintableName(QString fileName) {
    constexpr qsizetype kShownEachEnd = 40;
    if (fileName.size() > 2 * kShownEachEnd + 1) {
        // Whole characters: a cut inside a surrogate pair would show a broken one.
        qsizetype head = kShownEachEnd, tail = fileName.size() - kShownEachEnd;
        if (fileName[head - 1].isHighSurrogate()) --head;
        if (fileName[tail].isLowSurrogate()) ++tail;
        fileName = fileName.left(head) + QChar(0x2026) + fileName.mid(tail);
    }
    for (QChar& c : fileName)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QChar::ReplacementCharacter;
    return fileName;
}

QStringList ExistingFiles(const QStringList& files) {
    QStringList existing;
    for (const QString& file : files)
        if (QFileInfo::exists(file)) existing << file;
    return existing;
}

QString ReplaceQuestion(const QStringList& existing) {
    const QString folder = existing.isEmpty() ? QString() : WithTrailingSeparator(QFileInfo(existing.first()).absolutePath());
    if (existing.size() == 1)
        return QStringLiteral("1 file already exists in %1. Replace it?").arg(QDir::toNativeSeparators(folder));
    return QStringLiteral("%1 files already exist in %2. Replace them?").arg(existing.size()).arg(QDir::toNativeSeparators(folder));
}

bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

QString OutputFolderProblem(const QString& path) {
    if (QDir::isAbsolutePath(path)) return {};
    return QStringLiteral("A full path is needed for the output folder, not \"%1\"").arg(path);
}
