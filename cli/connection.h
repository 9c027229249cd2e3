// One device connection for a command: the record, the session, the optional
// per-connection log file and the feed that keeps the last received line.
#pragma once

#include "app/core/pageset.h"
#include "app/core/session.h"
#include "app/core/shellstate.h"
#include "cli/headlessui.h"
#include "files/logfile.h"
#include "files/logpath.h"
#include "model/dataserver.h"
#include "transport/zralogqueue.h"

#include <memory>
#include <optional>
#include <string>

// Exit statuses of the tool.
enum CliExit : int { kExitOk = 0, kExitGroupFailed = 1, kExitUsage = 2, kExitNoConnection = 3, kExitTypeMismatch = 4 };

struct ConnectOptions {
    std::string port;
    std::optional<std::string> password;  // protection on with this password
    bool noPassword = false;
    std::string logDir;  // empty: no log file
};

// Keeps the last line received from the device (the reply to a raw line) and
// passes every line on to the log path when there is one.
class CReplyFeed : public ILogFeed {
public:
    void SetNext(ILogFeed* next) { m_next = next; }
    int FeedLog(const char* line, int direction) override;
    std::string LastReceived() const;
    void Clear();

private:
    ILogFeed* m_next = nullptr;
    mutable std::mutex m_lock;
    std::string m_last;
};

class CCliConnection {
public:
    CCliConnection(const ConnectOptions& options, CHeadlessUi& ui);
    ~CCliConnection();
    CCliConnection(const CCliConnection&) = delete;
    CCliConnection& operator=(const CCliConnection&) = delete;

    // Identifies the device; kExitOk or kExitNoConnection after a one-line message.
    int Connect();
    // A sender that reports every failed group on the error stream as one line.
    SendFn ReportingSender();
    bool GroupFailed() const { return m_groupFailed; }

    CDataServer data;
    CShellState state;
    CReplyFeed feed;
    CPageSet pages;  // the tool has no pages: nothing to collect
    CSession session;

private:
    void ApplyPassword();

    ConnectOptions m_options;
    CHeadlessUi& m_ui;
    std::unique_ptr<CLOGFile> m_logFile;
    std::unique_ptr<CZRALogQueue> m_logQueue;
    std::unique_ptr<CLogPath> m_logPath;
    std::atomic<bool> m_groupFailed{false};
};

// The class of a worker result code, for messages.
const char* ResultClass(int result);
