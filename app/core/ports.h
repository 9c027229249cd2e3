// Serial ports by device path: the ones that can be opened now, and why a
// present port cannot be.
#pragma once

#include <string>
#include <vector>

// Existing serial ports (/dev/ttyACM*, /dev/ttyUSB*, /dev/ttyS*) that can be
// opened, plus the extra paths that can be opened, in ascending natural order.
std::vector<std::string> ListSerialPorts(const std::vector<std::string>& extra = {});

// A one-line hint for a present port that cannot be opened; empty when it can
// be opened or does not exist.
std::string PortAccessHint(const std::string& path);

// Natural order: "ttyUSB2" before "ttyUSB10".
bool PortPathLess(const std::string& a, const std::string& b);
