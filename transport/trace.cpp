#include "transport/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// The sink is replaced rarely and called from every thread; one lock serves both.
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}

TraceSink& Sink() {
    static TraceSink sink;
    return sink;
}

// Long enough for "<< " or ">> " followed by a whole 1024-byte line.
constexpr size_t kTraceLineSize = 1100;

}  // namespace

void SetTraceSink(TraceSink sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    Sink() = std::move(sink);
}

void Trace(const char* format, ...) {
    std::lock_guard<std::mutex> guard(SinkLock());
    if (!Sink()) {
        return;
    }
    char line[kTraceLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Sink()(line);
}
