// A protocol or settings-file line: length and a fixed 1024-byte text buffer.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kLineBufferSize = 1024;
constexpr size_t kLineMaxChars = kLineBufferSize - 1;

struct LineBuffer {
    uint16_t length = 0;
    char text[kLineBufferSize] = {};
};
