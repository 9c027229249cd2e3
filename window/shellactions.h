// What the side panel's commands do. The window owns the widgets; the
// application logic behind each command is plugged in here.
#pragma once

#include "shell/controls.h"
#include "shell/ports.h"

#include <functional>
#include <string>

struct ShellActions {
    // The state words the window shows; called on the user-interface thread.
    std::function<ShellFlags()> flags;
    std::function<PortScanResult()> scanPorts;
    std::function<void(const std::string& path)> choosePort;

    // Side-panel commands. They may block on the device and therefore run off
    // the user-interface thread (see CBusyRunner).
    std::function<void()> connectOrDisconnect;
    std::function<void()> write;
    std::function<void()> read;
    std::function<void()> openOrClose;
    std::function<void()> save;
    std::function<void(int deviceType)> create;
    std::function<void()> reboot;
    std::function<void()> defaults;
    // Stops the session before the window goes.
    std::function<void()> shutdown;
    // The Info, settings and log tabs were installed (true) or removed.
    std::function<void(bool shown)> pageSetChanged;
};
