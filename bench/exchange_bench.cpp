// Exchange latency and idle cost of the transport against the simulated device.
//
// Latency: 200 reads of HWCFG through queue, worker, codec and channel, the
// device pacing its reply at 9600 baud. Reported is what the configurator adds:
// the measured time minus the reply's wire time (the device answers at once).
// Idle: connected with nothing to send for 10 s; process CPU time per wall time.

#include "model/dataserver.h"
#include "protocol/zramds.h"
#include "sim/devsim.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"
#include "transport/zrasci.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kByteMs = 10.0 / 9.6;  // one 8N1 byte at 9600 baud
constexpr int kExchanges = 200;
constexpr int kIdleSeconds = 10;

// Remembers the length of the last received line (its wire bytes).
class ReplyLength : public ILogFeed {
public:
    int FeedLog(const char* line, int direction) override {
        if (direction == 0) {
            m_last.store(std::strlen(line));
        }
        return 1;
    }
    size_t Last() const { return m_last.load(); }

private:
    std::atomic<size_t> m_last{0};
};

struct Done {
    static void Callback(void* user, int32_t result, uint32_t) {
        auto* self = static_cast<Done*>(user);
        // Notified under the lock: the waiter may destroy this object as soon as it sees done.
        std::lock_guard<std::mutex> guard(self->lock);
        self->result = result;
        self->done = true;
        self->wake.notify_all();
    }
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
    int result = -1;
};

class BenchOwner : public ICommandOwner {
public:
    BenchOwner() : codec(data), channel(&replies), worker(*this) {
        PasswordRecord password;
        data.Get(DI_PASSWORD, password);
        password.flags = 0;
        data.Set(DI_PASSWORD, password);
    }
    ~BenchOwner() override {
        worker.Stop();
        channel.Disconnect();
    }
    CZRAQueue& RequestQueue() override { return queue; }
    CZRAMDS& Codec() override { return codec; }
    CZRASCI& Channel() override { return channel; }
    void OnRequestResult(int32_t) override {}

    ReplyLength replies;
    CDataServer data;
    CZRAMDS codec;
    CZRAQueue queue;
    CZRASCI channel;
    CZRACLI worker;
};

// Milliseconds from queueing a read to its completion; negative on failure.
double TimedRead(BenchOwner& owner, const char* keyword) {
    Done done;
    const auto start = Clock::now();
    if (owner.queue.Put(RequestType::Read, keyword, nullptr, &done, &Done::Callback) != 1) {
        return -1;
    }
    owner.worker.Notify();
    std::unique_lock<std::mutex> guard(done.lock);
    if (!done.wake.wait_for(guard, std::chrono::seconds(10), [&] { return done.done; }) || done.result != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main() {
    DevSimOptions options;
    options.pacing = true;
    options.replyDelayMs = 0;
    CDevSim sim(options);
    BenchOwner owner;
    if (!sim.Start() || owner.channel.Connect(sim.PortPath()) != 1 || owner.worker.Start() != 1) {
        std::fprintf(stderr, "cannot connect to the simulated device\n");
        return 1;
    }
    std::vector<double> overheads;
    size_t replyBytes = 0;
    for (int i = 0; i < kExchanges; ++i) {
        const double measured = TimedRead(owner, "HWCFG");
        if (measured < 0) {
            std::fprintf(stderr, "exchange %d failed\n", i);
            return 1;
        }
        replyBytes = owner.replies.Last();
        overheads.push_back(measured - static_cast<double>(replyBytes) * kByteMs - options.replyDelayMs);
    }
    std::printf("exchange: %d reads of HWCFG, reply %zu bytes (wire %.1f ms)\n", kExchanges, replyBytes,
                static_cast<double>(replyBytes) * kByteMs);
    std::printf("overhead beyond wire time: median %.2f ms, p95 %.2f ms\n", Percentile(overheads, 0.5),
                Percentile(overheads, 0.95));

    const double cpuBefore = CpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    std::printf("idle connected %.1f s: process CPU %.3f %% of one core (simulator included)\n", wall,
                100.0 * (CpuSeconds() - cpuBefore) / wall);
    return 0;
}
