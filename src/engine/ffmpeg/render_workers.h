#pragma once

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
