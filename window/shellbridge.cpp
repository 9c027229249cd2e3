#include "window/shellbridge.h"

#include "window/mainsheets.h"

CShellBridge::CShellBridge(CDataServer& data, CMainSheets& window, const std::string& workDir)
    : m_ui(window, data), m_shell(data, m_ui.Roles(), workDir) {
    m_shell.PageHost().SetBlockingRunner([&window](const std::function<void()>& call) { window.RunBusy(call); });
}

CShellBridge::~CShellBridge() { m_shell.Shutdown(); }

ShellActions CShellBridge::Actions() {
    CSession& session = m_shell.Session();
    CFileCommands& files = m_shell.Files();
    ShellActions a;
    a.flags = [this] { return m_shell.Flags(); };
    a.scanPorts = [this] { return m_shell.ScanPorts(); };
    a.choosePort = [this](const std::string& path) { m_shell.ChoosePort(path); };
    a.connectOrDisconnect = [&session] { session.OnConnectCommand(); };
    a.write = [&session] { session.OnWriteCommand(); };
    a.read = [&session] { session.OnReadCommand(); };
    a.openOrClose = [&files] { files.OnOpenOrClose(); };
    a.save = [&files] { files.OnSave(); };
    a.create = [this](int type) { m_shell.CreateFile(type); };
    a.reboot = [&session] { session.OnControlCommand(ControlCommand::Restart); };
    a.defaults = [&session] { session.OnControlCommand(ControlCommand::Defaults); };
    a.shutdown = [this] { m_shell.Shutdown(); };
    a.pageSetChanged = [this](bool shown) { m_shell.PageSetChanged(shown); };
    return a;
}
