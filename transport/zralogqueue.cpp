#include "transport/zralogqueue.h"

#include "base/boundedlock.h"
#include "transport/trace.h"

#include <chrono>
#include <cstring>
#include <new>

namespace {

constexpr auto kPutWait = std::chrono::milliseconds(100);
constexpr auto kLongWait = std::chrono::milliseconds(1000);

int Next(int index) { return (index + 1) % CZRALogQueue::kSize; }

}  // namespace

CZRALogQueue::CZRALogQueue(void* owner) : m_owner(owner), m_storage(new (std::nothrow) uint8_t[kSize]) {
    if (m_storage == nullptr) {
        Trace("[CZRALogQueue] zra_queue creation failed\r\n");
    }
}

CZRALogQueue::~CZRALogQueue() {
    Clear();
    delete[] m_storage;
}

int CZRALogQueue::PutByte(uint8_t byte) {
    if (m_storage == nullptr) {
        return 0;
    }
    auto guard = LockWithin(m_lock, kPutWait);
    if (!guard.owns_lock() || Next(m_write) == m_read) {
        return 0;  // locked out, or full: the byte is dropped, unread bytes stay
    }
    m_storage[m_write] = byte;
    m_write = Next(m_write);
    return 1;
}

int CZRALogQueue::GetByte(uint8_t& byte) {
    if (m_storage == nullptr) {
        return 0;
    }
    auto guard = LockWithin(m_lock, kLongWait);
    if (!guard.owns_lock() || m_read == m_write) {
        return 0;
    }
    byte = m_storage[m_read];
    m_read = Next(m_read);
    return 1;
}

int CZRALogQueue::Clear() { return ClearWithin(kLongWait); }

int CZRALogQueue::ClearQuick() { return ClearWithin(kPutWait); }

int CZRALogQueue::ClearWithin(std::chrono::milliseconds wait) {
    auto guard = LockWithin(m_lock, wait);
    if (!guard.owns_lock()) {
        return 0;
    }
    if (m_storage != nullptr) {
        std::memset(m_storage, 0, kSize);
    }
    m_read = 0;
    m_write = 0;
    return 1;
}
