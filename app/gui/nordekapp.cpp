#include "app/gui/nordekapp.h"

#include "app/gui/mainsheets.h"
#include "app/gui/shellbridge.h"
#include "app/gui/pageservices.h"
#include "model/dataserver.h"
#include "pages/placeholderpage.h"
#include "transport/trace.h"

#include <filesystem>
#include <new>

CNordekApp::CNordekApp(int& argc, char** argv) : QApplication(argc, argv)
{
    m_DataServer.reset(new (std::nothrow) CDataServer);
    if (!m_DataServer)
        Trace("[CNordekApp] m_DataServer creation failed\r\n");
}

CNordekApp::~CNordekApp() = default;

int CNordekApp::Run(const std::string& pinnedPort)
{
    if (!m_DataServer)
        return 1;
    // The pages reach the session through the bridge, which needs the window first.
    std::unique_ptr<CShellBridge> bridge;
    PageServices services;
    services.sendCommand = [&bridge](int type, const char* keyword, const char* parameter) {
        return bridge ? bridge->SendCommand(type, keyword, parameter) : 2;
    };
    services.setActivePageCode = [&bridge](int code) {
        if (bridge)
            bridge->SetActivePageCode(code);
    };
    auto window = std::make_unique<CMainSheets>(*m_DataServer, services);
    bridge = std::make_unique<CShellBridge>(*m_DataServer, *window, std::filesystem::current_path().string());
    auto mainPage = std::make_unique<CPlaceholderPage>(QString::fromUtf8("Главная"));
    window->SetMainPage(mainPage.get());
    window->SetActions(bridge->Actions());
    window->SetPinnedPort(pinnedPort);
    window->show();
    const int result = exec();
    // The session stops first; then the main page goes, then the window.
    bridge.reset();
    mainPage.reset();
    window.reset();
    return result;
}
