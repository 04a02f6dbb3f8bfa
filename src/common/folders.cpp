#include "common/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QDir::separator()) || path.endsWith('/')) return path;
    return path + QDir::separator();
}

QString ProgramFolder() { return WithTrailingSeparator(QCoreApplication::applicationDirPath()); }

QString SettingsFilePath(const QString& programFolder) {
    const QString beside = programFolder + QStringLiteral("setup.ini");
    if (QFileInfo::exists(beside) || QFileInfo(programFolder).isWritable()) return beside;
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

namespace {
std::function<bool(const QString&, QString&)> chooseFolderHandler;
}

void SetChooseFolderHandler(std::function<bool(const QString& title, QString& folder)> handler) {
    chooseFolderHandler = std::move(handler);
}

bool ChooseFolder(QWidget* parent, const QString& title, QString& folder) {
    if (!FolderExists(folder)) folder.clear();
    if (chooseFolderHandler) return chooseFolderHandler(title, folder);
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, folder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    folder = QDir::toNativeSeparators(chosen);
    return true;
}

bool FolderExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool CreateFolderPath(const QString& path) { return !path.isEmpty() && QDir().mkpath(path) && FolderExists(path); }
