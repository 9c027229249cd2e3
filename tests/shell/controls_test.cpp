#include "shell/controls.h"

#include <gtest/gtest.h>

namespace {

ShellFlags Flags(bool connected, bool fileOpen, bool modified) {
    ShellFlags f;
    f.connected = connected;
    f.fileOpen = fileOpen;
    f.fileModified = modified;
    return f;
}

struct ControlsCase {
    const char* name;
    ShellFlags flags;
    bool portChosen;
    bool rebootBefore;
    ControlStates expected;
};

bool operator==(const ControlStates& a, const ControlStates& b) {
    return a.reboot == b.reboot && a.defaults == b.defaults && a.connectEnabled == b.connectEnabled &&
           a.connectShowsDisconnect == b.connectShowsDisconnect && a.portList == b.portList &&
           a.writeRead == b.writeRead && a.openShowsClose == b.openShowsClose && a.create == b.create &&
           a.save == b.save;
}

TEST(ControlRules, FollowTheStateWords) {
    // reboot, defaults, connect enabled, "Отключить", port list, write/read, "Закрыть", create, save
    const ControlsCase cases[] = {
        {"idle",
         Flags(false, false, false),
         false,
         false,
         {false, false, false, false, true, false, false, true, false}},
        {"idle, port chosen",
         Flags(false, false, false),
         true,
         false,
         {false, false, true, false, true, false, false, true, false}},
        {"idle, reboot was on",
         Flags(false, false, false),
         false,
         true,
         {false, false, false, false, true, false, false, true, false}},
        {"connected",
         Flags(true, false, false),
         false,
         false,
         {true, true, true, true, false, true, false, true, false}},
        {"file open, reboot off stays off",
         Flags(false, true, false),
         false,
         false,
         {false, true, false, false, true, false, true, false, false}},
        {"file open, reboot on stays on",
         Flags(false, true, false),
         false,
         true,
         {true, true, false, false, true, false, true, false, false}},
        {"file modified",
         Flags(false, true, true),
         false,
         false,
         {false, true, false, false, true, false, true, false, true}},
        {"connected with modified file",
         Flags(true, true, true),
         false,
         false,
         {true, true, true, true, false, true, true, false, true}},
        {"modified without file",
         Flags(true, false, true),
         false,
         false,
         {true, true, true, true, false, true, false, true, false}},
    };
    for (const ControlsCase& c : cases)
        EXPECT_TRUE(ComputeControls(c.flags, c.portChosen, c.rebootBefore) == c.expected) << c.name;
}

}  // namespace
