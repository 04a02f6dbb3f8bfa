#pragma once

#include <QString>

class TVideoEdit;

// Renders the engine's loaded timeline into `output` with a progress bar, until
// it completes, fails or Ctrl+C stops it (which leaves no file). Returns the
// command's exit code.
int RenderToCompletion(TVideoEdit& engine, const QString& output);
