#include "app/gui/windowset.h"

#include "app/gui/mainsheets.h"
#include "app/gui/shellbridge.h"
#include "pages/gui/placeholderpage.h"

CWindowSet::CWindowSet(CDataServer& data, const std::string& workDir, const std::string& pinnedPort)
    : m_window(std::make_unique<CMainSheets>(data)),
      m_bridge(std::make_unique<CShellBridge>(data, *m_window, workDir)) {
    CShell& shell = m_bridge->Shell();
    m_window->InstallPages(shell.PageHost(), shell.Pages());
    m_mainPage = std::make_unique<CPlaceholderPage>(QString::fromUtf8("Главная"));
    m_window->SetMainPage(m_mainPage.get());
    m_window->SetActions(m_bridge->Actions());
    m_window->SetPinnedPort(pinnedPort);
}

CWindowSet::~CWindowSet() {
    m_bridge.reset();
    m_mainPage.reset();
    m_window.reset();
}
