#include "harness.h"
#include "sim/devsim.h"

#include <gtest/gtest.h>

namespace {

// The command worker against the simulated device with faults, over many
// requests: every request must complete, and only with results a dropped
// (retried), garbled or clean reply can give.
class SimulatorOwner : public ICommandOwner {
public:
    explicit SimulatorOwner(DevSimOptions options) : sim(std::move(options)), codec(data), worker(*this) {
        PasswordRecord password;
        data.Get(DI_PASSWORD, password);
        password.flags = 0;
        data.Set(DI_PASSWORD, password);
    }
    ~SimulatorOwner() override {
        worker.Stop();
        channel.Disconnect();
    }
    CZRAQueue& RequestQueue() override { return queue; }
    CZRAMDS& Codec() override { return codec; }
    CZRASCI& Channel() override { return channel; }
    void OnRequestResult(int32_t) override {}

    CDevSim sim;
    CDataServer data;
    CZRAMDS codec;
    CZRAQueue queue;
    CZRASCI channel;
    CZRACLI worker;
};

TEST(Soak, TwoThousandRequestsThroughDropsGarblesAndNoise) {
    DevSimOptions options;
    options.pacing = false;
    options.dropEveryN = 7;
    options.garbleEveryN = 11;
    options.noiseIntervalMs = 5;
    SimulatorOwner owner(options);
    ASSERT_TRUE(owner.sim.Start());
    // 3000 ms becomes 50 ms, so the dropped replies cost seconds, not minutes.
    owner.worker.ShortenTimeouts(60);
    ASSERT_EQ(owner.channel.Connect(owner.sim.PortPath()), 1);
    ASSERT_EQ(owner.worker.Start(), 1);

    constexpr int kRequests = 2000;
    int counts[kResultLost + 1] = {};
    for (int i = 0; i < kRequests; ++i) {
        Completion completion;
        const RequestType type = i % 2 == 0 ? RequestType::Read : RequestType::Write;
        ASSERT_EQ(owner.queue.Put(type, "MODE", nullptr, &completion, &Completion::Callback), 1);
        owner.worker.Notify();
        ASSERT_TRUE(completion.Wait(std::chrono::seconds(2))) << "request " << i << " hangs";
        const int result = completion.Result();
        ASSERT_TRUE(result == kResultOk || result == kResultNoAnswer || result == kResultNotBuilt)
            << "request " << i << " gave " << result;
        ++counts[result];
    }
    // A dropped or garbled reply gets the second attempt: only a request whose
    // both replies were lost or garbled fails (a dropped one next to a garbled
    // one: two reply numbers in 77).
    EXPECT_GT(counts[kResultOk], kRequests * 95 / 100);
    EXPECT_GT(counts[kResultNoAnswer] + counts[kResultNotBuilt], 0);
}

}  // namespace
