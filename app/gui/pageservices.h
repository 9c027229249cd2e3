// The main window's services that pages use, as plain calls so that pages can
// be run against fakes.
#pragma once

#include <functional>

struct PageServices {
    // type 1 read, 2 write, 3 raw line; parameter may be null; returns the result code.
    std::function<int(int type, const char* keyword, const char* parameter)> sendCommand;
    std::function<void(int code)> setActivePageCode;
};
