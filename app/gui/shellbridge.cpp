#include "app/gui/shellbridge.h"

#include "app/core/ports.h"
#include "app/gui/mainsheets.h"

#include <QDir>

namespace {
// The pages do not yet hold edits of their own: nothing to collect.
bool CollectPageChanges() { return false; }

// A tracker shows up as a USB serial device; say why such a present one is not listed.
std::string UsbPortHint()
{
    const QStringList names = QDir(QStringLiteral("/dev"))
                                  .entryList({QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*")}, QDir::System,
                                             QDir::Name);
    for (const QString& name : names) {
        std::string hint = PortAccessHint("/dev/" + name.toStdString());
        if (!hint.empty())
            return hint;
    }
    return {};
}
}  // namespace

CShellBridge::CShellBridge(CDataServer& data, CMainSheets& window, const std::string& workDir)
    : m_ui(window, data),
      m_logFile(m_ui, workDir),
      m_logPath(m_logQueue, m_logFile, m_ui, [this] { return m_state.logPageShown.load(); }),
      m_session(data, m_state, m_ui),
      m_file(data, m_session.Codec(), m_ui,
             FileWindowState{[this] { return m_state.connected.load(); }, [this] { return m_newFileType.load(); }},
             workDir),
      m_fileCommands(m_state, data, m_file, CollectPageChanges, [this] { m_session.DiscardPendingWrites(); })
{
    m_session.SetSessionLog(&m_logPath);
    m_session.SetLogFeed(&m_logPath);
}

CShellBridge::~CShellBridge() { Shutdown(); }

int CShellBridge::SendCommand(int type, const char* keyword, const char* parameter)
{
    return m_session.SendCommand(type, keyword, parameter);
}

ShellActions CShellBridge::Actions()
{
    ShellActions a;
    a.flags = [this] { return Flags(); };
    a.scanPorts = [this] { return ScanPorts(); };
    a.choosePort = [this](const std::string& path) {
        m_session.SetPortPath(path);
        m_state.portChosen = true;
    };
    a.connectOrDisconnect = [this] { m_session.OnConnectCommand(); };
    a.write = [this] { m_session.OnWriteCommand(CollectPageChanges); };
    a.read = [this] { m_session.OnReadCommand(); };
    a.openOrClose = [this] { m_fileCommands.OnOpenOrClose(); };
    a.save = [this] { m_fileCommands.OnSave(); };
    a.create = [this](int type) {
        m_newFileType = type;
        m_fileCommands.OnCreate();
    };
    a.reboot = [this] { m_session.OnControlCommand(ControlCommand::Restart); };
    a.defaults = [this] { m_session.OnControlCommand(ControlCommand::Defaults); };
    a.shutdown = [this] { Shutdown(); };
    a.pageSetChanged = [this](bool shown) { m_state.logPageShown = shown; };
    return a;
}

ShellFlags CShellBridge::Flags() const
{
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

PortScanResult CShellBridge::ScanPorts()
{
    m_state.portChosen = false;
    PortScanResult scan{ListSerialPorts(), UsbPortHint()};
    m_state.portFound = !scan.ports.empty();
    return scan;
}

void CShellBridge::Shutdown()
{
    m_session.Shutdown();
    m_fileCommands.CloseOnShutdown();
}
