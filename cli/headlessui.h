// The shell's user interface without a window: boxes become stderr lines,
// questions are answered no, the password dialog fails, the progress dialog
// runs its sequence inline and a posted connect command runs at once.
#pragma once

#include "files/filechooser.h"
#include "files/loglinesink.h"
#include "files/messages.h"
#include "shell/connectposter.h"
#include "shell/passworddialog.h"
#include "shell/progressdialog.h"
#include "shell/session.h"
#include "shell/statenotice.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <ostream>

class CHeadlessUi : public IMessages,
                    public IConnectPoster,
                    public IProgressDialog,
                    public IPasswordDialog,
                    public IStateNotice,
                    public IFileChooser,
                    public ILogLineSink {
public:
    explicit CHeadlessUi(std::ostream& err) : m_err(err) {}

    SessionUi Roles() { return {*this, *this, *this, *this, *this}; }

    void ShowError(const std::string& text) override { Box("error: ", text); }
    void ShowInfo(const std::string& text) override { Box("info: ", text); }
    bool AskYesNo(const std::string& text) override;
    // There is no message loop to post to: the command runs on the posting thread.
    void PostConnectCommand() override;
    void RunConnectionDialog(ConnectionMode, const std::function<void()>& sequence) override { sequence(); }
    bool RunPasswordDialog() override;
    std::optional<std::string> ChooseFile(bool, const std::string&, const std::string&) override { return {}; }
    void StateChanged() override {}
    void AppendLogLine(const std::string&) override {}

    // What a posted connect command does (set by the owner of the session).
    void SetConnectCommand(std::function<void()> command);
    // True once the device refused the password (the dialog was asked for).
    bool PasswordRefused() const { return m_passwordRefused; }
    // One line on the error stream; box texts spanning lines are joined.
    void Line(const std::string& prefix, const std::string& text);
    // While set, boxes stay quiet: the caller reports the failure in its own line.
    void MuteBoxes(bool muted) { m_boxesMuted = muted; }

private:
    void Box(const std::string& prefix, const std::string& text) {
        if (!m_boxesMuted)
            Line(prefix, text);
    }

    std::ostream& m_err;
    std::mutex m_lock;
    std::mutex m_commandLock;
    std::function<void()> m_connectCommand;  // guarded by m_commandLock
    std::atomic<bool> m_passwordRefused{false};
    std::atomic<bool> m_boxesMuted{false};
};
