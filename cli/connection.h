// One device connection for a command: the record, the session and the
// optional per-connection log file.
// When an exchange finds the port gone, the session's own port recheck runs;
// the connection then reports whether the port came back.
#pragma once

#include "cli/headlessui.h"
#include "files/logfile.h"
#include "files/logpath.h"
#include "model/dataserver.h"
#include "shell/pageset.h"
#include "shell/session.h"
#include "shell/shellstate.h"
#include "transport/zralogqueue.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

// Exit statuses of the tool.
enum CliExit : int { kExitOk = 0, kExitGroupFailed = 1, kExitUsage = 2, kExitNoConnection = 3, kExitTypeMismatch = 4 };

struct ConnectOptions {
    std::string port;
    std::optional<std::string> password;  // protection on with this password
    bool noPassword = false;
    std::string logDir;  // empty: no log file
};

// How a run of a command ended its connection, if it did.
struct ConnectionLoss {
    std::string group;      // the request at which the connection ended
    bool portGone = false;  // the port vanished (else the device stopped answering)
};

class CCliConnection {
public:
    CCliConnection(const ConnectOptions& options, CHeadlessUi& ui);
    ~CCliConnection();
    CCliConnection(const CCliConnection&) = delete;
    CCliConnection& operator=(const CCliConnection&) = delete;

    // Identifies the device and opens its log; kExitOk or kExitNoConnection
    // after a one-line message. Starts a new run: failures and loss are forgotten.
    int Connect();
    // A sender that reports every failed group on the error stream as one
    // line and sends nothing more once the connection has ended.
    SendFn ReportingSender();
    // One exchange the way ReportingSender sends it, with its whole outcome.
    ExchangeOutcome SendReporting(RequestType type, const char* keyword, const char* parameter);
    // For the sequences: true once the connection has ended.
    std::function<bool(int)> StopWhenLost();

    bool GroupFailed() const { return !FailedGroups().empty(); }
    // Starts a new pass: the failures so far are forgotten.
    void ForgetFailures();
    std::set<std::string> FailedGroups() const;  // "KEYWORD" or "KEYWORD PARAMETER"
    int SucceededCount() const { return m_succeeded; }
    std::optional<ConnectionLoss> Loss() const;
    // True once, when the port came back within the recheck and the command may run again.
    bool TakeReconnect() { return m_reconnect.exchange(false); }

    CDataServer data;
    CShellState state;
    CPageSet pages;  // the tool has no pages: nothing to collect
    CSession session;

private:
    void ApplyPassword();
    void OnConnectCommand();
    void NoteResult(RequestType type, const char* keyword, const char* parameter, const ExchangeOutcome& outcome);

    ConnectOptions m_options;
    CHeadlessUi& m_ui;
    std::unique_ptr<CLOGFile> m_logFile;
    std::unique_ptr<CZRALogQueue> m_logQueue;
    std::unique_ptr<CLogPath> m_logPath;
    std::atomic<int> m_succeeded{0};
    std::atomic<bool> m_reconnect{false};
    mutable std::mutex m_lock;
    std::set<std::string> m_failed;        // guarded by m_lock
    std::optional<ConnectionLoss> m_loss;  // guarded by m_lock
};

// Why an exchange failed, for messages: the class of its result, its cause
// and, where the device answered, the reply line it sent.
std::string FailureReason(const ExchangeOutcome& outcome);
// The line that ends a failed identification.
std::string IdentifyFailure(const std::string& port, const ExchangeOutcome& outcome, bool passwordRefused);
// Why a port did not open, from the error its open gave.
std::string PortProblem(const std::string& path, uint32_t openError);
