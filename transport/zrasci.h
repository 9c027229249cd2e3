// The serial line channel: opens the port at 9600 8N1, runs a reader thread that
// assembles lines and captures the awaited reply, and a writer thread that writes
// one command at a time. One caller at a time uses SendAndWait.
#pragma once

#include "protocol/line.h"
#include "transport/logfeed.h"
#include "transport/serialport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

// One command line and its reply on their way between worker, codec and channel.
struct CommandExchange {
    char keyword[10] = {};    // reply keyword to wait for; empty for a raw line
    char parameter[10] = {};  // the codec's subcommand
    LineBuffer command;       // complete line to send, line end included
    LineBuffer reply;         // the captured reply line
    uint32_t timeoutMs = 0;   // 0: send without waiting
};

// kSendNotTaken also ends the wait for a reply when the port fails meanwhile:
// a port known to be gone sends no reply.
enum SendResult : int { kSendReplied = 0, kSendNoReply = 1, kSendNotTaken = 2, kSendInvalid = 3 };

class CZRASCI : public CSerialPort {
public:
    explicit CZRASCI(ILogFeed* owner = nullptr);
    ~CZRASCI() override;

    int Connect(const std::string& portPath);  // 1 on success
    // The error of the last failed Connect's open (CSerialException's), 0 after a success.
    uint32_t LastOpenError() const { return m_openError; }
    // The error of the last failed Connect's thread start (out of memory or threads), 0 otherwise.
    int LastStartError() const { return m_startError; }
    void Disconnect();
    int SendAndWait(CommandExchange& exchange);
    void SetLogFeed(ILogFeed* owner) { m_owner.store(owner); }

private:
    // Where the command stands between the sender and the writer thread.
    enum SendState : int { kSendIdle = 0, kSendRequested = 1, kSendWriting = 2 };

    void StartThreads();
    void StopThreads();
    void ReaderLoop();
    void WriterLoop();
    void ReaderStep();
    void WriterStep();
    void TakeByte(char byte);
    void CaptureReply(const char* line, size_t length);
    void FeedLog(const char* line, int direction);
    template <class Call> bool UsePort(Call call);
    bool PortUsable();
    void FailPort(uint32_t error);
    void CloseFailedPort();
    void Wake();
    template <class Predicate> bool WaitFor(std::chrono::milliseconds bound, Predicate ready);
    bool WaitTaken();

    std::atomic<ILogFeed*> m_owner;
    std::thread m_reader, m_writer;
    std::atomic<bool> m_readerStop{false}, m_writerStop{false};
    // m_wakeLock guards the awaited keyword and the reply; the command buffer
    // belongs to the sender while idle and to the writer while writing.
    char m_awaited[20] = {};
    LineBuffer m_command;
    LineBuffer m_reply;
    uint32_t m_timeoutMs = 0;
    std::atomic<int> m_sendState{kSendIdle};
    std::atomic<bool> m_replyReady{false}, m_awaiting{false};
    // Shared by a thread inside a port call, exclusive for closing a failed port.
    std::shared_mutex m_portGate;
    std::atomic<bool> m_portFailed{false};
    uint32_t m_openError = 0;
    int m_startError = 0;
    uint16_t m_lineIndex = 0;
    char m_line[kLineBufferSize + 1] = {};
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
};
