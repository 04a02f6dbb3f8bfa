#include "engine/ffmpeg/library_log.h"

#include "engine/ffmpeg/libav.h"

#include <atomic>
#include <cstdarg>
#include <mutex>

namespace {

std::atomic<bool> verboseLog{false};

void OnLibraryLog(void* context, int level, const char* format, va_list args) {
    if (verboseLog.load(std::memory_order_relaxed))
        av_log_default_callback(context, level, format, args);
}

} // namespace

void RouteLibraryLog() {
    static std::once_flag routed;
    std::call_once(routed, [] { av_log_set_callback(OnLibraryLog); });
}

void SetLibraryLogVerbose(bool verbose) {
    verboseLog = verbose;
    RouteLibraryLog();
}
