// Joins the window to the toolkit-free shell: owns the Qt roles and the shell,
// and turns the side panel's commands into the shell's operations.
#pragma once

#include "shell/shell.h"
#include "window/qtshellui.h"
#include "window/shellactions.h"

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

    CShell& Shell() { return m_shell; }
    CShellState& State() { return m_shell.State(); }
    CSession& Session() { return m_shell.Session(); }
    CQtShellUi& Ui() { return m_ui; }

private:
    CQtShellUi m_ui;
    CShell m_shell;
};
