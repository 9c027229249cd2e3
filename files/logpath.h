// The log line path: the serial threads feed every line into the log queue;
// the log thread takes the bytes, reassembles lines and hands each to the
// log file and, while the log page is shown, to the page.
#pragma once

#include "files/sessionlog.h"
#include "transport/logfeed.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

class CLOGFile;
class CZRALogQueue;
class ILogLineSink;

class CLogPath : public ILogFeed, public ISessionLog {
public:
    static constexpr size_t kLineSize = 1024;
    static constexpr int kIdleMs = 10;        // pause when the queue is empty
    static constexpr int kStopWaitMs = 3000;  // longest wait for the thread to end
    static constexpr int kFeedLockMs = 100;

    // logPageShown tells whether the log page is part of the window's page set.
    CLogPath(CZRALogQueue& queue, CLOGFile& file, ILogLineSink& page, std::function<bool()> logPageShown);
    CLogPath(const CLogPath&) = delete;
    CLogPath& operator=(const CLogPath&) = delete;
    ~CLogPath() override;

    // Direction 1 sent (">> "), 0 received ("<< "). Returns the bytes offered.
    int FeedLog(const char* line, int direction) override;

    // Empties the queue, opens the log file and starts the log thread; the
    // thread runs also when the file could not be opened (the page still logs).
    void OpenSessionLog(const char* modelName, const char* imei) override;
    // Stops the log thread, then closes the file. When the thread does not end
    // in time the file stays open until it has ended (closed by CLOGFile).
    void CloseSessionLog() override;

    void Start();
    int Stop();
    bool Running() const { return m_thread.joinable(); }

private:
    void Run();
    void Take(char byte);
    void Drain();
    void Dispatch();
    bool WaitIdle();

    CZRALogQueue& m_queue;
    CLOGFile& m_file;
    ILogLineSink& m_page;
    std::function<bool()> m_logPageShown;

    // One line's bytes go into the queue together, even when the reader and
    // the writer thread feed at the same time.
    std::timed_mutex m_feedLock;

    std::thread m_thread;
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    bool m_stopRequest = false;  // guarded by m_wakeLock
    bool m_stopped = false;      // guarded by m_wakeLock

    // Owned by the log thread.
    char m_line[kLineSize] = {};
    size_t m_fill = 0;
};
