#include "harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// The command's keyword: the text after "$" up to the first ";".
std::string KeywordOf(const std::string& line) {
    const size_t end = line.find(';');
    return line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

// Answers every command with its keyword and the given payload.
PeerScript Answer(const std::string& payload) {
    return [payload](const std::string& line, int) {
        return std::vector<PeerReply>{{ReplyLine(KeywordOf(line) + ";" + payload)}};
    };
}

std::vector<PeerReply> Silent(const std::string&, int) { return {}; }

TEST(Worker, ReplyStatusWordsMapToResults) {
    struct Case {
        const char* payload;
        int result;
    } cases[] = {
        {"OK", kResultOk},          {"PC", kResultPassChanged}, {"PE", kResultWrongPassword},
        {"FE", kResultInvalid},     {"CE", kResultRefused},     {"DE", kResultNotBuilt},
        {"EE", kResultDeviceError}, {"7", kResultOther},  // data after a write: codec 8
    };
    for (const Case& c : cases) {
        WorkerHarness harness(Answer(c.payload));
        ASSERT_TRUE(harness.Connect());
        EXPECT_EQ(harness.Run(RequestType::Write, "MODE"), c.result) << c.payload;
        EXPECT_EQ(harness.peer.Commands(), 1) << c.payload;
        EXPECT_EQ(harness.OwnerResults(), std::vector<int32_t>{c.result}) << c.payload;
    }
}

TEST(Worker, ReadTakesDataIntoTheRecord) {
    WorkerHarness harness(Answer("2"));
    ASSERT_TRUE(harness.Connect());
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultOk);
    int32_t mode = 0;
    ASSERT_EQ(harness.data.Get(DI_MODE, mode), 1);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(harness.peer.Received(), std::vector<std::string>{"$MODE"});
}

// A wrong checksum is a transmission error and gets the second attempt; the
// device's own "DE" is a refusal and does not.
TEST(Worker, GarbledReplyGetsTheSecondAttempt) {
    struct Case {
        const char* name;
        std::vector<bool> garbled;  // per attempt; past the end: no reply
        int result;
        ResultCause cause;
        int commands;
    } cases[] = {
        {"garbled once", {true, false}, kResultOk, ResultCause::None, 2},
        {"garbled twice", {true, true}, kResultNotBuilt, ResultCause::BadChecksum, 2},
        {"garbled, then no reply", {true}, kResultNoAnswer, ResultCause::None, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkerHarness harness([&c](const std::string&, int ordinal) {
            const size_t attempt = static_cast<size_t>(ordinal - 1);
            if (attempt >= c.garbled.size())
                return std::vector<PeerReply>{};
            return std::vector<PeerReply>{{c.garbled[attempt] ? GarbledLine("MODE;2") : ReplyLine("MODE;2")}};
        });
        ASSERT_TRUE(harness.Connect());
        EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), c.result);
        EXPECT_EQ(harness.lastCause, c.cause);
        EXPECT_EQ(harness.peer.Commands(), c.commands);
    }
}

TEST(Worker, RequestsThatCannotBeSentAreCompletedWithoutSending) {
    struct Case {
        const char* name;
        RequestType type;
        const char* text;
        int result;
    } cases[] = {
        {"write of VER cannot be built", RequestType::Write, "VER", kResultNotBuilt},
        {"keyword too long for the exchange", RequestType::Read, "WIFINET100", kResultNotBuilt},
        {"empty raw line", RequestType::Raw, "", kResultNoAnswer},
        {"unknown request type", static_cast<RequestType>(7), "MODE", kResultNotBuilt},
    };
    WorkerHarness harness(Answer("OK"));
    ASSERT_TRUE(harness.Connect());
    for (const Case& c : cases) {
        EXPECT_EQ(harness.Run(c.type, c.text), c.result) << c.name;
    }
    EXPECT_EQ(harness.peer.Commands(), 0);
}

TEST(Worker, RawLineIsSentWithItsEndAndAnyDollarLineAnswers) {
    WorkerHarness harness([](const std::string&, int) { return std::vector<PeerReply>{{"noise\r\n"}, {"ok $\r\n"}}; });
    ASSERT_TRUE(harness.Connect());
    EXPECT_EQ(harness.Run(RequestType::Raw, "$VER"), kResultOk);
    EXPECT_EQ(harness.peer.Received(), std::vector<std::string>{"$VER"});
    EXPECT_EQ(harness.log.Lines().front(), std::make_pair(std::string("$VER\r\n"), 1));
}

// With a keyword to wait for, a line naming another keyword (a late reply to
// an earlier command) does not answer the raw line; the one naming it does,
// and it is what the worker keeps as its last reply.
TEST(Worker, RawLineWithAKeywordWaitsForTheReplyNamingIt) {
    WorkerHarness harness([](const std::string&, int) {
        return std::vector<PeerReply>{{ReplyLine("GSM;1")}, {ReplyLine("VER;2.0")}};
    });
    ASSERT_TRUE(harness.Connect());
    EXPECT_EQ(harness.Run(RequestType::Raw, "$VER", "VER"), kResultOk);
    EXPECT_EQ(harness.worker.LastReply().rfind("$VER;2.0", 0), 0u) << harness.worker.LastReply();
}

// A reply whose values the codec refuses names that cause, apart from the
// device's own refusal and a malformed line.
TEST(Worker, RefusedAndMalformedRepliesCarryTheirCause) {
    struct Case {
        const char* payload;
        ResultCause cause;
    } cases[] = {{"7", ResultCause::Refused}, {"DE", ResultCause::None}, {"", ResultCause::Malformed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.payload);
        WorkerHarness harness([&c](const std::string&, int) {
            return std::vector<PeerReply>{{ReplyLine(std::string("MODE;") + c.payload)}};
        });
        ASSERT_TRUE(harness.Connect());
        EXPECT_NE(harness.Run(RequestType::Read, "MODE"), kResultOk);
        EXPECT_EQ(harness.lastCause, c.cause);
    }
}

TEST(Worker, DroppedReplyIsRecoveredBySecondAttempt) {
    WorkerHarness harness([](const std::string& line, int ordinal) {
        return ordinal == 1 ? std::vector<PeerReply>{} : std::vector<PeerReply>{{ReplyLine(KeywordOf(line) + ";2")}};
    });
    ASSERT_TRUE(harness.Connect());
    const auto start = Clock::now();
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultOk);
    EXPECT_NEAR(SecondsSince(start), 3.05, 0.3);
    EXPECT_EQ(harness.peer.Commands(), 2);
}

TEST(Worker, DeviceUnpluggedWhileAReplyIsAwaitedIsALostConnectionAtOnce) {
    WorkerHarness harness(Silent);
    ASSERT_TRUE(harness.Connect());
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        harness.peer.Unplug();
    });
    const auto start = Clock::now();
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultLost);
    unplug.join();
    EXPECT_LT(SecondsSince(start), 1.0);
    EXPECT_EQ(harness.peer.Commands(), 1);
}

TEST(Worker, LateReplyToTheFirstAttemptSatisfiesTheSecond) {
    WorkerHarness harness([](const std::string& line, int ordinal) {
        return ordinal == 1 ? std::vector<PeerReply>{{ReplyLine(KeywordOf(line) + ";2"), 3200}}
                            : std::vector<PeerReply>{};
    });
    ASSERT_TRUE(harness.Connect());
    const auto start = Clock::now();
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultOk);
    EXPECT_NEAR(SecondsSince(start), 3.2, 0.3);
    EXPECT_TRUE(harness.peer.WaitForCommands(2, std::chrono::milliseconds(1000)));
    EXPECT_EQ(harness.peer.Commands(), 2);
}

TEST(Worker, SilentDeviceGivesNoAnswerAfterTwoAttempts) {
    WorkerHarness harness(Silent);
    ASSERT_TRUE(harness.Connect());
    const auto start = Clock::now();
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultNoAnswer);
    EXPECT_NEAR(SecondsSince(start), 6.1, 0.4);
    EXPECT_EQ(harness.peer.Received(), (std::vector<std::string>{"$MODE", "$MODE"}));
    EXPECT_EQ(harness.OwnerResults(), std::vector<int32_t>{kResultNoAnswer});
}

// A port known to be gone is not waited for.
TEST(Worker, UnpluggedDeviceIsALostConnectionAtOnce) {
    WorkerHarness harness(Answer("OK"));
    ASSERT_TRUE(harness.Connect());
    UnplugAndSettle(harness.peer);
    const auto start = Clock::now();
    EXPECT_EQ(harness.Run(RequestType::Read, "MODE"), kResultLost);
    EXPECT_LT(SecondsSince(start), 0.3);
    EXPECT_EQ(harness.peer.Commands(), 0);
    const auto stopping = Clock::now();
    harness.worker.Stop();
    harness.channel.Disconnect();
    EXPECT_LT(SecondsSince(stopping), 0.3);
}

TEST(Worker, StopCompletesQueuedRequestsWithNoAnswer) {
    WorkerHarness harness(Answer("OK"));
    Completion completions[5];
    for (Completion& completion : completions) {
        ASSERT_TRUE(harness.Submit(RequestType::Read, "MODE", nullptr, completion));
    }
    harness.worker.Stop();
    for (Completion& completion : completions) {
        ASSERT_TRUE(completion.Wait(std::chrono::milliseconds(0)));
        EXPECT_EQ(completion.Result(), kResultNoAnswer);
    }
    EXPECT_EQ(harness.peer.Commands(), 0);
}

TEST(Worker, OwnerHearsTheResultBeforeTheCallback) {
    WorkerHarness harness(Answer("OK"));
    ASSERT_TRUE(harness.Connect());
    struct Probe {
        WorkerHarness* harness;
        size_t ownerResultsSeen = 0;
        std::atomic<bool> done{false};
    } probe{&harness};
    auto callback = [](void* user, int32_t, uint32_t) {
        auto* self = static_cast<Probe*>(user);
        self->ownerResultsSeen = self->harness->OwnerResults().size();
        self->done.store(true);
    };
    ASSERT_EQ(harness.queue.Put(RequestType::Write, "MODE", nullptr, &probe, callback), 1);
    harness.worker.Notify();
    for (int i = 0; i < 200 && !probe.done.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(probe.done.load());
    EXPECT_EQ(probe.ownerResultsSeen, 1u);
}

TEST(Worker, LongOperationsWaitSixtySeconds) {
    struct Case {
        const char* keyword;
        uint32_t timeoutMs;
    } cases[] = {{"ERASURE", 60000}, {"FACTORY", 60000}, {"MODE", 3000}, {"ERASURES", 3000}, {"", 3000}};
    for (const Case& c : cases) {
        EXPECT_EQ(CZRACLI::TimeoutFor(c.keyword), c.timeoutMs) << c.keyword;
    }
}

}  // namespace
