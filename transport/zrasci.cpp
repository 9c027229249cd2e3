#include "transport/zrasci.h"

#include "transport/trace.h"

#include <cstdio>
#include <cstring>
#include <system_error>

// Port failure and closing
// ------------------------
// The reader and the writer use one port at the same time. A read or write that
// throws must close the port, but the other thread may be inside its own port
// call on the same descriptor at that moment; closing under it would let the
// descriptor number be reused while still in use. So every port call runs
// under a shared hold of m_portGate and first checks that the port is open and
// not failed. A failing thread only sets m_portFailed. At the start of each step
// both threads try to take the gate exclusively (without waiting) while the port
// is failed; whichever succeeds closes it. Exclusive ownership means neither
// thread is inside a port call, and no new call can start: it would need the
// shared hold and would then see the failed flag. A port call lasts at most one
// bounded wait (the reader's poll, a bounded write), so the close follows within
// a step. Both threads then idle until Disconnect stops them.

namespace {

constexpr auto kIdleStep = std::chrono::milliseconds(50);
constexpr int kReaderWaitMs = 50;                                // bound of one wait for input, so stops are seen
constexpr auto kTakeBound = std::chrono::milliseconds(51 * 50);  // writer must take the command
constexpr uint32_t kReplyPollMs = 50;                            // the reply time-out counts in these units
constexpr size_t kReadChunk = 64;

struct FailureRow {
    uint32_t error;
    const char* trace;
};

const FailureRow kFailureTraces[] = {
    {kSerialAccessDenied, "Unable to open port\n"},
    {kSerialInvalidParameter, "Connection failed\n"},
};

const char* FailureTrace(uint32_t error) {
    for (const FailureRow& row : kFailureTraces) {
        if (row.error == error) {
            return row.trace;
        }
    }
    return "COM Port issue\n";
}

// Copies at most size - 1 characters and terminates.
void CopyTerminated(char* out, size_t size, const char* text) {
    std::strncpy(out, text, size - 1);
    out[size - 1] = '\0';
}

}  // namespace

CZRASCI::CZRASCI(ILogFeed* owner) : m_owner(owner) {}

CZRASCI::~CZRASCI() { Disconnect(); }

int CZRASCI::Connect(const std::string& portPath) {
    Disconnect();
    m_openError = 0;
    m_startError = 0;
    try {
        Open(portPath, 9600, Parity::None, 8, StopBits::One, FlowControl::None);
        SetReadTimeout(1);
    } catch (const CSerialException& error) {
        m_openError = error.Error();
        Close();
        return 0;
    }
    try {
        StartThreads();
    } catch (const std::system_error& error) {
        m_startError = error.code().value();
        Disconnect();
        return 0;
    }
    return 1;
}

void CZRASCI::StartThreads() {
    m_readerStop.store(false);
    m_writerStop.store(false);
    m_portFailed.store(false);
    m_sendState.store(kSendIdle);
    m_awaiting.store(false);
    m_replyReady.store(false);
    m_lineIndex = 0;
    m_reader = std::thread(&CZRASCI::ReaderLoop, this);
    m_writer = std::thread(&CZRASCI::WriterLoop, this);
}

void CZRASCI::Disconnect() {
    StopThreads();
    if (!IsOpen()) {
        return;
    }
    try {
        Purge();
    } catch (const CSerialException&) {
        // The port is closed below whatever the purge did.
    }
    Close();
}

void CZRASCI::StopThreads() {
    m_writerStop.store(true);
    m_readerStop.store(true);
    Wake();
    // Each step ends after one bounded wait, so these joins are short.
    if (m_reader.joinable()) {
        m_reader.join();
    }
    if (m_writer.joinable()) {
        m_writer.join();
    }
}

int CZRASCI::SendAndWait(CommandExchange& exchange) {
    const uint16_t length = exchange.command.length;
    if (length == 0 || length > kLineMaxChars) {
        return kSendInvalid;
    }
    if (m_portFailed.load()) {
        return kSendNotTaken;
    }
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        CopyTerminated(m_awaited, sizeof m_awaited, exchange.keyword);
        m_reply.length = 0;
        m_reply.text[0] = '\0';
        m_replyReady.store(false);
    }
    std::memcpy(m_command.text, exchange.command.text, length);
    m_command.text[length] = '\0';
    m_command.length = length;
    m_timeoutMs = exchange.timeoutMs;
    m_sendState.store(kSendRequested);
    Wake();
    if (!WaitTaken()) {
        return kSendNotTaken;
    }
    if (m_timeoutMs == 0) {
        return kSendReplied;
    }
    const auto bound = std::chrono::milliseconds((m_timeoutMs / kReplyPollMs + 1) * kReplyPollMs);
    if (!WaitFor(bound, [this] { return m_replyReady.load() || m_portFailed.load(); })) {
        return kSendNoReply;
    }
    std::lock_guard<std::mutex> guard(m_wakeLock);
    if (!m_replyReady.load()) {
        return kSendNotTaken;
    }
    exchange.reply.length = m_reply.length;
    std::memcpy(exchange.reply.text, m_reply.text, m_reply.length + 1u);
    return kSendReplied;
}

// True once the writer has written the command; false when it did not take it
// in time or the port failed before it did.
bool CZRASCI::WaitTaken() {
    WaitFor(kTakeBound, [this] { return m_sendState.load() == kSendIdle || m_portFailed.load(); });
    if (m_sendState.load() == kSendIdle) {
        return true;
    }
    int expected = kSendRequested;
    if (m_sendState.compare_exchange_strong(expected, kSendIdle)) {
        return false;
    }
    // The writer took it just now: the command buffer stays its own until the
    // write ends, which the port's bounded write guarantees.
    while (!WaitFor(kIdleStep, [this] { return m_sendState.load() == kSendIdle; })) {
    }
    return true;
}

template <class Predicate> bool CZRASCI::WaitFor(std::chrono::milliseconds bound, Predicate ready) {
    std::unique_lock<std::mutex> lock(m_wakeLock);
    return m_wake.wait_for(lock, bound, ready);
}

// Flags are stored before Wake; taking the lock in between makes sure a waiter
// that has just tested its predicate is already waiting when notified.
void CZRASCI::Wake() {
    { std::lock_guard<std::mutex> guard(m_wakeLock); }
    m_wake.notify_all();
}

void CZRASCI::ReaderLoop() {
    while (!m_readerStop.load()) {
        ReaderStep();
    }
}

void CZRASCI::WriterLoop() {
    while (!m_writerStop.load()) {
        WriterStep();
    }
}

void CZRASCI::ReaderStep() {
    char chunk[kReadChunk];
    size_t got = 0;
    const bool used = PortUsable() && UsePort([&] {
                          if (WaitInput(kReaderWaitMs)) {
                              got = Read(chunk, sizeof chunk);
                          }
                      });
    if (!used) {
        WaitFor(kIdleStep, [this] { return m_readerStop.load(); });
        return;
    }
    for (size_t i = 0; i < got; ++i) {
        TakeByte(chunk[i]);
    }
}

void CZRASCI::WriterStep() {
    int expected = kSendRequested;
    if (!PortUsable() || !m_sendState.compare_exchange_strong(expected, kSendWriting)) {
        WaitFor(kIdleStep, [this] { return m_writerStop.load() || m_sendState.load() == kSendRequested; });
        return;
    }
    m_awaiting.store(true);
    // Logged before the write, so that a quick reply can never precede its command in the log.
    FeedLog(m_command.text, 1);
    size_t written = 0;
    UsePort([&] { written = Write(m_command.text, m_command.length); });
    if (written > 0) {
        Trace(">> %s\n", m_command.text);
    } else {
        Trace("No bytes sent\n");
    }
    m_sendState.store(kSendIdle);
    Wake();
}

// Closes a failed port when possible; true while the port can be used.
bool CZRASCI::PortUsable() {
    if (m_portFailed.load()) {
        CloseFailedPort();
        return false;
    }
    return true;
}

template <class Call> bool CZRASCI::UsePort(Call call) {
    std::shared_lock<std::shared_mutex> hold(m_portGate);
    if (m_portFailed.load() || !IsOpen()) {
        return false;
    }
    try {
        call();
    } catch (const CSerialException& error) {
        FailPort(error.Error());
    }
    return true;
}

void CZRASCI::FailPort(uint32_t error) {
    Trace("%s", FailureTrace(error));
    m_portFailed.store(true);
    Wake();
}

void CZRASCI::CloseFailedPort() {
    std::unique_lock<std::shared_mutex> exclusive(m_portGate, std::try_to_lock);
    if (exclusive.owns_lock() && IsOpen()) {
        Close();
    }
}

// An over-long line wraps and overwrites itself; the buffer keeps one byte
// beyond the line for its terminator, so a full-length line ending in LF stays whole.
void CZRASCI::TakeByte(char byte) {
    if (m_lineIndex == kLineBufferSize) {
        m_lineIndex = 0;
    }
    m_line[m_lineIndex++] = byte;
    if (byte != '\n') {
        return;
    }
    m_line[m_lineIndex] = '\0';
    Trace("<< %s\n", m_line);
    FeedLog(m_line, 0);
    CaptureReply(m_line, m_lineIndex);
    m_lineIndex = 0;
}

// The reply starts at "$" and the awaited keyword, or at "$000" when the line
// carries "000" but not the keyword; an empty keyword takes the first "$".
void CZRASCI::CaptureReply(const char* line, size_t length) {
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        if (!m_awaiting.load()) {
            return;
        }
        const char* key = std::strstr(line, m_awaited) != nullptr ? m_awaited
                          : std::strstr(line, "000") != nullptr   ? "000"
                                                                  : nullptr;
        if (key == nullptr) {
            return;
        }
        char marker[sizeof m_awaited + 1];
        std::snprintf(marker, sizeof marker, "$%s", key);
        const char* at = std::strstr(line, marker);
        if (at == nullptr) {
            return;
        }
        size_t count = length - static_cast<size_t>(at - line);
        if (count > kLineMaxChars) {
            count = kLineMaxChars;
        }
        std::memcpy(m_reply.text, at, count);
        m_reply.text[count] = '\0';
        m_reply.length = static_cast<uint16_t>(count);
        m_awaiting.store(false);
        m_replyReady.store(true);
    }
    m_wake.notify_all();
}

void CZRASCI::FeedLog(const char* line, int direction) {
    if (ILogFeed* feed = m_owner.load()) {
        feed->FeedLog(line, direction);
    }
}
