#include "shell/ports.h"

#include "transport/serialport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <dirent.h>
#include <sys/stat.h>

namespace {

const char* const kPrefixes[] = {"ttyACM", "ttyUSB", "ttyS"};

bool IsSerialName(const char* name) {
    for (const char* prefix : kPrefixes) {
        const size_t length = std::strlen(prefix);
        if (std::strncmp(name, prefix, length) == 0 && name[length] &&
            std::isdigit(static_cast<unsigned char>(name[length])))
            return true;
    }
    return false;
}

std::vector<std::string> SerialDevicePaths() {
    std::vector<std::string> paths;
    DIR* dev = opendir("/dev");
    if (!dev)
        return paths;
    while (const dirent* entry = readdir(dev))
        if (IsSerialName(entry->d_name))
            paths.push_back(std::string("/dev/") + entry->d_name);
    closedir(dev);
    return paths;
}

// Splits off the trailing decimal number of a path (-1 when there is none).
long TrailingNumber(const std::string& path, size_t& stemLength) {
    stemLength = path.size();
    while (stemLength > 0 && std::isdigit(static_cast<unsigned char>(path[stemLength - 1])))
        --stemLength;
    if (stemLength == path.size() || path.size() - stemLength > 9)
        return -1;
    return std::stol(path.substr(stemLength));
}

}  // namespace

bool PortPathLess(const std::string& a, const std::string& b) {
    size_t stemA, stemB;
    const long numberA = TrailingNumber(a, stemA);
    const long numberB = TrailingNumber(b, stemB);
    const int stems = a.compare(0, stemA, b, 0, stemB);
    if (stems != 0 || numberA < 0 || numberB < 0)
        return stems != 0 ? stems < 0 : a < b;
    return numberA < numberB;
}

std::vector<std::string> ListSerialPorts(const std::vector<std::string>& extra) {
    std::vector<std::string> ports;
    for (const std::string& path : SerialDevicePaths())
        if (CSerialPort::CanOpen(path))
            ports.push_back(path);
    for (const std::string& path : extra)
        if (CSerialPort::CanOpen(path))
            ports.push_back(path);
    std::sort(ports.begin(), ports.end(), PortPathLess);
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

namespace {

namespace fs = std::filesystem;

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

// The USB device a tty belongs to: the nearest folder above its device link
// that names a vendor.
fs::path UsbDeviceOf(const fs::path& tty) {
    std::error_code error;
    fs::path folder = fs::canonical(tty / "device", error);
    for (int up = 0; !error && up < 4 && !folder.empty(); ++up, folder = folder.parent_path())
        if (fs::exists(folder / "idVendor", error))
            return folder;
    return {};
}

std::string UsbDescription(const fs::path& usb) {
    std::string text = FirstLine(usb / "manufacturer");
    const std::string product = FirstLine(usb / "product");
    if (!product.empty())
        text += (text.empty() ? "" : " ") + product;
    const std::string serial = FirstLine(usb / "serial");
    if (!serial.empty())
        text += (text.empty() ? "" : " ") + ("(" + serial + ")");
    return text;
}

std::string StableName(const std::string& device, const std::string& byId) {
    std::error_code error;
    const fs::path target = fs::canonical(device, error);
    if (error)
        return {};
    for (const fs::directory_entry& link : fs::directory_iterator(byId, error)) {
        std::error_code linkError;
        if (fs::canonical(link.path(), linkError) == target && !linkError)
            return link.path().string();
    }
    return {};
}

}  // namespace

PortEntry DescribePort(const std::string& device, const PortRoots& roots) {
    PortEntry entry{device, device, {}};
    const fs::path usb = UsbDeviceOf(fs::path(roots.sysTty) / fs::path(device).filename());
    if (!usb.empty())
        entry.description = UsbDescription(usb);
    const std::string stable = StableName(device, roots.byId);
    if (!stable.empty())
        entry.path = stable;
    return entry;
}

std::string PortEntryText(const PortEntry& entry) {
    return entry.description.empty() ? entry.device : entry.description + " — " + entry.device;
}

std::vector<std::string> UsbPortHints() {
    std::vector<std::string> usb;
    for (const std::string& path : SerialDevicePaths())
        if (path.find("/ttyS") == std::string::npos)
            usb.push_back(path);
    std::sort(usb.begin(), usb.end(), PortPathLess);
    std::vector<std::string> hints;
    for (const std::string& path : usb)
        if (std::string hint = PortAccessHint(path); !hint.empty())
            hints.push_back(hint);
    return hints;
}

PortScanResult ScanSerialPorts() {
    PortScanResult scan;
    for (const std::string& device : ListSerialPorts())
        scan.ports.push_back(DescribePort(device));
    const std::vector<std::string> hints = UsbPortHints();
    if (!hints.empty())
        scan.hint = hints.front();
    return scan;
}

std::string PortAccessHint(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    const uint32_t error = CSerialPort::ProbeOpen(path);
    return error == 0 ? std::string() : PortErrorHint(path, error);
}

std::string PortErrorHint(const std::string& path, uint32_t openError) {
    if (openError == kSerialAccessDenied)
        return path + ": no permission; add the user to the dialout group and log in again";
    if (openError == static_cast<uint32_t>(EBUSY))
        return path + ": held by another program (for example ModemManager or brltty)";
    char text[128];
    CSerialException(openError).GetErrorMessage(text, sizeof text);
    return path + ": " + text;
}
