#pragma once

#include <QString>
#include <QStringList>

// The folder of the running executable with a trailing separator. The program's own
// files (tips, about texts, the manual) lie there.
QString ProgramFolder();

// The folder of the program's own files, with a trailing separator: the program
// folder when tips.txt lies there (a build or a portable copy), otherwise
// share/quillmark beside the program folder's parent (an installed program).
QString DataFolder(const QString& programFolder);

// Where setup.ini lives. A build or portable copy keeps it beside the executable
// when that folder already holds one or can be written; an installed program, and
// a build whose folder is read-only, in the user's configuration folder.
QString SettingsFilePath(const QString& programFolder);

// The default output folder: the user's home folder with a trailing separator.
QString DefaultOutputFolder();

// Appends the folder separator when the path lacks one.
QString WithTrailingSeparator(const QString& path);

bool FolderExists(const QString& path);
// Creates the folder and any missing parents; false when it cannot, with the
// reason in `reason` when given ("Permission denied", "a file of that name exists").
bool CreateFolderPath(const QString& path, QString* reason = nullptr);
// Makes sure the folder exists. Returns an empty string, or the message
// "Cannot create <path>: <reason>" the pages and the command line show.
QString EnsureFolder(const QString& path);

// True for a file name with nothing before its extension ("", ".avi"): the name a
// folder given where a file was meant turns into.
bool IsNamelessFile(const QString& fileName);

// Why `fileName` cannot name a file inside an output folder, or an empty string
// when it can: a folder in it ("../x", "a/b"), "." or "..", a control character
// (a NUL would cut the name short where the system reads it), or more bytes than
// a folder entry holds. The reason reads after the name: "with a folder in it".
QString FileNameProblem(const QString& fileName);
// The name as a message may show it: control characters become U+FFFD, and a
// name of more than 81 characters shows its first and last 40 around "…" (a
// name of megabytes would otherwise fill the terminal).
QString PrintableName(QString fileName);

// Which of `files` exist already: a run would replace them.
QStringList ExistingFiles(const QStringList& files);
// "3 files already exist in /videos/. Replace them?" (or "1 file ... Replace it?")
// for files that lie in one folder.
QString ReplaceQuestion(const QStringList& existing);

// Nothing but blanks: what a user means as empty in a name or a path box.
bool IsBlank(const QString& text);

// An output folder must be a full path: a relative one would land wherever the
// program happened to be started. Returns an empty string, or the message
// "A full path is needed for the output folder, not \"<path>\"".
QString OutputFolderProblem(const QString& path);
