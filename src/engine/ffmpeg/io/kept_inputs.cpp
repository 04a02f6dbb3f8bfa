#include "engine/ffmpeg/io/kept_inputs.h"

#include <QDateTime>
#include <QFileInfo>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace kept_inputs {

namespace {

using Clock = std::chrono::steady_clock;

// Enough for a render's readers of a few files at once; the oldest go first.
constexpr size_t kMostIdle = 12;
// The renders of one split or join follow each other within milliseconds; an
// input idle this long belongs to a run that has ended.
constexpr auto kIdleLife = std::chrono::seconds(3);

// The containers whose open reads an index: the ones worth keeping. Program and
// transport streams open in no time and keep state a seek does not reset.
bool WorthKeeping(const AVFormatContext* input) {
    const char* name = input->iformat->name;
    return std::strcmp(name, "avi") == 0 || std::strncmp(name, "mov,", 4) == 0 || std::strncmp(name, "matroska", 8) == 0
           || std::strcmp(name, "asf") == 0;
}

// What tells a file from the one that had its name before.
struct Stamp {
    qint64 size = -1;
    qint64 modified = 0;
    bool operator==(const Stamp& o) const { return size == o.size && modified == o.modified; }
};

Stamp StampOf(const QString& file) {
    const QFileInfo info(file);
    return {info.exists() ? info.size() : -1, info.lastModified().toMSecsSinceEpoch()};
}

struct Kept {
    QString file;
    Stamp stamp;
    AVFormatContext* input;
    Clock::time_point since;
};

// The library copies an input's interrupt callback into its reader at the open,
// so a kept input asks a slot of its own, which each new holder fills.
struct InterruptSlot {
    AVIOInterruptCB target{nullptr, nullptr};
    static int Ask(void* slot) {
        const AVIOInterruptCB& t = static_cast<InterruptSlot*>(slot)->target;
        return t.callback ? t.callback(t.opaque) : 0;
    }
};

InterruptSlot* SlotOf(AVFormatContext* input) {
    return static_cast<InterruptSlot*>(input->opaque);
}

void Close(AVFormatContext* input) {
    delete SlotOf(input);
    avformat_close_input(&input);
}

// The idle inputs, and a thread that closes the ones idle too long; it runs
// only while there are some.
struct Pool {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Kept> idle; // oldest first
    std::thread closer;
    bool ending = false;

    void startCloser() {
        if (closer.joinable())
            return;
        closer = std::thread([this] {
            std::unique_lock<std::mutex> guard(lock);
            while (!ending) {
                while (!idle.empty() && Clock::now() - idle.front().since >= kIdleLife) {
                    AVFormatContext* input = idle.front().input;
                    idle.pop_front();
                    guard.unlock();
                    Close(input);
                    guard.lock();
                }
                if (idle.empty())
                    changed.wait(guard, [this] { return ending || !idle.empty(); });
                else
                    changed.wait_until(guard, idle.front().since + kIdleLife);
            }
        });
    }

    ~Pool() {
        {
            std::lock_guard<std::mutex> guard(lock);
            ending = true;
        }
        changed.notify_all();
        if (closer.joinable())
            closer.join();
        for (Kept& k : idle)
            Close(k.input);
    }
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

// Moves a kept input back to where a newly opened one stands.
bool Rewind(AVFormatContext* input) {
    avformat_flush(input);
    const int64_t start = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    return avformat_seek_file(input, -1, INT64_MIN, start, start, 0) >= 0;
}

} // namespace

void Returner::operator()(AVFormatContext* input) const {
    if (!input)
        return;
    SlotOf(input)->target = {nullptr, nullptr};
    for (unsigned i = 0; i < input->nb_streams; ++i)
        input->streams[i]->discard = AVDISCARD_DEFAULT;
    const bool healthy = !input->pb || input->pb->error >= 0;
    if (!healthy || !WorthKeeping(input)) {
        Close(input);
        return;
    }
    Pool& pool = ThePool();
    AVFormatContext* dropped = nullptr;
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        pool.idle.push_back(Kept{file, StampOf(file), input, Clock::now()});
        if (pool.idle.size() > kMostIdle) {
            dropped = pool.idle.front().input;
            pool.idle.pop_front();
        }
        pool.startCloser();
    }
    pool.changed.notify_all();
    if (dropped)
        Close(dropped);
}

Input Take(const QString& file, const QByteArray& url, AVIOInterruptCB interrupt, int& error, bool& foundStreams) {
    error = 0;
    foundStreams = false;
    Pool& pool = ThePool();
    const Stamp stamp = StampOf(file);
    AVFormatContext* kept = nullptr;
    std::vector<AVFormatContext*> stale;
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        for (auto it = pool.idle.begin(); it != pool.idle.end();) {
            if (it->file != file) {
                ++it;
            } else if (!kept && it->stamp == stamp) {
                kept = it->input;
                it = pool.idle.erase(it);
            } else if (!(it->stamp == stamp)) {
                stale.push_back(it->input);
                it = pool.idle.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (AVFormatContext* s : stale)
        Close(s);
    if (kept) {
        SlotOf(kept)->target = interrupt;
        if (Rewind(kept)) {
            foundStreams = true;
            return Input(kept, Returner{file});
        }
        Close(kept);
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        throw std::bad_alloc();
    auto slot = std::make_unique<InterruptSlot>();
    slot->target = interrupt;
    raw->interrupt_callback = {&InterruptSlot::Ask, slot.get()};
    raw->opaque = slot.get();
    error = avformat_open_input(&raw, url.constData(), nullptr, nullptr); // frees the context when it fails
    if (error < 0)
        return Input(nullptr, Returner{file});
    slot.release();
    return Input(raw, Returner{file});
}

void CloseIdle() {
    Pool& pool = ThePool();
    std::deque<Kept> idle;
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        idle.swap(pool.idle);
    }
    for (Kept& k : idle)
        Close(k.input);
}

int IdleCount() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.lock);
    return int(pool.idle.size());
}

} // namespace kept_inputs
