#include "transport/zraqueue.h"

#include "base/boundedlock.h"
#include "transport/trace.h"

#include <chrono>
#include <cstring>
#include <new>

namespace {

constexpr auto kLockWait = std::chrono::milliseconds(1000);

// Copies text into a buffer of size bytes; false (nothing copied) when it does not fit.
bool CopyBounded(char* buffer, size_t size, const char* text) {
    const size_t length = std::strlen(text);
    if (buffer == nullptr || length >= size) {
        return false;
    }
    std::memcpy(buffer, text, length + 1);
    return true;
}

int Next(int index) { return (index + 1) % CZRAQueue::kSlots; }

}  // namespace

CZRAQueue::CZRAQueue(void* owner) : m_owner(owner), m_slots(new (std::nothrow) Slot[kSlots]) {
    if (m_slots == nullptr) {
        Trace("[CZRAQueue] zra_queue creation failed\r\n");
    }
}

CZRAQueue::~CZRAQueue() {
    Clear();
    delete[] m_slots;
}

int CZRAQueue::Reset() { return Clear(); }

int CZRAQueue::Clear() {
    auto guard = LockWithin(m_lock, kLockWait);
    if (!guard.owns_lock()) {
        return 0;
    }
    if (m_slots != nullptr) {
        for (int i = 0; i < kSlots; ++i) {
            m_slots[i].type = RequestType::None;
        }
    }
    m_head = 0;
    m_tail = 0;
    return 1;
}

int CZRAQueue::Put(RequestType type, const char* text, const char* parameter, void* user, RequestCallback callback) {
    if (m_slots == nullptr || type == RequestType::None || text == nullptr) {
        return 0;
    }
    auto guard = LockWithin(m_lock, kLockWait);
    if (!guard.owns_lock() || Next(m_tail) == m_head) {
        return 0;  // locked out, or full: never overwrite an unread record
    }
    Slot& slot = m_slots[m_tail];
    // A text or parameter longer than a slot holds is refused rather than cut.
    if (!CopyBounded(slot.text, sizeof slot.text, text) ||
        !CopyBounded(slot.parameter, sizeof slot.parameter, parameter != nullptr ? parameter : "")) {
        return 0;
    }
    slot.type = type;
    slot.hasParameter = parameter != nullptr;
    slot.user = user;
    slot.callback = callback;
    m_tail = Next(m_tail);
    return 1;
}

int CZRAQueue::Get(QueueItem& item) {
    if (m_slots == nullptr) {
        return 0;
    }
    auto guard = LockWithin(m_lock, kLockWait);
    if (!guard.owns_lock() || m_head == m_tail) {
        return 0;
    }
    Slot& slot = m_slots[m_head];
    m_head = Next(m_head);
    // A record that the taker's buffers cannot hold whole is dropped, never cut.
    const bool delivered = slot.type != RequestType::None && item.parameter != nullptr &&
                           CopyBounded(item.text, item.textSize, slot.text) &&
                           CopyBounded(item.parameter, item.parameterSize, slot.parameter);
    if (delivered) {
        item.type = slot.type;
        item.user = slot.user;
        item.callback = slot.callback;
    }
    slot.type = RequestType::None;
    return delivered ? 1 : 0;
}
