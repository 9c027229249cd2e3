// The window's side of every role the shell needs. Calls from other threads
// are carried out on the user-interface thread while the calling thread waits.
#pragma once

#include "files/filechooser.h"
#include "files/loglinesink.h"
#include "files/messages.h"
#include "shell/connectposter.h"
#include "shell/passworddialog.h"
#include "shell/progressdialog.h"
#include "shell/shell.h"
#include "shell/statenotice.h"

#include <QObject>

class CDataServer;
class CMainSheets;

class CQtShellUi : public QObject,
                   public IMessages,
                   public IConnectPoster,
                   public IProgressDialog,
                   public IPasswordDialog,
                   public IStateNotice,
                   public IFileChooser,
                   public ILogLineSink {
    Q_OBJECT
public:
    // A log line waits at most this long for the view to take it.
    static constexpr int kLogHandOverMs = 1000;

    CQtShellUi(CMainSheets& window, CDataServer& model);

    ShellUi Roles() { return {{*this, *this, *this, *this, *this}, *this, *this}; }

    void ShowError(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void PostConnectCommand() override;
    void RunConnectionDialog(ConnectionMode mode, const std::function<void()>& sequence) override;
    bool RunPasswordDialog() override;
    std::optional<std::string> ChooseFile(bool forSaving, const std::string& folder,
                                          const std::string& proposedName) override;
    void StateChanged() override;
    void AppendLogLine(const std::string& line) override;

private:
    int ShowBox(int icon, const std::string& text, int buttons);
    void OnGuiThread(const std::function<void()>& call);
    bool OnGuiThreadNow() const;
    void AppendToPage(const std::string& line);

    CMainSheets& m_window;
    CDataServer& m_data;
};
