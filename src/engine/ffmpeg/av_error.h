#pragma once

#include <QString>

// One place turns libav error codes into words, and failures into the single
// exception type that the render reports at its edge.
namespace av {

QString ErrorText(int code);

// Raises QuillmarkError "<what> "<file>": <reason>".
[[noreturn]] void Fail(const QString& what, const QString& file, const QString& reason);
[[noreturn]] void Fail(const QString& what, const QString& file, int code);

// Passes a non-negative result through; raises for a libav error code.
int Check(int code, const QString& what, const QString& file);

} // namespace av
