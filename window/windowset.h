// The main window with the shell behind it and the main page, built and torn
// down in their order: the window first, then the shell (its roles need the
// window), then the pages; on the way out the session stops first, then the
// main page goes, then the window.
#pragma once

#include <memory>
#include <string>

class CDataServer;
class CMainSheets;
class CShellBridge;
class CWizardPage;

class CWindowSet {
public:
    // workDir holds the "Settings" and "Logs" folders; demoPort, when not
    // empty, is listed first in the port list as the demo device, and chosen.
    CWindowSet(CDataServer& data, const std::string& workDir, const std::string& demoPort = {});
    CWindowSet(const CWindowSet&) = delete;
    CWindowSet& operator=(const CWindowSet&) = delete;
    ~CWindowSet();

    CMainSheets& Window() { return *m_window; }
    CShellBridge& Bridge() { return *m_bridge; }
    CWizardPage& MainPage() { return *m_mainPage; }

private:
    std::unique_ptr<CMainSheets> m_window;
    std::unique_ptr<CShellBridge> m_bridge;
    std::unique_ptr<CWizardPage> m_mainPage;
};
