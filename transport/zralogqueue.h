// Byte ring carrying log text from the serial threads to the log thread.
// 1024 bytes, at most 1023 held; a full ring refuses the byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

class CZRALogQueue {
public:
    static constexpr int kSize = 1024;

    explicit CZRALogQueue(void* owner = nullptr);
    CZRALogQueue(const CZRALogQueue&) = delete;
    CZRALogQueue& operator=(const CZRALogQueue&) = delete;
    ~CZRALogQueue();

    int PutByte(uint8_t byte);   // waits at most 100 ms
    int GetByte(uint8_t& byte);  // waits at most 1000 ms
    int Clear();                 // waits at most 1000 ms
    int ClearQuick();            // waits at most 100 ms

private:
    int ClearWithin(std::chrono::milliseconds wait);

    [[maybe_unused]] void* m_owner;
    std::timed_mutex m_lock;
    uint8_t* m_storage;
    int m_read = 0;
    int m_write = 0;
};
