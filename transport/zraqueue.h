// Bounded FIFO of request records between threads: 100 slots, at most 99 held.
// Every operation waits for the lock at most 1000 ms and fails rather than block.
#pragma once

#include "protocol/request.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

// Completion callback: (user, result code, reserved = 0).
using RequestCallback = void (*)(void* user, int32_t result, uint32_t reserved);

// A request as a taker receives it: text and parameter point to the taker's buffers.
struct QueueItem {
    RequestType type = RequestType::None;
    char* text = nullptr;
    size_t textSize = 0;
    char* parameter = nullptr;
    size_t parameterSize = 0;
    void* user = nullptr;
    RequestCallback callback = nullptr;
};

class CZRAQueue {
public:
    static constexpr int kSlots = 100;
    static constexpr size_t kTextSize = 1024;  // keyword, or a raw line with room for its end
    static constexpr size_t kParameterSize = 34;

    explicit CZRAQueue(void* owner = nullptr);
    CZRAQueue(const CZRAQueue&) = delete;
    CZRAQueue& operator=(const CZRAQueue&) = delete;
    ~CZRAQueue();

    int Reset();
    // 0 when type is None, text is null, the lock is not obtained or the ring is full.
    int Put(RequestType type, const char* text, const char* parameter, void* user, RequestCallback callback);
    // Copies the oldest record into the caller's buffers; 0 when empty or locked out.
    int Get(QueueItem& item);
    int Clear();

private:
    struct Slot {
        RequestType type;
        char text[kTextSize];
        char parameter[kParameterSize];
        bool hasParameter;
        void* user;
        RequestCallback callback;
    };
    [[maybe_unused]] void* m_owner;
    std::timed_mutex m_lock;
    Slot* m_slots;
    int m_head = 0;
    int m_tail = 0;
};
