// The main window: a row of tabs, the side panel and the status strip. It shows
// the state of the session and hands the side panel's commands to the logic
// behind them; it never owns the port.
#pragma once

#include "shell/controls.h"
#include "window/shellactions.h"

#include <QWidget>

#include <memory>
#include <string>

class CAboutPage;
class CBusyRunner;
class CDataServer;
class CLogPage;
class CPageSet;
class IPageHost;
class CShellPage;
class CSidePanel;
class CStatusStrip;
class QPushButton;
class QTabWidget;

class CMainSheets : public QWidget {
    Q_OBJECT
public:
    explicit CMainSheets(CDataServer& model, QWidget* parent = nullptr);
    ~CMainSheets() override;

    // Creates the pages that use the shell's services; the collecting ones
    // join the page set. Until then the window shows no page but its own.
    void InstallPages(IPageHost& host, CPageSet& pageSet);
    // Forgets the page set and takes the main page off the tab row, before
    // the main page and the shell go.
    void ReleasePages();
    // Opens the window wide enough for all six tabs and large enough for
    // every page, also for those not on the tab row yet.
    void FitToPages();

    // The start-up routine adds the main page as the first tab.
    void SetMainPage(CShellPage* page);
    void SetActions(ShellActions actions);
    // Listed first in the port list (the demo device).
    void SetDemoPort(const std::string& path);

    // Recomputes controls, tab row, title, banner and IMEI text from the state.
    void Refresh();
    void SetFlags(const ShellFlags& flags);
    const ShellFlags& Flags() const { return m_flags; }

    void UpdateControls();
    void UpdatePageSet();
    void UpdateConnectionTab();
    void UpdateTitle();
    void UpdateBanner();
    void UpdateImeiLabel();

    // Runs blocking work off this thread while the window keeps painting.
    void RunBusy(const std::function<void()>& work);
    bool Busy() const;

    // The connect button's command, as posted by other threads.
    void OnConnectCommand();
    // Posted commands wait until no blocking command runs, except while a
    // connection dialog is open (its sequence needs them handled meanwhile).
    void SetConnectionDialogOpen(bool open);

    CSidePanel* Panel() const { return m_panel; }
    CStatusStrip* Strip() const { return m_strip; }
    QTabWidget* Tabs() const { return m_tabs; }
    CLogPage* LogPage() const { return m_logPage; }
    CAboutPage* AboutPage() const { return m_aboutPage; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyState();
    void ConnectPanel();
    void RunCommand(const std::function<void()>& action);
    void OnCreate();
    void OnTabChanged(int index);
    void RunDeferredConnects();
    void AddPage(CShellPage* page, const char* caption);
    void RemovePage(CShellPage* page);
    void SetLogAttached(bool attached);

    CDataServer& m_data;
    CPageSet* m_pageSet = nullptr;
    ShellActions m_actions;
    ShellFlags m_flags;
    ShellFlags m_titleFlags;  // the state the title was last made from
    bool m_pagesShown = false;
    int m_newFileType = 0;
    int m_deferredConnects = 0;
    int m_dialogDepth = 0;
    bool m_shutDown = false;

    QTabWidget* m_tabs = nullptr;
    CSidePanel* m_panel = nullptr;
    CStatusStrip* m_strip = nullptr;
    CBusyRunner* m_busy = nullptr;
    CShellPage* m_mainPage = nullptr;
    CShellPage* m_activePage = nullptr;
    CShellPage* m_infoPage = nullptr;
    CShellPage* m_settingsPage = nullptr;
    CShellPage* m_connectionPage = nullptr;
    CLogPage* m_logPage = nullptr;
    CAboutPage* m_aboutPage = nullptr;
};
