#pragma once

#include "split/split_run.h"

#include <QList>
#include <QString>

// Split lists kept outside the program: a CSV file of "start,end,name,save" rows
// under a header line, times in seconds to the millisecond, to export, edit and
// import again; and chapter text ("00:01:30 Name" a line) for video sites.

// The rows as CSV, header first. Names holding a comma or a quote are quoted.
QString SegmentsCsv(const QList<SplitRow>& rows);

// The rows of a CSV text, in order; they may leave gaps but never overlap. Each
// name keeps what comes before its extension and gets `outputExt`. Anything
// malformed raises QuillmarkError naming `fileName` and the line; nothing is
// taken then. A time may also be written as hh:mm:ss.mmm.
QList<SplitRow> ParseSegmentsCsv(const QString& text, const QString& fileName, double sourceDuration,
                                 const QString& outputExt);

// One chapter a row: its start as the list shows it, then its name without extension.
QString ChapterText(const QList<SplitRow>& rows);

// File helpers that raise QuillmarkError naming the file. Writing replaces the
// file only once the whole text is on disk.
QString ReadTextFile(const QString& path);
void WriteTextFile(const QString& path, const QString& text);
