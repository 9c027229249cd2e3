// The command worker: the one thread that talks to the device. Takes requests
// from the request queue, builds, sends with at most two attempts, parses, and
// reports exactly one result code per request.
#pragma once

#include "transport/zraqueue.h"
#include "transport/zrasci.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CZRAMDS;

// Worker result codes.
enum WorkerResult : int32_t {
    kResultOk = 0,
    kResultDone = 1,
    kResultNoAnswer = 2,
    kResultPassChanged = 3,
    kResultWrongPassword = 4,
    kResultInvalid = 5,      // "FE" or malformed
    kResultRefused = 6,      // "CE"
    kResultNotBuilt = 7,     // nothing sent, or "DE"
    kResultDeviceError = 8,  // "EE" or codec lock
    kResultOther = 9,
    kResultLost = 10,  // the channel did not take the command
};

// Whether the device took or answered the request: the one test of success
// for every caller of the worker.
constexpr bool ExchangeSucceeded(int32_t result) {
    return result == kResultOk || result == kResultDone || result == kResultPassChanged;
}

// Why a request failed, where the result code alone does not tell it; the
// worker hands it to the callback as its third value.
enum class ResultCause : uint32_t {
    None = 0,
    BadChecksum = 1,  // the replies of both attempts had a wrong checksum
    Refused = 2,      // a data reply whose values the keyword's handler could not take
    Malformed = 3,    // a reply line that ended before it could be handled
};

// What the worker needs of its owner (the main window, or a headless session).
class ICommandOwner {
public:
    virtual ~ICommandOwner() = default;
    virtual CZRAQueue& RequestQueue() = 0;
    virtual CZRAMDS& Codec() = 0;
    virtual CZRASCI& Channel() = 0;
    virtual void OnRequestResult(int32_t code) = 0;
};

class CZRACLI {
public:
    explicit CZRACLI(ICommandOwner& owner);
    ~CZRACLI();

    int Start();
    // Finishes the current step, then completes every request still queued with 2.
    int Stop();
    // Wakes the worker at once when a request was queued (otherwise it polls every 50 ms).
    void Notify();

    // The reply line of the last request performed ("" when none came); a
    // caller reads it after its request's callback.
    std::string LastReply() const;
    // The error of the last failed Start (the thread could not be made), 0 after a success.
    int StartError() const { return m_startError; }

    static uint32_t TimeoutFor(const char* keyword);  // 60000 for ERASURE/FACTORY, else 3000
    // Divides every reply time-out (long runs against a simulated device use it).
    void ShortenTimeouts(uint32_t divisor) { m_timeoutDivisor = divisor == 0 ? 1 : divisor; }

private:
    void Run();
    void Step();
    void WaitForWork();
    int32_t Perform(const QueueItem& request, ResultCause& cause);
    int32_t PerformKeyword(const QueueItem& request, ResultCause& cause);
    int32_t PerformRaw(const QueueItem& request);
    void Deliver(const QueueItem& request, int32_t result, ResultCause cause = ResultCause::None);
    void KeepReply(int32_t result);
    void CompleteQueued();
    QueueItem EmptyRequest();

    ICommandOwner& m_owner;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    char m_text[CZRAQueue::kTextSize] = {};
    char m_parameter[CZRAQueue::kParameterSize] = {};
    CommandExchange m_exchange;
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    bool m_woken = false;  // guarded by m_wakeLock
    uint32_t m_timeoutDivisor = 1;
    std::atomic<int> m_startError{0};
    mutable std::mutex m_replyLock;
    std::string m_lastReply;  // guarded by m_replyLock
};
