// Injected faults: lost and garbled replies, silence, line noise, pacing,
// delays, and the port going away and coming back.

#include "sim_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string TempLink(const char* name) { return "/tmp/orvena-simtest-" + std::to_string(getpid()) + "-" + name; }

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool WaitFor(const std::string& path, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
        if (Exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

struct EveryNthCase {
    const char* name;
    int dropEvery, garbleEvery;
    // Per reply 1..6: 'v' valid, 'g' garbled, '-' none.
    const char* pattern;
};

class SimEveryNth : public ::testing::TestWithParam<EveryNthCase> {};

TEST_P(SimEveryNth, FaultHitsExactlyTheNthReplies) {
    const EveryNthCase& c = GetParam();
    DevSimOptions options = FastOptions(11);
    options.dropEveryN = c.dropEvery;
    options.garbleEveryN = c.garbleEvery;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    for (int i = 0; c.pattern[i]; ++i) {
        SCOPED_TRACE(i + 1);
        const std::string line = client.Ask("$MODE", c.pattern[i] == '-' ? 200 : 1000);
        const SimReply r = ParseSimReply(line);
        switch (c.pattern[i]) {
        case '-': EXPECT_EQ(line, ""); break;
        case 'g': EXPECT_TRUE(r.framed && !r.checksumOk) << line; break;
        default: EXPECT_TRUE(r.framed && r.checksumOk) << line; break;
        }
    }
    EXPECT_EQ(sim.ReceivedLines().size(), 6u);  // every command arrived, answered or not
}

INSTANTIATE_TEST_SUITE_P(Faults, SimEveryNth,
                         ::testing::Values(EveryNthCase{"drop2", 2, 0, "v-v-v-"}, EveryNthCase{"drop3", 3, 0, "vv-vv-"},
                                           EveryNthCase{"garble2", 0, 2, "vgvgvg"},
                                           EveryNthCase{"both", 3, 2, "vg-gv-"}, EveryNthCase{"none", 0, 0, "vvvvvv"}),
                         [](const ::testing::TestParamInfo<EveryNthCase>& p) { return std::string(p.param.name); });

TEST(SimFaults, SilentDeviceHearsButDoesNotAnswer) {
    DevSimOptions options = FastOptions(11);
    options.silent = true;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    EXPECT_EQ(client.Ask("$MODE", 300), "");
    sim.SetSilent(false);
    EXPECT_TRUE(ParseSimReply(client.Ask("$DEV")).checksumOk);
    EXPECT_EQ(sim.ReceivedLines(), (std::vector<std::string>{"$MODE", "$DEV"}));
}

TEST(SimFaults, NoiseLinesNeverStartWithDollarAndDoNotDisturbReplies) {
    DevSimOptions options = FastOptions(11);
    options.noiseIntervalMs = 40;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    int noise = 0, replies = 0;
    client.Send("$MODE\r\n");
    const auto start = Clock::now();
    while (ElapsedMs(start) < 500) {
        const std::string line = client.ReadLine(100);
        if (line.empty())
            continue;
        if (line[0] == '$') {
            EXPECT_TRUE(ParseSimReply(line).checksumOk) << line;
            ++replies;
        } else {
            ++noise;
        }
    }
    EXPECT_EQ(replies, 1);
    EXPECT_GE(noise, 3);
}

TEST(SimFaults, PacingTakesTheWireTimeOfTheReply) {
    DevSimOptions options;  // pacing on by default
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    auto start = Clock::now();
    const std::string rep = client.Ask("$REP", 2000);
    const long paced = ElapsedMs(start);
    ASSERT_GT(rep.size(), 80u);
    // About 1.04 ms per byte at 9600 baud 8N1, CR LF included.
    EXPECT_GE(paced, static_cast<long>((rep.size() + 2) * 104 / 100) - 2);
}

TEST(SimFaults, ReplyDelayHoldsTheAnswerBack) {
    DevSimOptions options = FastOptions(11);
    options.replyDelayMs = 250;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    const auto start = Clock::now();
    EXPECT_EQ(client.ReadLine(0), "");
    EXPECT_TRUE(ParseSimReply(client.Ask("$MODE", 2000)).checksumOk);
    EXPECT_GE(ElapsedMs(start), 250);
}

TEST(SimFaults, UnplugAfterCommandsHangsUpAndReplugComesBackOnTheSameLink) {
    const std::string link = TempLink("replug");
    DevSimOptions options = FastOptions(11);
    options.link = link;
    options.unplugAfterCommands = 2;
    options.replugAfterSeconds = 1;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(sim.PortPath(), link);
    CSimClient client;
    ASSERT_TRUE(client.Open(link));
    EXPECT_TRUE(ParseSimReply(client.Ask("$MODE")).checksumOk);
    EXPECT_EQ(client.Ask("$DEV", 300), "");  // pulled out before it could answer
    EXPECT_TRUE(client.HungUp(1000));
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(sim.Plugged());
    client.Close();
    ASSERT_TRUE(WaitFor(link, 3000));
    EXPECT_TRUE(sim.Plugged());
    ASSERT_TRUE(client.Open(link));
    EXPECT_EQ(ParseSimReply(client.Ask("$MODE")).fields[0], "1");
    EXPECT_EQ(ParseSimReply(client.Ask("$DEV")).keyword, "DEV");  // unplugs only once
    EXPECT_FALSE(client.HungUp(200));
    sim.Stop();
    EXPECT_FALSE(Exists(link));
}

TEST(SimFaults, UnplugAndReplugOnRequestKeepTheSettings) {
    const std::string link = TempLink("manual");
    DevSimOptions options = FastOptions(11);
    options.link = link;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(link));
    ASSERT_EQ(ParseSimReply(client.Ask("$MODE;6")).payload, "OK");
    sim.Unplug();
    EXPECT_TRUE(client.HungUp(1000));
    EXPECT_FALSE(Exists(link));
    EXPECT_EQ(sim.SlavePath(), "");
    client.Close();
    sim.Replug();
    ASSERT_TRUE(Exists(link));
    ASSERT_TRUE(client.Open(link));
    EXPECT_EQ(ParseSimReply(client.Ask("$MODE")).fields[0], "6");
}

TEST(SimFaults, StaleLinkIsReplacedButAForeignFileIsLeftAlone) {
    const std::string link = TempLink("stale");
    ASSERT_EQ(symlink("/dev/pts/nonexistent", link.c_str()), 0);
    {
        DevSimOptions options = FastOptions(11);
        options.link = link;
        CDevSim sim(options);
        ASSERT_TRUE(sim.Start());
        CSimClient client;
        EXPECT_TRUE(client.Open(link));
    }
    EXPECT_FALSE(Exists(link));
    std::ofstream(link) << "keep";
    DevSimOptions options = FastOptions(11);
    options.link = link;
    CDevSim sim(options);
    EXPECT_FALSE(sim.Start());
    std::string text;
    std::ifstream(link) >> text;
    EXPECT_EQ(text, "keep");
    unlink(link.c_str());
}

TEST(SimFaults, StopIsPromptWhileAReplyIsBeingPaced) {
    DevSimOptions options;
    options.replyDelayMs = 5000;
    auto sim = std::make_unique<CDevSim>(options);
    ASSERT_TRUE(sim->Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim->PortPath()));
    client.Send("$REP\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    sim.reset();
    EXPECT_LT(ElapsedMs(start), 1000);
}

}  // namespace

// A device that keeps no record still answers every line.
TEST(SimRecord, WithoutTheRecordEveryLineIsAnsweredAndNoneKept) {
    DevSimOptions options = FastOptions(11);
    options.recordReceived = false;
    CDevSim sim(options);
    ASSERT_TRUE(sim.Start());
    CSimClient client;
    ASSERT_TRUE(client.Open(sim.PortPath()));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ParseSimReply(client.Ask("$MODE", 1000)).checksumOk);
    EXPECT_TRUE(sim.ReceivedLines().empty());
}
