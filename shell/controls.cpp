#include "shell/controls.h"

ControlStates ComputeControls(const ShellFlags& flags, bool portChosen, bool rebootWasEnabled) {
    ControlStates s;
    if (flags.connected)
        s.reboot = true;
    else if (flags.fileOpen)
        s.reboot = rebootWasEnabled;
    s.defaults = flags.connected || flags.fileOpen;
    s.connectShowsDisconnect = flags.connected;
    s.connectEnabled = flags.connected || portChosen;
    s.portList = !flags.connected;
    s.writeRead = flags.connected;
    s.openShowsClose = flags.fileOpen;
    s.create = !flags.fileOpen;
    s.save = flags.fileOpen && flags.fileModified;
    return s;
}
