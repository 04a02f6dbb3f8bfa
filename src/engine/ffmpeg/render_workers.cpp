#include "engine/ffmpeg/render_workers.h"

#include <QFile>
#include <QSet>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable ended;
    int live = 0;
    QSet<QString> temporaries; // under `mutex`
    bool exiting = false;      // temporaries removed; no more may be opened
};

// Never destroyed: a worker that outlives the bounded wait at exit still finds it
// when it ends during the program's static destruction.
Registry& Workers() {
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

void StartRenderWorker(std::function<void()> work) {
    Registry& registry = Workers();
    {
        std::lock_guard lock(registry.mutex);
        ++registry.live;
    }
    auto end = [&registry] {
        std::lock_guard lock(registry.mutex);
        --registry.live;
        registry.ended.notify_all();
    };
    try {
        std::thread([end, work = std::move(work)] {
            work();
            end();
        }).detach();
    } catch (...) {
        end(); // no thread could be made: nothing runs
        throw;
    }
}

int LiveRenderWorkers() {
    Registry& registry = Workers();
    std::lock_guard lock(registry.mutex);
    return registry.live;
}

bool WaitForRenderWorkers(std::chrono::milliseconds limit) {
    Registry& registry = Workers();
    std::unique_lock lock(registry.mutex);
    return registry.ended.wait_for(lock, limit, [&] { return registry.live == 0; });
}

void ClaimTemporary(const QString& path) {
    Registry& registry = Workers();
    std::lock_guard lock(registry.mutex);
    registry.temporaries.insert(path);
}

void ReleaseTemporary(const QString& path) {
    Registry& registry = Workers();
    std::lock_guard lock(registry.mutex);
    registry.temporaries.remove(path);
}

bool OpenUnlessExiting(const std::function<void()>& open) {
    Registry& registry = Workers();
    // Held while the file is opened, so the exit's removal comes before or after
    // the open, never between its check and the file being made.
    std::lock_guard lock(registry.mutex);
    if (registry.exiting)
        return false;
    open();
    return true;
}

void RemoveClaimedTemporaries() {
    Registry& registry = Workers();
    std::lock_guard lock(registry.mutex);
    registry.exiting = true;
    for (const QString& path : std::as_const(registry.temporaries))
        QFile::remove(path);
    registry.temporaries.clear();
}
