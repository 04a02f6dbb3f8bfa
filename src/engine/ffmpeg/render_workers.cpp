#include "engine/ffmpeg/render_workers.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable ended;
    int live = 0;
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
