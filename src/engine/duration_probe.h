#pragma once

#include <QString>

// Playing time of a media file in seconds. Raises QuillmarkError naming the file
// when it cannot be read as media. Safe to call from any thread.
double MeasureDuration(const QString& file);
