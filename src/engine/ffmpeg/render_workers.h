#pragma once

#include <QString>
#include <chrono>
#include <functional>

// Every render's worker thread is started here and counted until it ends, so that
// nobody has to wait for one while the program runs and the program can give the
// last ones a moment to remove their temporaries when it exits.

// Runs `work` on a new thread of its own. `work` must not let an exception out.
void StartRenderWorker(std::function<void()> work);

// How many workers have not ended yet.
int LiveRenderWorkers();

// Waits until every worker has ended or `limit` has passed; true when all ended.
bool WaitForRenderWorkers(std::chrono::milliseconds limit);

// The temporaries of renders under way. A worker that has not ended when the
// program exits (a busy machine, a stalled share) cannot be left to remove its
// own: the program removes them itself, and no worker may make one again after.

// Counts `path` as a render's temporary until ReleaseTemporary.
void ClaimTemporary(const QString& path);
void ReleaseTemporary(const QString& path);
// Runs `open`, which opens (and so may create) a render's output, unless the
// temporaries have been removed for the exit; returns false then, without running it.
bool OpenUnlessExiting(const std::function<void()>& open);
// Removes every claimed temporary for good; for the very end of the program.
void RemoveClaimedTemporaries();
