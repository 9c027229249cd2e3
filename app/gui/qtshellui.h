// The window's side of IShellUi. Calls from other threads are carried out on
// the user-interface thread while the calling thread waits.
#pragma once

#include "app/core/shellui.h"

#include <QObject>

class CDataServer;
class CMainSheets;

class CQtShellUi : public QObject, public IShellUi {
    Q_OBJECT
public:
    // A log line waits at most this long for the view to take it.
    static constexpr int kLogHandOverMs = 1000;

    CQtShellUi(CMainSheets& window, CDataServer& model);

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

    CMainSheets& m_window;
    CDataServer& m_data;
};
