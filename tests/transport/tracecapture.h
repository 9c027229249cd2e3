// Collects trace lines while in scope.
#pragma once

#include "transport/trace.h"

#include <mutex>
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture() {
        SetTraceSink([this](const char* line) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_lines.emplace_back(line);
        });
    }
    ~TraceCapture() { SetTraceSink(nullptr); }
    bool Contains(const std::string& text) const {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const std::string& line : m_lines) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
};
