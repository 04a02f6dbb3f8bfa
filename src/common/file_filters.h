#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include <memory>

class QFileDialog;
class QWidget;

// One entry of an open dialog's file type list: the description the user reads and
// the patterns it stands for, separated by ';' ("*.mpg;*.mpeg").
struct FileFilter {
    QString description;
    QString patterns;
};

// What an open dialog shows: its title, its file types in order, and whether
// several files may be chosen at once.
struct OpenDialogSetup {
    QString title;
    QList<FileFilter> filters;
    bool multiSelect = false;
};

// What a save dialog shows: its title, the one file type it writes, the file it
// proposes, and the extension put on a name typed without one.
struct SaveDialogSetup {
    QString title;
    FileFilter filter;
    QString proposed;
    QString suffix;
};

// Name filters for Qt's file dialog. Extensions match in any letter case, so
// CLIP.AVI is offered under "*.avi" on case-sensitive file systems too.
QStringList QtNameFilters(const QList<FileFilter>& filters);
// Whether a file name is offered under a filter.
bool MatchesFilter(const FileFilter& filter, const QString& fileName);

// The dialogs as the Run functions show them, for a look at what they offer.
std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent, const OpenDialogSetup& setup);
std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const SaveDialogSetup& setup);

// Runs the open dialog; returns the chosen files, none when cancelled.
QStringList RunOpenDialog(QWidget* parent, const OpenDialogSetup& setup);
// Test seam: while set, RunOpenDialog returns what this gives instead of asking.
void SetOpenDialogHandler(std::function<QStringList(const OpenDialogSetup& setup)> handler);

// Runs the save dialog; returns the chosen file, empty when cancelled. The dialog
// itself asks before an existing file is replaced.
QString RunSaveDialog(QWidget* parent, const SaveDialogSetup& setup);
// Test seam: while set, RunSaveDialog returns what this gives instead of asking.
void SetSaveDialogHandler(std::function<QString(const SaveDialogSetup& setup)> handler);
