#include "transport/serialport.h"

#include "ptypeer.h"
#include "tests/support/asuser.h"
#include "tracecapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include <sys/stat.h>

namespace {

std::vector<PeerReply> Silent(const std::string&, int) { return {}; }

TEST(SerialPort, MissingOrHeldPortThrowsAndStaysClosed) {
    CPtyPeer peer(Silent);
    CSerialPort holder;
    holder.Open(peer.SlavePath());
    ASSERT_TRUE(holder.IsOpen());
    TraceCapture trace;
    const std::string paths[] = {"/dev/orvena-no-such-port", peer.SlavePath()};
    for (const std::string& path : paths) {
        CSerialPort port;
        EXPECT_THROW(port.Open(path), CSerialException) << path;
        EXPECT_FALSE(port.IsOpen()) << path;
        EXPECT_FALSE(CSerialPort::CanOpen(path)) << path;
    }
    EXPECT_TRUE(trace.Contains("Failed to open up the comms port\n"));
    EXPECT_TRUE(trace.Contains("Warning: throwing CSerialException for error"));
    holder.Close();
    EXPECT_TRUE(CSerialPort::CanOpen(peer.SlavePath()));
}

// The exclusive-use mark belongs to the terminal, which lives as long as the
// device holds its end: a mark left behind by an open and close, or by a port
// check, keeps every user but root out.
TEST(SerialPort, NeitherACheckNorAClosedPortLeavesOtherUsersLockedOut) {
    if (!CanRunAsNobody())
        GTEST_SKIP() << "switching to an unprivileged user needs root";
    CPtyPeer peer(Silent);
    ASSERT_EQ(chmod(peer.SlavePath().c_str(), 0666), 0);
    const std::vector<std::string> openAsNobody = {"/bin/sh", "-c", "exec 3<>\"$0\"", peer.SlavePath()};
    EXPECT_TRUE(CSerialPort::CanOpen(peer.SlavePath()));
    EXPECT_EQ(RunAsNobody(openAsNobody).status, 0) << "after a port check";
    {
        CSerialPort port;
        port.Open(peer.SlavePath());
        EXPECT_NE(RunAsNobody(openAsNobody).status, 0) << "while the port is open";
    }
    EXPECT_EQ(RunAsNobody(openAsNobody).status, 0) << "after the port was closed";
}

TEST(SerialPort, ProbeTellsWhyAPortCannotBeOpened) {
    CPtyPeer peer(Silent);
    CSerialPort holder;
    holder.Open(peer.SlavePath());
    EXPECT_EQ(CSerialPort::ProbeOpen(peer.SlavePath()), static_cast<uint32_t>(EBUSY));
    EXPECT_EQ(CSerialPort::ProbeOpen("/dev/orvena-no-such-port"), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(CSerialPort::ProbeOpen("/dev/null"), static_cast<uint32_t>(ENOTTY));
    holder.Close();
    EXPECT_EQ(CSerialPort::ProbeOpen(peer.SlavePath()), 0u);
}

TEST(SerialPort, IdleReadReturnsZeroAfterItsTimeoutAndCloseTwiceIsHarmless) {
    CPtyPeer peer(Silent);
    CSerialPort port;
    port.Open(peer.SlavePath());
    char byte = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(&byte, 1), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    port.Close();
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPort, HangUpIsALostPortNotAnAccessClass) {
    CPtyPeer peer(Silent);
    CSerialPort port;
    port.Open(peer.SlavePath());
    peer.Unplug();
    char byte = 0;
    try {
        port.Read(&byte, 1);
        FAIL() << "a hung-up port must throw";
    } catch (const CSerialException& error) {
        EXPECT_NE(error.Error(), kSerialAccessDenied);
        EXPECT_NE(error.Error(), kSerialInvalidParameter);
        char text[64];
        EXPECT_TRUE(error.GetErrorMessage(text, sizeof text));
        EXPECT_STRNE(text, "");
    }
}

TEST(SerialPort, ErrnoMapsToTheChannelsClasses) {
    struct Case {
        int error;
        uint32_t expected;
    } cases[] = {
        {EACCES, kSerialAccessDenied},
        {EPERM, kSerialAccessDenied},
        {EINVAL, kSerialInvalidParameter},
        {ENOENT, static_cast<uint32_t>(ENOENT)},
        {EBUSY, static_cast<uint32_t>(EBUSY)},
        // errno values equal to a class number must not read as that class.
        {5, kSerialErrnoMoved | 5u},
        {87, kSerialErrnoMoved | 87u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SerialErrorFromErrno(c.error), c.expected) << c.error;
    }
}

}  // namespace
