#include "cli/connection.h"

#include "shell/ports.h"
#include "transport/serialport.h"
#include "transport/zracli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

struct ResultName {
    int result;
    const char* text;
};

const ResultName kResultNames[] = {
    {kResultNoAnswer, "no answer"},
    {kResultWrongPassword, "wrong password"},
    {kResultInvalid, "invalid request or reply"},
    {kResultRefused, "refused by the device"},
    {kResultNotBuilt, "not sent or not supported"},
    {kResultDeviceError, "device error"},
    {kResultOther, "unusable reply"},
    {kResultLost, "connection lost"},
};

std::string GroupName(const char* keyword, const char* parameter) {
    return std::string(keyword) + (parameter ? std::string(" ") + parameter : std::string());
}

}  // namespace

const char* ResultClass(int result, ResultCause cause) {
    if (cause == ResultCause::BadChecksum)
        return "bad checksum";
    for (const ResultName& name : kResultNames)
        if (name.result == result)
            return name.text;
    return "unknown result";
}

std::string PortProblem(const std::string& path, uint32_t openError) {
    if (openError == static_cast<uint32_t>(ENOTTY))
        return path + " is not a serial port";
    return "cannot open port " + PortErrorHint(path, openError);
}

int CReplyFeed::FeedLog(const char* line, int direction) {
    if (direction == 0) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        std::lock_guard lock(m_lock);
        m_last = text;
    }
    return m_next ? m_next->FeedLog(line, direction) : static_cast<int>(std::char_traits<char>::length(line));
}

std::string CReplyFeed::LastReceived() const {
    std::lock_guard lock(m_lock);
    return m_last;
}

void CReplyFeed::Clear() {
    std::lock_guard lock(m_lock);
    m_last.clear();
}

CCliConnection::CCliConnection(const ConnectOptions& options, CHeadlessUi& ui)
    : session(data, state, ui.Roles(), pages), m_options(options), m_ui(ui) {
    session.SetPortPath(options.port);
    m_ui.SetConnectCommand([this] { OnConnectCommand(); });
    if (!options.logDir.empty()) {
        m_logFile = std::make_unique<CLOGFile>(ui, options.logDir);
        m_logQueue = std::make_unique<CZRALogQueue>();
        m_logPath = std::make_unique<CLogPath>(*m_logQueue, *m_logFile, ui, [] { return false; });
        session.SetSessionLog(m_logPath.get());
        feed.SetNext(m_logPath.get());
    }
    session.SetLogFeed(&feed);
}

// The session refers to the log path, so it stops before the members go.
CCliConnection::~CCliConnection() {
    session.Shutdown();
    m_ui.SetConnectCommand({});
}

// The connect button as the window's message loop would run it: connected, it
// disconnects at once (the recheck then looks for the port); disconnected, it
// asks for the command to run again from identification.
void CCliConnection::OnConnectCommand() {
    if (state.connected)
        session.DisconnectDevice();
    else
        m_reconnect = true;
}

void CCliConnection::ApplyPassword() {
    PasswordRecord password;
    data.Get(DI_PASSWORD, password);
    if (m_options.password) {
        std::snprintf(password.current, sizeof password.current, "%s", m_options.password->c_str());
        password.flags = static_cast<uint8_t>((password.flags | PasswordFlag::kInForce) & ~PasswordFlag::kWanted);
    } else if (m_options.noPassword) {
        password.flags = static_cast<uint8_t>(password.flags & ~PasswordFlag::kBoth);
    }
    data.Set(DI_PASSWORD, password);
}

int CCliConnection::Connect() {
    ForgetFailures();
    {
        std::lock_guard lock(m_lock);
        m_loss.reset();
    }
    m_succeeded = 0;
    m_reconnect = false;
    ApplyPassword();
    if (!session.OpenConnection()) {
        if (const uint32_t error = session.PortOpenError())
            m_ui.Line("", PortProblem(m_options.port, error));
        else
            m_ui.Line("", m_ui.PasswordRefused() ? "the device refused the password"
                                                 : "no answer from the device on " + m_options.port);
        return kExitNoConnection;
    }
    return kExitOk;
}

SendFn CCliConnection::ReportingSender() {
    const bool progress = isatty(STDERR_FILENO) == 1;
    return [this, progress](RequestType type, const char* keyword, const char* parameter) {
        if (Loss())
            return static_cast<int>(kResultNoAnswer);
        if (progress)
            std::fprintf(stderr, "\r%-24s\r", keyword);
        m_ui.MuteBoxes(true);
        const ExchangeOutcome outcome = session.SendCommandOutcome(type, keyword, parameter);
        m_ui.MuteBoxes(false);
        NoteResult(keyword, parameter, outcome);
        return outcome.result;
    };
}

void CCliConnection::NoteResult(const char* keyword, const char* parameter, const ExchangeOutcome& outcome) {
    const std::string group = GroupName(keyword, parameter);
    std::lock_guard lock(m_lock);
    if (!state.connected) {
        m_loss = ConnectionLoss{group, outcome.result == kResultLost};
        return;
    }
    if (ExchangeSucceeded(outcome.result)) {
        ++m_succeeded;
        return;
    }
    m_failed.insert(group);
    m_ui.Line("", group + ": " + ResultClass(outcome.result, outcome.cause));
}

std::function<bool(int)> CCliConnection::StopWhenLost() {
    return [this](int) { return Loss().has_value(); };
}

void CCliConnection::ForgetFailures() {
    std::lock_guard lock(m_lock);
    m_failed.clear();
}

std::set<std::string> CCliConnection::FailedGroups() const {
    std::lock_guard lock(m_lock);
    return m_failed;
}

std::optional<ConnectionLoss> CCliConnection::Loss() const {
    std::lock_guard lock(m_lock);
    return m_loss;
}
