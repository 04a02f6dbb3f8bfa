#pragma once

#include <QString>
#include <functional>

class QWidget;

// Opens the desktop's folder browser with the given title. When `folder` names an
// existing folder the browser starts there; otherwise `folder` is emptied first.
// Returns true and the chosen folder when the user confirms.
bool ChooseFolder(QWidget* parent, const QString& title, QString& folder);
// Test seam: while set, ChooseFolder asks this instead of showing the browser.
void SetChooseFolderHandler(std::function<bool(const QString& title, QString& folder)> handler);
