// Connect (identify) and read-all of a type-11 device through the session,
// against the simulated device pacing its replies at 9600 baud with no reply
// delay. Reported: the total time, the bytes each way, the time those bytes
// take on a 9600-baud line and the ratio of the two (what the configurator
// adds on top of the line itself). The pseudo-terminal carries the commands
// at once and only the replies are paced, so the ratio against the replies'
// wire time alone is printed as well.

#include "cli/headlessui.h"
#include "model/dataserver.h"
#include "shell/pageset.h"
#include "shell/session.h"
#include "shell/shellstate.h"
#include "sim/devsim.h"
#include "transport/zrasci.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 10.0;  // 8N1
constexpr double kBaud = 9600.0;

// Counts the lines and bytes the channel logs: commands as written, replies
// as received, each with its line end.
class WireCounter : public ILogFeed {
public:
    int FeedLog(const char* line, int direction) override {
        const size_t length = line ? std::strlen(line) : 0;
        Side& side = direction == 1 ? m_sent : m_received;
        side.lines.fetch_add(1);
        side.bytes.fetch_add(length);
        return static_cast<int>(length);
    }
    size_t SentBytes() const { return m_sent.bytes.load(); }
    size_t ReceivedBytes() const { return m_received.bytes.load(); }
    size_t SentLines() const { return m_sent.lines.load(); }
    size_t ReceivedLines() const { return m_received.lines.load(); }

private:
    struct Side {
        std::atomic<size_t> lines{0};
        std::atomic<size_t> bytes{0};
    };
    Side m_sent;
    Side m_received;
};

}  // namespace

int main() {
    DevSimOptions options;
    options.type = 11;
    options.pacing = true;
    options.replyDelayMs = 0;
    CDevSim sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "cannot start the simulated device\n");
        return 1;
    }

    WireCounter wire;
    CDataServer data;
    PasswordRecord password;
    data.Get(DI_PASSWORD, password);
    password.flags = 0;  // the simulated device has no password protection
    data.Set(DI_PASSWORD, password);
    CShellState state;
    CHeadlessUi ui(std::cerr);
    CPageSet pages;
    CSession session(data, state, ui.Roles(), pages);
    session.SetPortPath(sim.PortPath());
    session.SetLogFeed(&wire);

    const auto start = Clock::now();
    const bool connected = session.ConnectDevice();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    session.DisconnectDevice();
    if (!connected) {
        std::fprintf(stderr, "identification failed\n");
        return 1;
    }

    const size_t out = wire.SentBytes();
    const size_t in = wire.ReceivedBytes();
    const double wireSeconds = static_cast<double>(in + out) * kBitsPerByte / kBaud;
    std::printf(
        "read-all type %d: %zu commands sent (%zu bytes), %zu replies received (%zu bytes); "
        "device saw %zu lines, answered %d\n",
        options.type, wire.SentLines(), out, wire.ReceivedLines(), in, sim.ReceivedLines().size(), sim.Replies());
    const double replySeconds = static_cast<double>(in) * kBitsPerByte / kBaud;
    std::printf("total %.3f s, wire time %.3f s at 9600 baud, ratio total/wire %.3f\n", total, wireSeconds,
                total / wireSeconds);
    std::printf("replies alone: wire time %.3f s, ratio total/reply wire %.3f\n", replySeconds, total / replySeconds);
    return 0;
}
