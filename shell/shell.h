// The window's toolkit-free core: the state words, the session, the pages'
// services and page set, the settings file with its commands, the log file
// and the log line path. The Qt window and the tests build the same shell
// over their own roles.
#pragma once

#include "files/logfile.h"
#include "files/logpath.h"
#include "files/zrafile.h"
#include "shell/controls.h"
#include "shell/filecommands.h"
#include "shell/pagehost.h"
#include "shell/pageset.h"
#include "shell/ports.h"
#include "shell/session.h"
#include "shell/shellstate.h"
#include "transport/zralogqueue.h"

#include <atomic>
#include <string>

class CDataServer;
class IFileChooser;
class ILogLineSink;

// Every role the shell needs of the window.
struct ShellUi {
    SessionUi session;
    IFileChooser& chooser;
    ILogLineSink& logLines;
};

class CShell {
public:
    // workDir holds the "Settings" and "Logs" folders.
    CShell(CDataServer& data, const ShellUi& ui, const std::string& workDir);
    CShell(const CShell&) = delete;
    CShell& operator=(const CShell&) = delete;
    ~CShell();

    CShellState& State() { return m_state; }
    CSession& Session() { return m_session; }
    CPageSet& Pages() { return m_pages; }
    CPageHost& PageHost() { return m_pageHost; }
    CFileCommands& Files() { return m_fileCommands; }

    // The state words the window shows.
    ShellFlags Flags() const;
    PortScanResult ScanPorts();
    void ChoosePort(const std::string& path);
    // "Создать" for a device type chosen in the type dialog.
    void CreateFile(int deviceType);
    // The Info, settings and log tabs were installed (true) or removed.
    void PageSetChanged(bool shown) { m_state.logPageShown = shown; }
    // Stops the session and closes an open file; the window is going.
    void Shutdown();

private:
    CShellState m_state;
    CZRALogQueue m_logQueue;
    CLOGFile m_logFile;
    CLogPath m_logPath;
    CPageSet m_pages;
    CSession m_session;
    CPageHost m_pageHost;
    std::atomic<int> m_newFileType{0};
    CZRAFile m_file;
    CFileCommands m_fileCommands;
};
