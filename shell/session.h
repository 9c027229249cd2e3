// The connection to one device and everything that talks to it: codec,
// channel, worker, the three request queues, the synchronous exchange and the
// status thread. Runs the connect button, identification with its password
// roads, read-all and write-all, the pending writes and the port recheck.
// Toolkit-free: the window and the command-line tool drive it through
// the roles of SessionUi and these operations.
#pragma once

#include "protocol/zramds.h"
#include "shell/exchange.h"
#include "shell/shellstate.h"
#include "shell/statuspoll.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"
#include "transport/zrasci.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CDataServer;
class CPageSet;
class IConnectPoster;
class ILogFeed;
class IMessages;
class IPasswordDialog;
class IProgressDialog;
class ISessionLog;
class IStateNotice;

// What the session needs of the window, one role each.
struct SessionUi {
    IMessages& messages;
    IConnectPoster& poster;
    IProgressDialog& progress;
    IPasswordDialog& password;
    IStateNotice& notice;
};

// The port recheck's pace; tests shorten the period.
struct RecheckTiming {
    std::chrono::milliseconds period{1000};
    int lastCheck = 16;       // the loop ends after the check whose counter was this (17 checks)
    int reconnectBelow = 15;  // reconnect when the port came back within this many checks
};

enum class ControlCommand { Restart, Defaults };

class CSession : public ICommandOwner {
public:
    static constexpr std::chrono::seconds kShutdownWait{30};

    // pages hand over their edits for "Записать".
    CSession(CDataServer& data, CShellState& state, const SessionUi& ui, CPageSet& pages);
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;
    ~CSession() override;

    // Owner's hooks, set before connecting.
    void SetPortPath(const std::string& path);
    std::string PortPath() const;
    void SetSessionLog(ISessionLog* log) { m_sessionLog = log; }
    void SetLogFeed(ILogFeed* feed) { m_channel.SetLogFeed(feed); }
    void SetRecheckTiming(const RecheckTiming& timing) { m_recheck = timing; }

    // Commands of the side panel, run on the user-interface thread.
    void OnConnectCommand();
    void OnReadCommand();
    void OnWriteCommand();
    void OnControlCommand(ControlCommand command);

    bool ConnectDevice();
    // The first steps of every connection: identification, the device's own
    // identity (type and IMEI) and its log file. The command-line tool runs
    // them without the read-all that follows in the window.
    bool OpenConnection();
    bool IdentifyDevice();
    // The error that kept the port from opening at the last identification (0: it opened).
    uint32_t PortOpenError() const { return m_portOpenError; }
    // The error that kept the channel's or the worker's thread from starting
    // at the last identification (0: they started).
    int ThreadStartError() const { return m_threadStartError; }
    // The last HWCFG exchange of the last identification.
    ExchangeOutcome IdentifyOutcome() const { return m_identifyOutcome; }
    void DisconnectDevice();
    void CloseSession();
    int CheckPort();
    void ReadAllSettings();
    void WriteAllSettings();
    void WritePendingChanges();

    // Page services.
    int SendCommand(RequestType type, const char* keyword, const char* parameter);
    ExchangeOutcome SendCommandOutcome(RequestType type, const char* keyword, const char* parameter);
    int ExecuteCommand(RequestType type, const char* keyword, const char* parameter);
    void MarkChanged(const GroupRef& group);
    // A file save collects the pages' write requests but sends none of them.
    void DiscardPendingWrites();
    int QueueServiceRequest(RequestType type, const char* keyword, const char* parameter);
    SendFn Sender();

    // Stops the status thread, the worker and the channel, in that order.
    void Shutdown();

    // ICommandOwner, for the worker.
    CZRAQueue& RequestQueue() override { return m_requests; }
    CZRAMDS& Codec() override { return m_codec; }
    CZRASCI& Channel() override { return m_channel; }
    void OnRequestResult(int32_t code) override;

    CStatusPoll& StatusPoll() { return m_poll; }

private:
    void ReadIdentity();
    void OpenSessionLog();
    // Device data counts as loaded only when the device is still connected
    // after the read (a lost port disconnects during it).
    void MarkDeviceDataRead();
    bool StartWorker();
    int Identify();
    void StopWorker();
    int PasswordRoad();
    bool FailIdentification();
    void ResetPasswordToDefault();
    void RunPortRecheck();
    void RecheckSequence();
    void SleepUnlessClosing(std::chrono::milliseconds period);

    CDataServer& m_data;
    CShellState& m_state;
    SessionUi m_ui;
    CPageSet& m_pages;
    ISessionLog* m_sessionLog = nullptr;
    RecheckTiming m_recheck;
    std::atomic<uint32_t> m_portOpenError{0};
    std::atomic<int> m_threadStartError{0};
    ExchangeOutcome m_identifyOutcome;  // user-interface thread only

    mutable std::mutex m_portLock;
    std::string m_portPath;

    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_recheckRunning{false};
    std::mutex m_closeLock;
    std::condition_variable m_closeWake;

    CZRAMDS m_codec;
    CZRASCI m_channel;
    CZRAQueue m_requests;
    std::mutex m_marksLock;
    std::vector<GroupRef> m_marks;  // the groups the pages changed since the last write
    CZRAQueue m_serviceRequests;
    CZRACLI m_worker;
    CExchange m_exchange;
    CStatusPoll m_poll;
};
