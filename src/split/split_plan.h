#pragma once

#include "common/rounding.h"

#include <QString>
#include <cstdint>

// How a source is cut: into a number of equal parts, into parts of a given
// length, at split points set by hand, or into parts of at most a size.
enum SplitMode { NoSplitMode = 0, ByAmount = 1, ByTime = 2, BySettings = 3, BySize = 4 };


// Parts needed for a quotient: 2.0 gives 2, 2.0001 gives 3.
int32_t CeilParts(double x);

// Whole seconds as "hh:mm:ss"; hours may grow past two digits (360000 -> "100:00:00").
QString FormatClock(int64_t seconds);
// A time to the millisecond, "hh:mm:ss.mmm", for marking frames exactly.
QString FormatExactClock(double seconds);
// "hh:mm:ss" back to seconds, reading two characters per field at fixed places; an
// empty text is 0. Raises QuillmarkError for any other form.
int64_t ParseClock(const QString& text);

// The number of pie slices the time mode previews: the source's whole seconds
// divided by the part length, rounded up. 0 when the length is 0 (nothing to draw).
int64_t TimeModeSlices(double sourceDuration, int64_t partSeconds);

// The file name of part n in the equal-parts modes: the source's name without
// folder and last extension, "-n", and the output extension.
QString PartFileName(const QString& source, int n, const QString& extension);
// A file name without its last extension ("clip.avi" -> "clip"; "clip" stays).
QString WithoutExtension(const QString& fileName);
// The source's file name without its folder and without its last extension.
QString SourceBaseName(const QString& source);
