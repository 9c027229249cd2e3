// The state words the window shows and the enable rules of the side panel.
#pragma once

#include <string>

struct ShellFlags {
    bool connected = false;
    bool fileOpen = false;
    bool fileModified = false;
    bool deviceDataLoaded = false;
    bool fileDataShown = false;
    int connectedType = 0;
    std::string filePath;  // of the open settings file
};

// What UpdateControls sets. The reboot button keeps its state when a file is
// open without a device, so the rule needs its previous state.
struct ControlStates {
    bool reboot = false;
    bool defaults = false;
    bool connectEnabled = false;
    bool connectShowsDisconnect = false;
    bool portList = true;
    bool writeRead = false;
    bool openShowsClose = false;
    bool create = true;
    bool save = false;
};

ControlStates ComputeControls(const ShellFlags& flags, bool portChosen, bool rebootWasEnabled);
