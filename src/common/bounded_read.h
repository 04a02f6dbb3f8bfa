#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads the whole of a list or script the user names, "-" being standard input.
// It may be a pipe or a FIFO fed slowly, so the read waits on it and on `wakeFd`
// together (a descriptor that becomes readable on Ctrl+C; -1 for none) and gives
// up with nullopt as soon as the latter has something. More than `maxBytes` is
// refused: no list or script is that long, and /dev/zero never ends. Raises
// QuillmarkError naming the file when it cannot be read or is too long.
std::optional<QByteArray> ReadBoundedInput(const QString& path, qint64 maxBytes, int wakeFd = -1);

// The bound for lists and scripts: ample for tens of thousands of lines.
constexpr qint64 kMaxListBytes = 16 * 1024 * 1024;
