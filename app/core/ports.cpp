#include "app/core/ports.h"

#include "transport/serialport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

PortScanResult ScanSerialPorts() {
    PortScanResult scan{ListSerialPorts(), {}};
    std::vector<std::string> usb;
    for (const std::string& path : SerialDevicePaths())
        if (path.find("/ttyS") == std::string::npos)
            usb.push_back(path);
    std::sort(usb.begin(), usb.end(), PortPathLess);
    for (const std::string& path : usb) {
        scan.hint = PortAccessHint(path);
        if (!scan.hint.empty())
            break;
    }
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
