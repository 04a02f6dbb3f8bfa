#pragma once

#include <QString>
#include <optional>

// The text of a list or script named on the command line, "-" for standard input:
// UTF-8, at most the size any list or script has, and given up on at Ctrl+C even
// while it waits on a pipe or a FIFO. Raises QuillmarkError naming the file when
// it cannot be read; nullopt when Ctrl+C came first.
std::optional<QString> ReadUserText(const QString& path);
