// One synchronous exchange at a time: a request goes on the request queue and
// the caller waits for the worker's callback; a failed result becomes the
// user's message and, when the connection is gone, a disconnect or a recheck.
#pragma once

#include "transport/zracli.h"
#include "transport/zraqueue.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

// The longest raw line a user may send (the log page's command line, orvena-cli send).
constexpr size_t kRawLineMaxChars = 510;

class CShellState;
class IConnectPoster;
class IMessages;

// What a result makes the shell do, by the result message table.
struct ResultReaction {
    enum Box { kNoBox, kErrorBox, kInfoBox } box = kNoBox;
    enum Follow { kNothing, kPostConnect, kPortRecheck } follow = kNothing;
    std::string text;
};

// A worker result with the cause the worker gave for it.
struct ExchangeOutcome {
    int result = 2;
    ResultCause cause = ResultCause::None;
    std::string reply;  // the reply line the worker took, "" when none came
};

ResultReaction JudgeResult(int result, RequestType type, const char* keyword, const char* parameter, bool connected,
                           int consecutiveFailures, ResultCause cause = ResultCause::None);

class CExchange {
public:
    static constexpr int kSendLockMs = 1000;
    // The worker answers every request it accepted; this bound only guards
    // against a broken worker (two attempts of the longest command fit well inside).
    static constexpr std::chrono::seconds kSafetyBound{150};

    CExchange(CZRAQueue& requests, CShellState& state, IMessages& messages, IConnectPoster& poster);

    // The immediate send: 2 when the send lock is not obtained or not connected.
    int SendCommand(RequestType type, const char* keyword, const char* parameter);
    // The same, with the cause the worker gave for a failure.
    ExchangeOutcome SendCommandOutcome(RequestType type, const char* keyword, const char* parameter);
    // The exchange and its reaction, without the connected test (identification).
    int ExecuteCommand(RequestType type, const char* keyword, const char* parameter);
    ExchangeOutcome ExecuteCommandOutcome(RequestType type, const char* keyword, const char* parameter);

    // The worker's completion callback; user is the CExchange.
    static void Completed(void* user, int32_t result, uint32_t cause);

    // The worker's life: requests are accepted only while it runs, and a waiter
    // whose request the stopped worker never took is released.
    void WorkerStarted();
    void WorkerStopped();

    void SetWakeWorker(std::function<void()> wake) { m_wakeWorker = std::move(wake); }
    // Where a completed request's reply line is read (the worker's last reply).
    void SetReplySource(std::function<std::string()> source) { m_replySource = std::move(source); }
    // Runs the port recheck when a connected exchange found the port gone.
    void SetPortLostHandler(std::function<void()> handler) { m_portLost = std::move(handler); }

private:
    std::optional<ExchangeOutcome> Exchange(RequestType type, const char* keyword, const char* parameter,
                                            bool needConnected);
    ExchangeOutcome PutAndWait(RequestType type, const char* keyword, const char* parameter);
    void React(const ExchangeOutcome& outcome, RequestType type, const char* keyword, const char* parameter);
    void OnCompleted(int32_t result, ResultCause cause);

    CZRAQueue& m_requests;
    CShellState& m_state;
    IMessages& m_messages;
    IConnectPoster& m_poster;
    std::timed_mutex m_sendLock;
    std::function<void()> m_wakeWorker;
    std::function<void()> m_portLost;
    std::function<std::string()> m_replySource;

    std::mutex m_lock;
    std::condition_variable m_completed;
    bool m_done = false;
    int32_t m_result = 2;
    ResultCause m_cause = ResultCause::None;
    bool m_workerRunning = false;
    uint32_t m_workerEpoch = 0;
    int m_abandoned = 0;  // requests whose waiter gave up; their callbacks come first
};
