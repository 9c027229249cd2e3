// The status thread: once a second, sends the queued service commands, then
// reads the live groups the active page shows.
//
// Each started thread carries a generation; starting or stopping bumps the
// current one, and a thread whose generation is no longer current ends. A
// thread still busy in a port recheck when the reconnect starts its successor
// thus ends by itself instead of sharing one stop word with the new thread.
#pragma once

#include "shell/livesamples.h"
#include "shell/sequences.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CDataServer;
class CShellState;
class CZRAQueue;
class IStateNotice;

class CStatusPoll {
public:
    static constexpr std::chrono::milliseconds kPeriod{1000};
    static constexpr std::chrono::milliseconds kIdle{100};

    CStatusPoll(CShellState& state, CDataServer& data, CZRAQueue& serviceQueue, IStateNotice& notice, SendFn send);
    CStatusPoll(const CStatusPoll&) = delete;
    CStatusPoll& operator=(const CStatusPoll&) = delete;
    ~CStatusPoll();

    void Start();
    // Only tells the running thread to end (it may be waiting in an exchange).
    void Stop();
    // Waits at most bound for every status thread to end; true when all have.
    bool WaitStopped(std::chrono::milliseconds bound);
    // Ends the pause before the next pass: a newly active page wants its
    // values now rather than after up to a whole period.
    void Wake();
    // The bit-9 memory starts again as set (a new connection).
    void ResetStatusMemory() { m_statusBit = true; }
    // One sample per completed pass for "Информация"; a start begins them anew.
    CSampleStore& Samples() { return m_samples; }

    // One pass of the given generation; public for the tests.
    void PollDeviceStatus(uint32_t generation);
    uint32_t Generation() const { return m_generation; }

private:
    struct Runner {
        std::thread thread;
        std::atomic<bool> stopped{false};
    };

    void Loop(Runner& runner, uint32_t generation);
    bool Current(uint32_t generation) const { return m_generation == generation; }
    void SleepWhileCurrent(uint32_t generation, std::chrono::milliseconds period);
    void PauseWhileCurrent(uint32_t generation);
    void SendServiceRequests(uint32_t generation);
    void ReapStopped();
    void TakeSample(const std::vector<std::string>& failed);

    CShellState& m_state;
    CDataServer& m_data;
    CZRAQueue& m_serviceQueue;
    IStateNotice& m_notice;
    SendFn m_send;
    CSampleStore m_samples;

    std::atomic<uint32_t> m_generation{0};
    std::atomic<bool> m_statusBit{true};
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    bool m_woken = false;  // under m_wakeLock
    std::mutex m_runnersLock;
    std::vector<std::unique_ptr<Runner>> m_runners;
};
