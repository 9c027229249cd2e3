// Serial ports by device path: the ones that can be opened now, and why a
// present port cannot be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Existing serial ports (/dev/ttyACM*, /dev/ttyUSB*, /dev/ttyS*) that can be
// opened, plus the extra paths that can be opened, in ascending natural order.
std::vector<std::string> ListSerialPorts(const std::vector<std::string>& extra = {});

// A one-line hint for a present port that cannot be opened; empty when it can
// be opened or does not exist.
std::string PortAccessHint(const std::string& path);
// The hint for a port whose open failed with this error (CSerialPort's error numbers).
std::string PortErrorHint(const std::string& path, uint32_t openError);

struct PortScanResult {
    std::vector<std::string> ports;  // device paths, ascending
    std::string hint;                // one line when a port exists but cannot be opened
};

// The ports that can be opened, and why the first present USB serial port
// that cannot be opened is not listed (a tracker shows up as one).
PortScanResult ScanSerialPorts();

// Natural order: "ttyUSB2" before "ttyUSB10".
bool PortPathLess(const std::string& a, const std::string& b);
