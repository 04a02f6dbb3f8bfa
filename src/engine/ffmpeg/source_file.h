#pragma once

#include <QByteArray>
#include <QString>

// Sources are files and nothing else. The libraries would read a name through
// whatever protocol its prefix names ("file:in.mp4" as in.mp4, "pipe:", "concat:"),
// while every check of ours looks at the file of that name; so the libraries are
// always handed the file itself.

// Why `file` cannot be read as a source, or an empty string: it does not exist, is
// a folder, is not a regular file (a FIFO, a device, a file of /proc or /sys, which
// never end or change as they are read), or is empty.
QString SourceFileProblem(const QString& file);

// The name the libraries open for the local file `file`: its absolute path behind
// the "file:" protocol, so no colon in it is taken for a protocol.
QByteArray LocalFileUrl(const QString& file);
