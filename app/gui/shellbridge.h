// Joins the window to the toolkit-free core: owns the state words, the
// session, the settings file, the log file and the log line path, and turns
// the side panel's commands into their operations.
#pragma once

#include "app/core/session.h"
#include "app/core/shellstate.h"
#include "app/gui/filecommands.h"
#include "app/gui/pageservices.h"
#include "app/gui/qtshellui.h"
#include "app/gui/shellactions.h"
#include "files/core/logfile.h"
#include "files/core/logpath.h"
#include "files/core/zrafile.h"
#include "transport/zralogqueue.h"

#include <atomic>
#include <string>

class CDataServer;
class CMainSheets;

class CShellBridge {
public:
    // workDir holds the "Settings" and "Logs" folders.
    CShellBridge(CDataServer& data, CMainSheets& window, const std::string& workDir);
    CShellBridge(const CShellBridge&) = delete;
    CShellBridge& operator=(const CShellBridge&) = delete;
    ~CShellBridge();

    ShellActions Actions();
    // The page services; usable before the bridge exists through a slot that
    // the caller fills (see CNordekApp).
    int SendCommand(int type, const char* keyword, const char* parameter);
    void SetActivePageCode(int code) { m_state.activePageCode = code; }

    CShellState& State() { return m_state; }
    CSession& Session() { return m_session; }
    IShellUi& Ui() { return m_ui; }

private:
    ShellFlags Flags() const;
    PortScanResult ScanPorts();
    void Shutdown();

    CShellState m_state;
    CQtShellUi m_ui;
    CZRALogQueue m_logQueue;
    CLOGFile m_logFile;
    CLogPath m_logPath;
    CSession m_session;
    std::atomic<int> m_newFileType{0};
    CZRAFile m_file;
    CFileCommands m_fileCommands;
};
