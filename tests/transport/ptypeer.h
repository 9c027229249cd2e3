// A scripted device at the far end of a pseudo-terminal: collects command
// lines on the master side and answers each as its script says.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PeerReply {
    std::string text;  // written as is (line end included)
    int delayMs = 0;   // before the first byte
};

// Given a command line (without CR LF) and its ordinal (1, 2, ...), the replies to write.
using PeerScript = std::function<std::vector<PeerReply>(const std::string& line, int ordinal)>;

struct PeerOptions {
    bool paced = false;    // write replies at 9600 baud, about 1.04 ms per byte
    int noiseEveryMs = 0;  // unsolicited line without "$" or "000" this often
};

// "$" body "^" checksum CR LF, the checksum the XOR of the body's characters.
std::string ReplyLine(const std::string& body);
// The same line with a checksum that does not match.
std::string GarbledLine(const std::string& body);

class CPtyPeer {
public:
    explicit CPtyPeer(PeerScript script, PeerOptions options = {});
    ~CPtyPeer();
    CPtyPeer(const CPtyPeer&) = delete;
    CPtyPeer& operator=(const CPtyPeer&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    std::vector<std::string> Received() const;
    int Commands() const { return m_commands.load(); }
    // The peer reads a line only after it has written the replies to the one before:
    // a command sent meanwhile is counted a little later. True once count were taken.
    bool WaitForCommands(int count, std::chrono::milliseconds bound) const;
    void Unplug();  // closes the master: the port sees a hang-up

    static constexpr double kByteMs = 10.0 / 9.6;  // one 8N1 byte at 9600 baud

private:
    void Run();
    void TakeLine(const std::string& line);
    void WriteReply(const PeerReply& reply);
    void WriteAll(const std::string& text);

    PeerScript m_script;
    PeerOptions m_options;
    int m_master = -1;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_unplugged{false};
    std::atomic<int> m_commands{0};
    mutable std::mutex m_lock;
    std::vector<std::string> m_received;
    std::thread m_thread;
};
