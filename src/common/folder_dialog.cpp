#include "common/folder_dialog.h"

#include "common/folders.h"

#include <QDir>
#include <QFileDialog>

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

