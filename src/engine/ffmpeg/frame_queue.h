#pragma once

#include "engine/ffmpeg/av_handles.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

// Hands output frames from the thread that decodes and scales to the thread that
// encodes. Bounded, so a fast producer waits instead of filling memory.
class FrameQueue {
public:
    explicit FrameQueue(size_t capacity) : capacity(capacity) {}

    // False when the queue was cancelled; the frame is dropped.
    bool push(av::FramePtr frame) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return cancelled || frames.size() < capacity; });
        if (cancelled)
            return false;
        frames.push_back(std::move(frame));
        changed.notify_all();
        return true;
    }

    // Null at the end of the frames, on cancel or after the producer failed (see
    // rethrow).
    av::FramePtr pop() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return cancelled || closed || !frames.empty(); });
        if (cancelled || frames.empty())
            return nullptr;
        av::FramePtr frame = std::move(frames.front());
        frames.pop_front();
        changed.notify_all();
        return frame;
    }

    // The producer is done, normally or with an error.
    void close(std::exception_ptr error = nullptr) {
        std::lock_guard lock(mutex);
        closed = true;
        failure = error;
        changed.notify_all();
    }

    void cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        frames.clear();
        changed.notify_all();
    }

    void rethrow() {
        std::lock_guard lock(mutex);
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<av::FramePtr> frames;
    size_t capacity;
    bool closed = false;
    bool cancelled = false;
    std::exception_ptr failure;
};
