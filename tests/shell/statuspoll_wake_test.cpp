// The status thread's pause between passes, ended early by a newly active page.
#include "model/dataserver.h"
#include "shell/shellstate.h"
#include "shell/statuspoll.h"
#include "tests/support/fake_ui.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A running status thread on the Info page; notes when each pass starts
// (a pass reads STATIST first there).
class WakeFixture : public testing::Test {
protected:
    void SetUp() override {
        data.Set(DI_DEV_TYPE, LookupModel(11).caps);
        state.connected = true;
        state.activePageCode = PageCode::Info;
        service.Reset();
    }
    void TearDown() override {
        poll.Stop();
        EXPECT_TRUE(poll.WaitStopped(std::chrono::seconds(5)));
    }
    bool WaitForPasses(size_t passes) {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(10), [&] { return starts.size() >= passes; });
    }
    Clock::duration Between(size_t first, size_t second) {
        std::lock_guard guard(lock);
        return starts[second] - starts[first];
    }

    CDataServer data;
    CShellState state;
    FakeUi ui;
    CZRAQueue service;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Clock::time_point> starts;
    std::function<void(size_t pass)> onPass;
    CStatusPoll poll{state, data, service, ui, [this](RequestType, const char* keyword, const char*) {
                         if (std::string(keyword) != "STATIST")
                             return kResultOk;
                         size_t pass;
                         {
                             std::lock_guard guard(lock);
                             starts.push_back(Clock::now());
                             pass = starts.size();
                         }
                         changed.notify_all();
                         if (onPass)
                             onPass(pass);
                         return kResultOk;
                     }};
};

TEST_F(WakeFixture, AWakeDuringAPassStartsTheNextOneWithoutThePause) {
    onPass = [this](size_t pass) {
        if (pass == 1)
            poll.Wake();  // the user changes tab while the first pass runs
    };
    poll.Start();
    ASSERT_TRUE(WaitForPasses(3));
    EXPECT_LT(Between(0, 1), CStatusPoll::kPeriod / 2);
    EXPECT_GE(Between(1, 2), CStatusPoll::kPeriod);  // the wake is used up: the pause is back
}

// A tab change during read-all: the first pass after it reads at once.
TEST_F(WakeFixture, AWakeWhileBusyWaitsForThePassThatReads) {
    state.busy = true;
    poll.Start();
    std::this_thread::sleep_for(CStatusPoll::kIdle * 2);  // idle passes, into the pause
    poll.Wake();
    std::this_thread::sleep_for(CStatusPoll::kIdle * 2);
    const Clock::time_point free = Clock::now();
    state.busy = false;
    ASSERT_TRUE(WaitForPasses(1));
    std::lock_guard guard(lock);
    EXPECT_LT(starts[0] - free, CStatusPoll::kPeriod / 2);
}

}  // namespace
