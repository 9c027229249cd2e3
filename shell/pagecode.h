// The code each page reports when it becomes the active tab; the status poll
// reads by it.
#pragma once

#include <cstdint>

enum class PageCode : int32_t {
    None = 0,
    Main = 1,
    Info = 2,
    Settings = 3,
    Connections = 3,  // reads what the settings page reads
    Log = 7,
};
