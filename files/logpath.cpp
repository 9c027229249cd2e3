#include "files/logpath.h"

#include "base/boundedlock.h"
#include "files/logfile.h"
#include "files/loglinesink.h"
#include "transport/zralogqueue.h"

#include <chrono>
#include <cstring>
#include <string>

CLogPath::CLogPath(CZRALogQueue& queue, CLOGFile& file, ILogLineSink& page, std::function<bool()> logPageShown)
    : m_queue(queue), m_file(file), m_page(page), m_logPageShown(std::move(logPageShown)) {}

CLogPath::~CLogPath() {
    // Every step of the thread is bounded, so this join ends.
    if (Stop() == 0 && m_thread.joinable())
        m_thread.join();
}

int CLogPath::FeedLog(const char* line, int direction) {
    const size_t length = line ? std::strlen(line) : 0;
    const auto lock = LockWithin(m_feedLock, std::chrono::milliseconds(kFeedLockMs));
    if (lock.owns_lock()) {
        for (char c : std::string_view(direction == 1 ? ">> " : "<< "))
            m_queue.PutByte(static_cast<uint8_t>(c));
        for (size_t i = 0; i < length; ++i)
            m_queue.PutByte(static_cast<uint8_t>(line[i]));  // a refused byte is lost
    }
    return static_cast<int>(length + 3);
}

void CLogPath::OpenSessionLog(const char* modelName, const char* imei) {
    if (!Stop())
        return;       // the file must not change under a running thread
    m_queue.Clear();  // bytes from before this log file are not part of it
    m_file.Open(modelName, imei);
    Start();
}

void CLogPath::CloseSessionLog() {
    if (Stop())
        m_file.Close();
}

void CLogPath::Start() {
    if (m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_wakeLock);
        m_stopRequest = false;
        m_stopped = false;
    }
    m_fill = 0;
    m_thread = std::thread(&CLogPath::Run, this);
}

int CLogPath::Stop() {
    if (!m_thread.joinable())
        return 1;
    std::unique_lock<std::mutex> lock(m_wakeLock);
    m_stopRequest = true;
    m_wake.notify_all();
    if (!m_wake.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [this] { return m_stopped; }))
        return 0;
    lock.unlock();
    m_thread.join();
    return 1;
}

void CLogPath::Run() {
    uint8_t byte = 0;
    while (true) {
        if (m_queue.GetByte(byte)) {
            Take(static_cast<char>(byte));
            std::lock_guard<std::mutex> lock(m_wakeLock);
            if (m_stopRequest)
                break;
        } else if (!WaitIdle()) {
            break;
        }
    }
    Drain();
    std::lock_guard<std::mutex> lock(m_wakeLock);
    m_stopped = true;
    m_wake.notify_all();
}

// The lines fed just before the stop (the last reply of a session) still
// reach the file: at most one ring of bytes, then any unfinished line.
void CLogPath::Drain() {
    uint8_t byte = 0;
    for (int i = 0; i < CZRALogQueue::kSize && m_queue.GetByte(byte); ++i)
        Take(static_cast<char>(byte));
    if (m_fill > 0)
        Dispatch();
}

// Sleeps for the idle pause, or less when a stop is requested; false on stop.
bool CLogPath::WaitIdle() {
    std::unique_lock<std::mutex> lock(m_wakeLock);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(kIdleMs), [this] { return m_stopRequest; });
}

// A line longer than the buffer is handed on in pieces: the pieces together
// are exactly the bytes received, so the file loses nothing.
void CLogPath::Take(char byte) {
    m_line[m_fill++] = byte;
    if (byte == '\n' || m_fill == kLineSize - 1)
        Dispatch();
}

void CLogPath::Dispatch() {
    m_line[m_fill] = '\0';
    m_fill = 0;
    m_file.WriteLine(m_line);
    if (m_logPageShown && m_logPageShown())
        m_page.AppendLogLine(m_line);
}
