// What a request asks of the device: query a group, write it, or send a raw line.
#pragma once

#include <cstdint>

enum class RequestType : int32_t { None = 0, Read = 1, Write = 2, Raw = 3 };
