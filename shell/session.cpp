#include "shell/session.h"

#include "files/messages.h"
#include "files/naming.h"
#include "files/sessionlog.h"
#include "model/dataserver.h"
#include "model/registry.h"
#include "shell/connectposter.h"
#include "shell/pageset.h"
#include "shell/passworddialog.h"
#include "shell/progressdialog.h"
#include "shell/statenotice.h"
#include "transport/serialport.h"

#include <cstdio>
#include <string>

namespace {

const char kDefaultPassword[] = "7391";
const char kPortNotFound[] = "Ошибка соединения.\r\nСоединение не найдено!";

struct ControlRow {
    ControlCommand command;
    const char* question;
    const char* keyword;
};

const ControlRow kControls[] = {
    {ControlCommand::Restart, "Вы действительно хотите перезагрузить устройство?", "RESET"},
    {ControlCommand::Defaults, "Вы действительно хотите привести устройство в исходное состояние?", "DEFAULT"},
};

// busy for the length of a sequence; nested sequences keep the outer value.
class BusyScope {
public:
    explicit BusyScope(CShellState& state) : m_state(state), m_was(state.busy.exchange(true)) {}
    ~BusyScope() { m_state.busy = m_was; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CShellState& m_state;
    bool m_was;
};

// Puts a request with its keyword and parameter cut to what a taker's buffers hold.
int PutBounded(CZRAQueue& queue, void* owner, RequestType type, const char* keyword, const char* parameter) {
    if (!keyword)
        return 0;
    char text[CZRAQueue::kParameterSize];
    char extra[CZRAQueue::kParameterSize];
    std::snprintf(text, sizeof text, "%s", keyword);
    std::snprintf(extra, sizeof extra, "%s", parameter ? parameter : "");
    return queue.Put(type, text, extra, owner, nullptr);
}

}  // namespace

CSession::CSession(CDataServer& data, CShellState& state, const SessionUi& ui, CPageSet& pages)
    : m_data(data),
      m_state(state),
      m_ui(ui),
      m_pages(pages),
      m_codec(data),
      m_channel(nullptr),
      m_requests(this),
      m_serviceRequests(this),
      m_worker(*this),
      m_exchange(m_requests, state, ui.messages, ui.poster),
      m_poll(state, data, m_serviceRequests, ui.notice, Sender()) {
    m_requests.Reset();
    m_serviceRequests.Reset();
    m_exchange.SetWakeWorker([this] { m_worker.Notify(); });
    m_exchange.SetReplySource([this] { return m_worker.LastReply(); });
    m_exchange.SetPortLostHandler([this] { RunPortRecheck(); });
}

CSession::~CSession() { Shutdown(); }

void CSession::SetPortPath(const std::string& path) {
    std::lock_guard lock(m_portLock);
    m_portPath = path;
}

std::string CSession::PortPath() const {
    std::lock_guard lock(m_portLock);
    return m_portPath;
}

SendFn CSession::Sender() {
    return [this](RequestType type, const char* keyword, const char* parameter) {
        return m_exchange.SendCommand(type, keyword, parameter);
    };
}

int CSession::SendCommand(RequestType type, const char* keyword, const char* parameter) {
    return m_exchange.SendCommand(type, keyword, parameter);
}

ExchangeOutcome CSession::SendCommandOutcome(RequestType type, const char* keyword, const char* parameter) {
    return m_exchange.SendCommandOutcome(type, keyword, parameter);
}

int CSession::ExecuteCommand(RequestType type, const char* keyword, const char* parameter) {
    return m_exchange.ExecuteCommand(type, keyword, parameter);
}

void CSession::MarkChanged(const GroupRef& group) {
    std::lock_guard lock(m_marksLock);
    m_marks.push_back(group);
}

void CSession::DiscardPendingWrites() {
    std::lock_guard lock(m_marksLock);
    m_marks.clear();
}

int CSession::QueueServiceRequest(RequestType type, const char* keyword, const char* parameter) {
    return PutBounded(m_serviceRequests, this, type, keyword, parameter);
}

void CSession::OnRequestResult(int32_t code) {
    if (ExchangeSucceeded(code)) {
        m_state.connected = true;
        m_state.consecutiveFailures = 0;
    } else {
        ++m_state.consecutiveFailures;
    }
}

// ---- connect button ----

void CSession::OnConnectCommand() {
    if (m_closing)
        return;
    if (m_state.connected) {
        DisconnectDevice();
        return;
    }
    if (ConnectDevice())
        return;
    // The first failure retries by itself; the second falls back to the default password.
    if (++m_state.connectFailures <= 1) {
        m_ui.poster.PostConnectCommand();
        return;
    }
    ResetPasswordToDefault();
    m_state.connectFailures = 0;
}

void CSession::ResetPasswordToDefault() {
    PasswordRecord password;
    m_data.Get(DI_PASSWORD, password);
    std::snprintf(password.current, sizeof password.current, "%s", kDefaultPassword);
    password.flags = static_cast<uint8_t>((password.flags | PasswordFlag::kInForce) & ~PasswordFlag::kWanted);
    m_data.Set(DI_PASSWORD, password);
}

bool CSession::ConnectDevice() {
    if (!OpenConnection())
        return false;
    if (m_state.fileOpen) {
        m_state.fileModified = true;
    } else {
        ReadAllSettings();
        MarkDeviceDataRead();
    }
    m_ui.notice.StateChanged();
    return true;
}

bool CSession::OpenConnection() {
    if (!IdentifyDevice())
        return false;
    ReadIdentity();
    OpenSessionLog();
    return true;
}

// The record may still hold the previous device's IMEI (or a default one): it
// is unknown until this device's GSM answer has told it.
void CSession::ReadIdentity() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    m_state.connectedType = type.type;
    const char unknown[16] = {};
    m_data.Set(DI_IMEI, unknown);
    if (Has(type, Capability::Gsm))
        SendCommand(RequestType::Read, "GSM", nullptr);
}

void CSession::MarkDeviceDataRead() {
    m_state.deviceDataLoaded = m_state.connected.load();
    m_state.fileDataShown = false;
    m_state.RequestPageRefresh();
}

void CSession::OpenSessionLog() {
    if (!m_sessionLog)
        return;
    m_sessionLog->OpenSessionLog(ModelName(m_state.connectedType), DeviceImeiText(m_data).c_str());
}

bool CSession::IdentifyDevice() {
    if (m_state.connected)
        return false;
    m_state.consecutiveFailures = 0;
    m_requests.Clear();
    m_identifyOutcome = {};
    if (m_channel.Connect(PortPath()) != 1) {
        m_portOpenError = m_channel.LastOpenError();
        m_threadStartError = m_channel.LastStartError();
        StopWorker();
        return false;
    }
    m_portOpenError = 0;
    m_threadStartError = 0;
    if (!StartWorker())
        return FailIdentification();
    int result = Identify();
    if (result == kResultWrongPassword) {
        if (m_state.connected)
            return FailIdentification();
        result = PasswordRoad();
    } else if (!ExchangeSucceeded(result)) {
        // Ask once more with no password in front.
        PasswordRecord password;
        m_data.Get(DI_PASSWORD, password);
        password.flags = static_cast<uint8_t>(password.flags & ~PasswordFlag::kBoth);
        m_data.Set(DI_PASSWORD, password);
        result = Identify();
        if (result == kResultWrongPassword && !m_state.connected)
            result = PasswordRoad();
    }
    if (!ExchangeSucceeded(result))
        return FailIdentification();
    m_poll.ResetStatusMemory();
    m_poll.Start();
    m_state.connected = true;
    return true;
}

int CSession::PasswordRoad() {
    if (!m_ui.password.RunPasswordDialog())
        return kResultWrongPassword;
    return Identify();
}

// One HWCFG exchange of identification; its outcome is kept for the caller's message.
int CSession::Identify() {
    m_identifyOutcome = m_exchange.ExecuteCommandOutcome(RequestType::Read, Group::kHwcfg.keyword, nullptr);
    return m_identifyOutcome.result;
}

// A device that answered with a success code on the way may have set connected.
bool CSession::FailIdentification() {
    m_channel.Disconnect();
    StopWorker();
    m_state.connected = false;
    return false;
}

bool CSession::StartWorker() {
    m_exchange.WorkerStarted();
    if (m_worker.Start() == 1)
        return true;
    m_exchange.WorkerStopped();
    m_threadStartError = m_worker.StartError();
    return false;
}

void CSession::StopWorker() {
    m_worker.Stop();
    m_exchange.WorkerStopped();
}

void CSession::CloseSession() {
    if (!m_state.connected)
        return;
    BusyScope busy(m_state);
    m_poll.Stop();
    StopWorker();
    m_channel.Disconnect();
    m_state.connected = false;
    m_poll.ResetStatusMemory();
}

void CSession::DisconnectDevice() {
    CloseSession();
    if (m_sessionLog)
        m_sessionLog->CloseSessionLog();
    m_state.deviceDataLoaded = false;
    m_state.deviceEditsPending = false;
    if (!m_state.fileOpen) {
        m_data.ResetToDefaults(0);
        m_state.RequestPageRefresh();
    }
    m_ui.notice.StateChanged();
}

int CSession::CheckPort() {
    if (m_state.connected)
        return 0;
    m_state.portFound = false;
    if (!CSerialPort::CanOpen(PortPath()))
        return 0;
    m_state.portFound = true;
    return 1;
}

// ---- sequences ----

void CSession::ReadAllSettings() {
    if (!m_state.connected)
        return;
    BusyScope busy(m_state);
    m_ui.progress.RunConnectionDialog(ConnectionMode::ReadAll, [this] { RunReadAll(m_data, Sender()); });
    // The edits handed over before are gone from the record.
    DiscardPendingWrites();
    m_state.deviceEditsPending = false;
    if (m_state.fileOpen)
        m_state.fileModified = true;
}

void CSession::WriteAllSettings() {
    if (!m_state.connected)
        return;
    BusyScope busy(m_state);
    m_ui.progress.RunConnectionDialog(ConnectionMode::WriteAll, [this] { RunWriteAll(m_data, Sender()); });
}

void CSession::WritePendingChanges() {
    BusyScope busy(m_state);
    if (!m_state.deviceEditsPending)
        return;
    // Pages hand their edits over when they are left, so groups may be marked
    // although this collect found nothing new; each is sent once.
    m_pages.CollectPageChanges();
    std::vector<GroupRef> marks;
    {
        std::lock_guard lock(m_marksLock);
        marks.swap(m_marks);
    }
    if (m_state.connected)
        RunWrites(std::move(marks), [this](RequestType type, const char* keyword, const char* parameter) {
            return SendCommand(type, keyword, parameter);
        });
    m_state.deviceEditsPending = false;
}

void CSession::OnReadCommand() {
    ReadAllSettings();
    MarkDeviceDataRead();
    if (m_state.fileOpen)
        m_state.fileModified = true;
    m_ui.notice.StateChanged();
}

void CSession::OnWriteCommand() {
    if (m_state.fileOpen) {
        m_state.deviceEditsPending = true;
        m_pages.CollectPageChanges();
        WriteAllSettings();
        m_state.deviceEditsPending = false;
    } else {
        WritePendingChanges();
        m_state.RequestPageRefresh();
    }
    m_ui.notice.StateChanged();
}

void CSession::OnControlCommand(ControlCommand command) {
    for (const ControlRow& row : kControls)
        if (row.command == command && m_ui.messages.AskYesNo(row.question))
            SendCommand(RequestType::Write, row.keyword, nullptr);
}

// ---- lost port ----

// Runs on the thread whose exchange met the lost port, after the send lock is
// released. One recheck at a time: a second thread meeting the same loss
// leaves it to the first.
void CSession::RunPortRecheck() {
    if (m_recheckRunning.exchange(true))
        return;
    m_ui.progress.RunConnectionDialog(ConnectionMode::Recheck, [this] { RecheckSequence(); });
    if (!m_state.portFound && !m_closing)
        m_ui.messages.ShowError(kPortNotFound);
    m_recheckRunning = false;
}

void CSession::RecheckSequence() {
    m_ui.poster.PostConnectCommand();  // connected: this disconnects
    int counter = 0;
    while (!m_closing) {
        if (CheckPort())
            break;
        SleepUnlessClosing(m_recheck.period);
        if (counter++ >= m_recheck.lastCheck)
            break;
    }
    if (counter < m_recheck.reconnectBelow && !m_closing)
        m_ui.poster.PostConnectCommand();  // disconnected by now: this reconnects
}

void CSession::SleepUnlessClosing(std::chrono::milliseconds period) {
    std::unique_lock lock(m_closeLock);
    m_closeWake.wait_for(lock, period, [this] { return m_closing.load(); });
}

// ---- shutdown ----

void CSession::Shutdown() {
    {
        std::lock_guard lock(m_closeLock);
        m_closing = true;
    }
    m_closeWake.notify_all();
    CloseSession();
    m_poll.Stop();
    m_poll.WaitStopped(kShutdownWait);
    if (m_sessionLog)
        m_sessionLog->CloseSessionLog();
    m_sessionLog = nullptr;
    StopWorker();
    m_channel.Disconnect();
}
