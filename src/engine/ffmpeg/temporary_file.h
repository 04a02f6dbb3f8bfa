#pragma once

#include <QString>
#include <chrono>

// A render writes into a hidden temporary beside its target and renames it over
// the target only when complete. Temporaries are named
// ".NAME.quillmark-XXXXXXXX.part" (NAME shortened when the whole would be longer
// than a folder entry may be), so one left behind by a crash or a power cut is
// recognised and cleared by a later render into the same folder.

// Creates a new, empty temporary for `target` with the permissions any new file
// gets. Returns its path, or an empty string with `reason` set.
QString CreateTemporaryBeside(const QString& target, QString& reason);

// Renames `temporary` over `target` in one step. A target that already exists
// passes its permission bits on to the new file. Returns an empty string, or why
// the rename failed (the temporary is then removed).
QString ReplaceWithTemporary(const QString& temporary, const QString& target);

// True for a name CreateTemporaryBeside makes.
bool IsTemporaryName(const QString& fileName);

// Removes the temporaries in `folder` last modified longer than `age` ago. A
// render in progress writes to its temporary all the time, so it is never that
// old. Returns how many were removed.
int RemoveStaleTemporaries(const QString& folder, std::chrono::seconds age = std::chrono::hours(24));
