#pragma once

#include <algorithm>
#include <thread>

// Threads for one decoder or encoder: every core, and at least two so that a
// machine that reports one still overlaps reading with coding.
inline int CodecThreads() {
    return static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
}
