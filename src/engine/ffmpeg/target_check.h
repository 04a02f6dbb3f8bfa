#pragma once

#include <QString>
#include <QStringList>

// Which of `inputs` the file `target` already is, or an empty string when writing
// `target` cannot touch any of them. Names are compared by what they lead to, not
// by how they are spelled: symbolic links are followed (the target's and each
// input's) and two names with the same device and inode are one file, so hard
// links count too. A target that does not exist yet is no input.
QString InputAtTarget(const QString& target, const QStringList& inputs);
