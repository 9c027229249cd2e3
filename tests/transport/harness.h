// A channel and a command worker connected to a scripted device on a pty.
#pragma once

#include "model/dataserver.h"
#include "protocol/zramds.h"
#include "ptypeer.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"
#include "transport/zrasci.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Records every log line with its direction.
class LogRecorder : public ILogFeed {
public:
    int FeedLog(const char* line, int direction) override {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lines.push_back({line, direction});
        return 1;
    }
    std::vector<std::pair<std::string, int>> Lines() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_lines;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::pair<std::string, int>> m_lines;
};

// One request's completion, waited for with a bound.
struct Completion {
    static void Callback(void* user, int32_t result, uint32_t cause) {
        auto* self = static_cast<Completion*>(user);
        // Notified under the lock: the waiter may destroy this object as soon as it sees done.
        std::lock_guard<std::mutex> guard(self->lock);
        self->result = result;
        self->cause = static_cast<ResultCause>(cause);
        self->done = true;
        self->wake.notify_all();
    }
    bool Wait(std::chrono::milliseconds bound) {
        std::unique_lock<std::mutex> guard(lock);
        return wake.wait_for(guard, bound, [this] { return done; });
    }
    int Result() {
        std::lock_guard<std::mutex> guard(lock);
        return result;
    }
    ResultCause Cause() {
        std::lock_guard<std::mutex> guard(lock);
        return cause;
    }
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
    int result = -1;
    ResultCause cause = ResultCause::None;
};

class WorkerHarness : public ICommandOwner {
public:
    explicit WorkerHarness(PeerScript script, PeerOptions options = {})
        : peer(std::move(script), options), codec(data), channel(&log), worker(*this) {
        PasswordRecord password;
        data.Get(DI_PASSWORD, password);
        password.flags = 0;  // lines without the password prefix
        data.Set(DI_PASSWORD, password);
    }
    ~WorkerHarness() override {
        worker.Stop();
        channel.Disconnect();
    }

    bool Connect() { return channel.Connect(peer.SlavePath()) == 1 && worker.Start() == 1; }
    bool Submit(RequestType type, const char* text, const char* parameter, Completion& completion) {
        const bool queued = queue.Put(type, text, parameter, &completion, &Completion::Callback) == 1;
        worker.Notify();
        return queued;
    }
    // Performs one request; -1 when it did not complete within the bound.
    int Run(RequestType type, const char* text, const char* parameter = nullptr,
            std::chrono::milliseconds bound = std::chrono::milliseconds(10000)) {
        Completion completion;
        if (!Submit(type, text, parameter, completion) || !completion.Wait(bound)) {
            return -1;
        }
        lastCause = completion.Cause();
        return completion.Result();
    }
    ResultCause lastCause = ResultCause::None;  // of the last Run

    CZRAQueue& RequestQueue() override { return queue; }
    CZRAMDS& Codec() override { return codec; }
    CZRASCI& Channel() override { return channel; }
    void OnRequestResult(int32_t code) override {
        std::lock_guard<std::mutex> guard(resultLock);
        ownerResults.push_back(code);
    }
    std::vector<int32_t> OwnerResults() {
        std::lock_guard<std::mutex> guard(resultLock);
        return ownerResults;
    }

    CPtyPeer peer;
    LogRecorder log;
    CDataServer data;
    CZRAMDS codec;
    CZRAQueue queue;
    CZRASCI channel;
    CZRACLI worker;
    std::mutex resultLock;
    std::vector<int32_t> ownerResults;
};

// Unplugs the device and gives the reader time to see the hang-up.
inline void UnplugAndSettle(CPtyPeer& peer) {
    peer.Unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
