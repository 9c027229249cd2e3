#include "shell/shell.h"

CShell::CShell(CDataServer& data, const ShellUi& ui, const std::string& workDir)
    : m_logFile(ui.session.messages, workDir),
      m_logPath(m_logQueue, m_logFile, ui.logLines, [this] { return m_state.logPageShown.load(); }),
      m_session(data, m_state, ui.session, m_pages),
      m_pageHost(m_session, m_state, ui.session.messages, ui.session.notice),
      m_file(data, m_session.Codec(), ui.session.messages, ui.chooser,
             FileWindowState{[this] { return m_state.connected.load(); }, [this] { return m_newFileType.load(); }},
             workDir),
      m_fileCommands(m_state, data, m_file, m_pages, m_session) {
    m_session.SetSessionLog(&m_logPath);
    m_session.SetLogFeed(&m_logPath);
}

CShell::~CShell() { Shutdown(); }

ShellFlags CShell::Flags() const {
    ShellFlags f;
    f.connected = m_state.connected;
    f.fileOpen = m_state.fileOpen;
    f.fileModified = m_state.fileModified;
    f.deviceDataLoaded = m_state.deviceDataLoaded;
    f.fileDataShown = m_state.fileDataShown;
    f.connectedType = m_state.connectedType;
    f.filePath = m_fileCommands.FilePath();
    return f;
}

PortScanResult CShell::ScanPorts() {
    m_state.portChosen = false;
    PortScanResult scan = ScanSerialPorts();
    m_state.portFound = !scan.ports.empty();
    return scan;
}

void CShell::ChoosePort(const std::string& path) {
    m_session.SetPortPath(path);
    m_state.portChosen = true;
}

void CShell::CreateFile(int deviceType) {
    m_newFileType = deviceType;
    m_fileCommands.OnCreate();
}

void CShell::Shutdown() {
    m_session.Shutdown();
    m_fileCommands.CloseOnShutdown();
}
