#include "window/windowset.h"

#include "pages/gui/wizardpage.h"
#include "window/mainsheets.h"
#include "window/shellbridge.h"
#include "window/sidepanel.h"

CWindowSet::CWindowSet(CDataServer& data, const std::string& workDir, const std::string& demoPort)
    : m_window(std::make_unique<CMainSheets>(data)),
      m_bridge(std::make_unique<CShellBridge>(data, *m_window, workDir)) {
    CShell& shell = m_bridge->Shell();
    auto mainPage = std::make_unique<CWizardPage>(data, shell.PageHost());
    shell.Pages().Add(mainPage.get());
    m_window->Strip()->setFont(mainPage->HandedFont());
    m_window->InstallPages(shell.PageHost(), shell.Pages());
    m_window->SetMainPage(mainPage.get());
    m_mainPage = std::move(mainPage);
    m_window->SetActions(m_bridge->Actions());
    m_window->SetDemoPort(demoPort);
    m_window->FitToPages();
}

// The pages use the shell's services, so the shell goes last, after its
// threads have stopped first.
CWindowSet::~CWindowSet() {
    m_bridge->Shell().Shutdown();
    m_window->ReleasePages();
    m_mainPage.reset();
    m_window.reset();
    m_bridge.reset();
}
