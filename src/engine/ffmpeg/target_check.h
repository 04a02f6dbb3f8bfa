#pragma once

#include <QString>
#include <QStringList>

// Which of `inputs` the file `target` already is, or an empty string when writing
// `target` cannot touch any of them. Names are compared by what they lead to, not
// by how they are spelled: symbolic links are followed (the target's and each
// input's) and two names with the same device and inode are one file, so hard
// links count too. A target that does not exist yet is no input.
QString InputAtTarget(const QString& target, const QStringList& inputs);

// Why a render may not write `target`, or an empty string when it may. Checked
// before anything is written and again before the finished file takes its place:
// - a folder, or an existing name that is not a regular file (a device, a FIFO, a
//   socket): replacing /dev/null with a video is never what was meant;
// - an existing file its user may not write (write-protected), as cp refuses it;
// - a name with a control character (a NUL would cut it short where the system
//   reads it) or longer than a folder entry may be.
QString TargetProblem(const QString& target);
