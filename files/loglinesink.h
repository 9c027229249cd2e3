// Where the log thread hands each finished log line for the log page.
#pragma once

#include <string>

class ILogLineSink {
public:
    virtual ~ILogLineSink() = default;
    // Called on the log thread; returns once the line was taken (or given up).
    virtual void AppendLogLine(const std::string& line) = 0;
};
