#include "cli/connection.h"

#include "app/core/ports.h"
#include "transport/serialport.h"
#include "transport/zracli.h"

#include <cstdio>

#include <fcntl.h>
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

bool Succeeded(int result) { return result == kResultOk || result == kResultDone || result == kResultPassChanged; }

// A path that opens but is no terminal (a file, /dev/null) is no serial port.
bool OpensAsNonTerminal(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool terminal = isatty(fd) == 1;
    ::close(fd);
    return !terminal;
}

// A lost port is not waited for: the tool ends instead of reconnecting.
constexpr RecheckTiming kNoRecheck{std::chrono::milliseconds(0), 0, 0};

}  // namespace

const char* ResultClass(int result) {
    for (const ResultName& name : kResultNames)
        if (name.result == result)
            return name.text;
    return "unknown result";
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
    session.SetRecheckTiming(kNoRecheck);
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
CCliConnection::~CCliConnection() { session.Shutdown(); }

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
    if (OpensAsNonTerminal(m_options.port)) {
        m_ui.Line("", m_options.port + " is not a serial port");
        return kExitNoConnection;
    }
    if (!CSerialPort::CanOpen(m_options.port)) {
        const std::string hint = PortAccessHint(m_options.port);
        m_ui.Line("", "cannot open port " + m_options.port + (hint.empty() ? "" : ": " + hint));
        return kExitNoConnection;
    }
    ApplyPassword();
    if (!session.IdentifyDevice()) {
        m_ui.Line("", m_ui.PasswordRefused() ? "the device refused the password"
                                             : "no answer from the device on " + m_options.port);
        return kExitNoConnection;
    }
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    state.connectedType = type.type;
    session.OpenSessionLog();
    return kExitOk;
}

SendFn CCliConnection::ReportingSender() {
    const bool progress = isatty(STDERR_FILENO) == 1;
    return [this, progress](RequestType type, const char* keyword, const char* parameter) {
        if (progress)
            std::fprintf(stderr, "\r%-24s\r", keyword);
        m_ui.MuteBoxes(true);
        const int result = session.SendCommand(type, keyword, parameter);
        m_ui.MuteBoxes(false);
        if (!Succeeded(result)) {
            m_groupFailed = true;
            m_ui.Line("", std::string(keyword) + (parameter ? std::string(" ") + parameter : std::string()) + ": " +
                              ResultClass(result));
        }
        return result;
    };
}
