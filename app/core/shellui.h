// What the toolkit-free core needs from the user interface. The Qt window
// implements it; tests and the command-line tool supply their own.
#pragma once

#include <functional>
#include <optional>
#include <string>

// Modes of the progress dialog.
enum ConnectionMode : int { kModeRecheck = 3, kModeWriteAll = 4, kModeReadAll = 5 };

class IShellUi {
public:
    virtual ~IShellUi() = default;

    // Message boxes with the application's name as caption. May be called from
    // any thread; the call returns once the user has closed the box.
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;

    // Posts the connect button's command to the window; it runs later on the UI thread.
    virtual void PostConnectCommand() = 0;

    // Runs the modal progress dialog of a mode for as long as sequence runs
    // (sequence runs on a worker thread; the call returns after it has ended).
    virtual void RunConnectionDialog(ConnectionMode mode, const std::function<void()>& sequence) = 0;

    // The password dialog; true when it ended with OK (it stores its result in the record).
    virtual bool RunPasswordDialog() = 0;

    // File dialog: a chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(bool forSaving, const std::string& folder,
                                                  const std::string& proposedName) = 0;

    // A state word changed (the window reruns its control rules).
    virtual void StateChanged() = 0;

    // A log line for the log page (called on the log thread; returns once taken).
    virtual void AppendLogLine(const std::string& line) = 0;
};
