#include "shell/statuspoll.h"

#include "model/dataserver.h"
#include "shell/livestatus.h"
#include "shell/shellstate.h"
#include "shell/statenotice.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"

#include <algorithm>

namespace {
constexpr uint16_t kStatusBit = 1u << 9;
}

CStatusPoll::CStatusPoll(CShellState& state, CDataServer& data, CZRAQueue& serviceQueue, IStateNotice& notice,
                         SendFn send)
    : m_state(state), m_data(data), m_serviceQueue(serviceQueue), m_notice(notice), m_send(std::move(send)) {}

// A pass ends within its own bounded waits (send lock, exchange, recheck), so
// the join after the bounded wait does not hang.
CStatusPoll::~CStatusPoll() {
    Stop();
    WaitStopped(std::chrono::seconds(30));
    std::lock_guard lock(m_runnersLock);
    for (auto& runner : m_runners)
        runner->thread.join();
}

void CStatusPoll::Start() {
    ReapStopped();
    m_samples.Clear();
    uint32_t generation;
    {
        std::lock_guard lock(m_wakeLock);
        generation = ++m_generation;
    }
    auto runner = std::make_unique<Runner>();
    Runner& started = *runner;
    std::lock_guard lock(m_runnersLock);
    m_runners.push_back(std::move(runner));
    started.thread = std::thread([this, &started, generation] { Loop(started, generation); });
}

void CStatusPoll::Stop() {
    {
        std::lock_guard lock(m_wakeLock);
        ++m_generation;
    }
    m_wake.notify_all();
}

bool CStatusPoll::WaitStopped(std::chrono::milliseconds bound) {
    std::vector<Runner*> runners;
    {
        std::lock_guard lock(m_runnersLock);
        for (auto& runner : m_runners)
            runners.push_back(runner.get());
    }
    std::unique_lock lock(m_wakeLock);
    const bool all = m_wake.wait_for(lock, bound, [&] {
        for (Runner* runner : runners)
            if (!runner->stopped)
                return false;
        return true;
    });
    lock.unlock();
    ReapStopped();
    return all;
}

void CStatusPoll::ReapStopped() {
    std::lock_guard lock(m_runnersLock);
    std::erase_if(m_runners, [](std::unique_ptr<Runner>& runner) {
        if (!runner->stopped)
            return false;
        runner->thread.join();
        return true;
    });
}

void CStatusPoll::Loop(Runner& runner, uint32_t generation) {
    while (Current(generation)) {
        PollDeviceStatus(generation);
        PauseWhileCurrent(generation);
    }
    std::lock_guard lock(m_wakeLock);
    runner.stopped = true;
    m_wake.notify_all();
}

void CStatusPoll::Wake() {
    {
        std::lock_guard lock(m_wakeLock);
        m_woken = true;
    }
    m_wake.notify_all();
}

void CStatusPoll::SleepWhileCurrent(uint32_t generation, std::chrono::milliseconds period) {
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, period, [&] { return !Current(generation); });
}

// A wake ends the pause, also one that came during the pass before it; it
// stays until a pass reads, so an idle pass (busy, not connected) keeps it.
void CStatusPoll::PauseWhileCurrent(uint32_t generation) {
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, kPeriod, [&] { return !Current(generation) || m_woken; });
}

void CStatusPoll::PollDeviceStatus(uint32_t generation) {
    if (!m_state.connected || m_state.busy) {
        SleepWhileCurrent(generation, kIdle);
        return;
    }
    {
        std::lock_guard lock(m_wakeLock);
        m_woken = false;  // this pass reads for the page that is active now
    }
    SendServiceRequests(generation);
    const PageCode page = m_state.activePageCode;
    std::vector<std::string> failed;
    const SendFn noteFailures = [&](RequestType type, const char* keyword, const char* parameter) {
        const int result = m_send(type, keyword, parameter);
        if (!ExchangeSucceeded(result))
            failed.emplace_back(keyword);
        return result;
    };
    bool ended = false;
    RunPoll(page, m_data, noteFailures, [&](int result) {
        ended = result == kResultNoAnswer || !Current(generation);
        return ended;
    });
    if (ended)
        return;
    if (page == PageCode::Info)
        TakeSample(failed);
    uint16_t flags = 0;
    m_data.Get(DI_STATUS_FLAGS, flags);
    const bool bit = flags & kStatusBit;
    if (bit != m_statusBit.exchange(bit))
        m_notice.StateChanged();
}

void CStatusPoll::TakeSample(const std::vector<std::string>& failed) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto failedRead = [&](std::string_view keyword) {
        return std::find(failed.begin(), failed.end(), keyword) != failed.end();
    };
    m_samples.Add({std::chrono::duration_cast<std::chrono::milliseconds>(now).count(),
                   SampleOf(ReadLiveStatus(m_data), failedRead)});
}

// The requests are taken into this thread's own buffers, apart from the record
// the user-interface thread fills when it queues one.
void CStatusPoll::SendServiceRequests(uint32_t generation) {
    char text[CZRAQueue::kParameterSize];
    char parameter[CZRAQueue::kParameterSize];
    while (Current(generation)) {
        QueueItem item;
        item.text = text;
        item.textSize = sizeof text;
        item.parameter = parameter;
        item.parameterSize = sizeof parameter;
        if (!m_serviceQueue.Get(item))
            return;
        if (item.type != RequestType::None)
            m_send(item.type, text, parameter);
    }
}
