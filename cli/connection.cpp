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

const char* ResultClass(int result) {
    for (const ResultName& name : kResultNames)
        if (name.result == result)
            return name.text;
    return "unknown result";
}

std::string WithoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

}  // namespace

std::string FailureReason(const ExchangeOutcome& outcome) {
    const std::string reply = WithoutLineEnd(outcome.reply);
    switch (outcome.cause) {
    case ResultCause::BadChecksum: return "bad checksum";
    case ResultCause::Refused: return "reply not taken, its values are out of range or unusable: " + reply;
    case ResultCause::Malformed: return "malformed reply: " + reply;
    case ResultCause::None: break;
    }
    // A status word the device sent says more than the class of its code.
    if (!reply.empty() && outcome.result >= kResultInvalid && outcome.result <= kResultOther)
        return std::string("the device answered ") + reply;
    return ResultClass(outcome.result);
}

std::string IdentifyFailure(const std::string& port, const ExchangeOutcome& outcome, bool passwordRefused) {
    if (passwordRefused || outcome.result == kResultWrongPassword)
        return "the device refused the password";
    if (outcome.result == kResultNoAnswer)
        return "no answer from the device on " + port;
    return "the device on " + port + " could not be identified: HWCFG: " + FailureReason(outcome);
}

std::string PortProblem(const std::string& path, uint32_t openError) {
    if (openError == static_cast<uint32_t>(ENOTTY))
        return path + " is not a serial port";
    return "cannot open port " + PortErrorHint(path, openError);
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
        session.SetLogFeed(m_logPath.get());
    }
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
    // The identification's boxes would only repeat the one line below.
    m_ui.MuteBoxes(true);
    const bool opened = session.OpenConnection();
    m_ui.MuteBoxes(false);
    if (!opened) {
        if (const uint32_t error = session.PortOpenError())
            m_ui.Line("", PortProblem(m_options.port, error));
        else if (const int startError = session.ThreadStartError())
            m_ui.Line("", "cannot start the connection to " + m_options.port + ": " + std::strerror(startError) +
                              " (out of memory or threads)");
        else
            m_ui.Line("", IdentifyFailure(m_options.port, session.IdentifyOutcome(), m_ui.PasswordRefused()));
        return kExitNoConnection;
    }
    return kExitOk;
}

SendFn CCliConnection::ReportingSender() {
    const bool progress = isatty(STDERR_FILENO) == 1;
    return [this, progress](RequestType type, const char* keyword, const char* parameter) {
        if (progress && !Loss())
            std::fprintf(stderr, "\r%-24s\r", keyword);
        return SendReporting(type, keyword, parameter).result;
    };
}

ExchangeOutcome CCliConnection::SendReporting(RequestType type, const char* keyword, const char* parameter) {
    if (Loss())
        return {};
    m_ui.MuteBoxes(true);
    const ExchangeOutcome outcome = session.SendCommandOutcome(type, keyword, parameter);
    m_ui.MuteBoxes(false);
    NoteResult(type, keyword, parameter, outcome);
    return outcome;
}

// A raw line is named as typed; its parameter is the keyword its reply must carry.
void CCliConnection::NoteResult(RequestType type, const char* keyword, const char* parameter,
                                const ExchangeOutcome& outcome) {
    const bool raw = type == RequestType::Raw;
    const std::string group = raw ? std::string(keyword) : GroupName(keyword, parameter);
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
    if (raw && outcome.result == kResultNoAnswer)
        m_ui.Line("", group + ": no reply naming " + std::string(parameter ? parameter : "") + " came within " +
                          std::to_string(CZRACLI::TimeoutFor("") / 1000) + " s");
    else
        m_ui.Line("", group + ": " + FailureReason(outcome));
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
