// Thin wrapper over one POSIX serial port (termios). Only this class throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

class CSerialException : public std::exception {
public:
    explicit CSerialException(uint32_t error) : m_error(error) {}
    uint32_t Error() const { return m_error; }
    // The system's message text for the error into buffer (empty when none).
    bool GetErrorMessage(char* buffer, size_t size) const;
    const char* what() const noexcept override { return "serial port error"; }

private:
    uint32_t m_error;
};

// Error numbers carried by CSerialException. The channel tells two classes apart
// (access denied, invalid parameter); every other system error keeps its errno,
// except those that would read as one of the two classes, which are moved up.
constexpr uint32_t kSerialAccessDenied = 5;
constexpr uint32_t kSerialInvalidParameter = 87;
constexpr uint32_t kSerialErrnoMoved = 0x10000;
uint32_t SerialErrorFromErrno(int error);

enum class Parity { Even, Mark, None, Odd, Space };
enum class StopBits { One, OnePointFive, Two };
enum class FlowControl { None, CtsRts, CtsDtr, DsrRts, DsrDtr, XonXoff };

class CSerialPort {
public:
    CSerialPort() = default;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    virtual ~CSerialPort();

    // Opens the device path exclusively; throws CSerialException on failure.
    void Open(const std::string& path, uint32_t baud = 9600, Parity parity = Parity::None, uint8_t dataBits = 8,
              StopBits stopBits = StopBits::One, FlowControl flow = FlowControl::None);
    void Close();
    bool IsOpen() const;
    // Reads up to count bytes, waiting at most about the read time-out; 0 when none came.
    size_t Read(void* buffer, size_t count);
    size_t Write(const void* buffer, size_t count);
    void Purge();
    // Waits at most milliseconds for input; true when a Read would return data.
    bool WaitInput(int milliseconds);
    // Sets the read time-out in milliseconds (the channel uses 1 ms).
    void SetReadTimeout(int milliseconds);

    // True when the path exists and can be opened exclusively right now.
    static bool CanOpen(const std::string& path);
    // 0 when the path can be opened exclusively right now, else the error
    // Open would throw. The probe leaves no exclusive-use mark behind.
    static uint32_t ProbeOpen(const std::string& path);

protected:
    int m_fd = -1;
    int m_readTimeoutMs = 1;

private:
    // Opens the path and takes the advisory lock that keeps our other programs out.
    static int OpenLocked(const std::string& path);

    bool m_exclusive = false;  // the terminal's exclusive-use mark was set by this port
};
