// Takes a timed mutex with a bounded wait.
#pragma once

#include <chrono>
#include <mutex>

// The deadline is on the system clock on purpose: a steady-clock deadline makes
// the library use a locking call that the thread sanitizer does not see, which
// then reports every unlock as an error.
inline std::unique_lock<std::timed_mutex> LockWithin(std::timed_mutex& mutex, std::chrono::milliseconds wait) {
    return std::unique_lock<std::timed_mutex>(mutex, std::chrono::system_clock::now() + wait);
}
