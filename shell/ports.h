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

// A serial port as a person recognises it.
struct PortEntry {
    std::string path;         // what is opened: the stable name under /dev/serial/by-id where there is one
    std::string device;       // the device node, "/dev/ttyUSB0"
    std::string description;  // maker, product and serial number as the system knows them; empty when unknown

    bool operator==(const PortEntry&) const = default;
};

struct PortScanResult {
    std::vector<PortEntry> ports;  // ascending by device
    std::string hint;              // one line when a port exists but cannot be opened
};

// Where the system tells about its serial ports; tests lay out a fake tree.
struct PortRoots {
    std::string sysTty = "/sys/class/tty";
    std::string byId = "/dev/serial/by-id";
};

// A device node with its stable name and the USB device's maker, product and serial number.
PortEntry DescribePort(const std::string& device, const PortRoots& roots = {});
// What a list shows of a port: its description and device, or the device alone.
std::string PortEntryText(const PortEntry& entry);

// Why each present USB serial port that cannot be opened is not listed (a
// tracker shows up as one), one line each.
std::vector<std::string> UsbPortHints();

// The ports that can be opened, and the first of the hints above.
PortScanResult ScanSerialPorts();

// Natural order: "ttyUSB2" before "ttyUSB10".
bool PortPathLess(const std::string& a, const std::string& b);
