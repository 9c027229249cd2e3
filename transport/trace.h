// Diagnostic trace lines. Where they go is chosen by the application; by default they are dropped.
#pragma once

#include <functional>

using TraceSink = std::function<void(const char* line)>;
void SetTraceSink(TraceSink sink);
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
