#pragma once

#include "engine/video_edit.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// What a render reported, collected on the test's thread through the event loop.
struct RenderOutcome {
    bool completed = false;
    QString error;
    int progressReports = 0;
    double lastPosition = 0;
    double lastDuration = 0;
    int events = 0; // completions and errors; one render raises exactly one
};

// Makes sure a QCoreApplication exists, as the engine's queued reports need one.
void EnsureApplication();

// Starts a render and runs the event loop until it completes or fails, and a
// little longer to catch anything raised after the end.
RenderOutcome RenderAndWait(TVideoEdit& engine, const QString& output, int timeoutMs = 60000);

// An engine writing uncompressed AVI with 16-bit PCM at 25 fps and the given
// size: every output frame and sample can be compared with its source.
std::unique_ptr<TVideoEdit> LosslessAviEngine(int width, int height);

// Runs the event loop for a while.
void Spin(int ms);

// The names in a folder, hidden temporary files included.
QStringList FolderEntries(const QString& folder);
