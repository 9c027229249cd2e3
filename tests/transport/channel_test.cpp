#include "harness.h"
#include "tracecapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

CommandExchange MakeExchange(const char* keyword, const char* line, uint32_t timeoutMs) {
    CommandExchange exchange;
    std::strncpy(exchange.keyword, keyword, sizeof exchange.keyword - 1);
    exchange.command.length = static_cast<uint16_t>(std::strlen(line));
    std::memcpy(exchange.command.text, line, exchange.command.length + 1u);
    exchange.timeoutMs = timeoutMs;
    return exchange;
}

// A channel connected to a device that answers every command with fixed lines.
struct ChannelFixture {
    explicit ChannelFixture(std::vector<std::string> answer)
        : peer([answer](const std::string&, int) {
              std::vector<PeerReply> replies;
              for (const std::string& text : answer) {
                  replies.push_back({text});
              }
              return replies;
          }),
          channel(&log) {}
    CPtyPeer peer;
    LogRecorder log;
    CZRASCI channel;
};

TEST(Channel, CapturesTheReplyByItsMarker) {
    const std::string longTail(1100, '7');
    struct Case {
        const char* name;
        const char* keyword;
        std::vector<std::string> lines;
        int result;
        const char* reply;
    } cases[] = {
        {"keyword reply", "MODE", {"$MODE;2^0A\r\n"}, kSendReplied, "$MODE;2^0A\r\n"},
        {"text before the marker", "HWCFG", {"junk$HWCFG;11\r\n"}, kSendReplied, "$HWCFG;11\r\n"},
        {"000 marker without keyword", "MODE", {"x$000;ERR\r\n"}, kSendReplied, "$000;ERR\r\n"},
        {"000 without its marker", "MODE", {"ERR 000\r\n"}, kSendNoReply, ""},
        {"keyword without $", "MODE", {"MODE;2\r\n"}, kSendNoReply, ""},
        {"noise first", "MODE", {"GPS fix lost\r\n", "$MODE;OK\r\n"}, kSendReplied, "$MODE;OK\r\n"},
        {"raw line takes the first $", "", {"ab$X;1$Y\r\n"}, kSendReplied, "$X;1$Y\r\n"},
        {"raw line without $", "", {"hello\r\n"}, kSendNoReply, ""},
        {"over-long line keeps only its wrapped tail", "MODE", {"$MODE;" + longTail + "\r\n"}, kSendNoReply, ""},
    };
    for (const Case& c : cases) {
        ChannelFixture fixture(c.lines);
        ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
        CommandExchange exchange = MakeExchange(c.keyword, "$MODE\r\n", 200);
        EXPECT_EQ(fixture.channel.SendAndWait(exchange), c.result) << c.name;
        if (c.result == kSendReplied) {
            EXPECT_STREQ(exchange.reply.text, c.reply) << c.name;
            EXPECT_EQ(exchange.reply.length, std::strlen(c.reply)) << c.name;
        }
    }
}

TEST(Channel, LogsBothDirectionsAndTracesThem) {
    TraceCapture trace;
    ChannelFixture fixture({"$MODE;2^0A\r\n"});
    ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
    CommandExchange exchange = MakeExchange("MODE", "$MODE\r\n", 1000);
    ASSERT_EQ(fixture.channel.SendAndWait(exchange), kSendReplied);
    const auto lines = fixture.log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::make_pair(std::string("$MODE\r\n"), 1));
    EXPECT_EQ(lines[1], std::make_pair(std::string("$MODE;2^0A\r\n"), 0));
    EXPECT_TRUE(trace.Contains(">> $MODE\r\n\n"));
    EXPECT_TRUE(trace.Contains("<< $MODE;2^0A\r\n\n"));
}

TEST(Channel, FullLengthLineIsLoggedWhole) {
    const std::string line = "$MODE;" + std::string(kLineBufferSize - 8, 'x') + "\r\n";
    ASSERT_EQ(line.size(), kLineBufferSize);
    ChannelFixture fixture({line});
    ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
    CommandExchange exchange = MakeExchange("MODE", "$MODE\r\n", 1000);
    ASSERT_EQ(fixture.channel.SendAndWait(exchange), kSendReplied);
    EXPECT_EQ(exchange.reply.length, kLineMaxChars);
    EXPECT_EQ(fixture.log.Lines().back().first, line);
}

// Waiting threads wake on their event: an answered exchange costs far less
// than one idle period of the threads (50 ms), even on a loaded machine.
TEST(Channel, ReplyEndsTheWaitAtOnce) {
    ChannelFixture fixture({"$MODE;2^0A\r\n"});
    ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
    std::vector<double> seconds;
    for (int i = 0; i < 21; ++i) {
        CommandExchange exchange = MakeExchange("MODE", "$MODE\r\n", 3000);
        const auto start = Clock::now();
        ASSERT_EQ(fixture.channel.SendAndWait(exchange), kSendReplied);
        seconds.push_back(SecondsSince(start));
    }
    std::sort(seconds.begin(), seconds.end());
    EXPECT_LT(seconds[seconds.size() / 2], 0.02);
}

TEST(Channel, InvalidRecordAndNoWaitExchange) {
    ChannelFixture fixture({});
    ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
    CommandExchange empty;
    EXPECT_EQ(fixture.channel.SendAndWait(empty), kSendInvalid);
    CommandExchange oneWay = MakeExchange("", "$RESET\r\n", 0);
    EXPECT_EQ(fixture.channel.SendAndWait(oneWay), kSendReplied);
    EXPECT_EQ(fixture.log.Lines().size(), 1u);
}

TEST(Channel, LostPortIsClosedAndLaterSendsAreNotTaken) {
    TraceCapture trace;
    ChannelFixture fixture({});
    ASSERT_EQ(fixture.channel.Connect(fixture.peer.SlavePath()), 1);
    UnplugAndSettle(fixture.peer);
    CommandExchange exchange = MakeExchange("MODE", "$MODE\r\n", 3000);
    const auto start = Clock::now();
    EXPECT_EQ(fixture.channel.SendAndWait(exchange), kSendNotTaken);
    EXPECT_LT(SecondsSince(start), 0.2);
    EXPECT_TRUE(trace.Contains("COM Port issue\n"));
    const auto stopping = Clock::now();
    fixture.channel.Disconnect();
    EXPECT_LT(SecondsSince(stopping), 0.2);
    EXPECT_FALSE(fixture.channel.IsOpen());
}

TEST(Channel, ConnectFailsOnAMissingPortAndDisconnectIsSafe) {
    CZRASCI channel;
    EXPECT_EQ(channel.Connect("/dev/orvena-no-such-port"), 0);
    EXPECT_FALSE(channel.IsOpen());
    channel.Disconnect();
}

}  // namespace
