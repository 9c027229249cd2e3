#include "transport/serialport.h"

#include "transport/trace.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A write waits for room in the driver at most this long in all.
constexpr int kWriteBoundMs = 2000;

[[noreturn]] void ThrowSerial(uint32_t error) {
    Trace("Warning: throwing CSerialException for error %d\n", static_cast<int>(error));
    throw CSerialException(error);
}

[[noreturn]] void FailedCall(const char* call, int error) {
    Trace("Failed in call to %s\n", call);
    ThrowSerial(SerialErrorFromErrno(error));
}

struct BaudRow {
    uint32_t baud;
    speed_t speed;
};

const BaudRow kBaudRates[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

speed_t SpeedFor(uint32_t baud) {
    for (const BaudRow& row : kBaudRates) {
        if (row.baud == baud) {
            return row.speed;
        }
    }
    ThrowSerial(kSerialInvalidParameter);
}

tcflag_t DataBitsFlag(uint8_t dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: ThrowSerial(kSerialInvalidParameter);
    }
}

void ApplyParity(termios& tio, Parity parity) {
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case Parity::None: break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
}

// Flow control none leaves the modem lines as the driver had them.
void ApplyFlow(termios& tio, FlowControl flow) {
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    switch (flow) {
    case FlowControl::None: break;
    case FlowControl::CtsRts: tio.c_cflag |= CRTSCTS; break;
    case FlowControl::XonXoff:
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 17;
        tio.c_cc[VSTOP] = 19;
        break;
    default: ThrowSerial(kSerialInvalidParameter);  // DSR/DTR handshakes have no termios form
    }
}

// Asks the driver to deliver bytes without its usual batching; drivers that
// do not support it (pseudo-terminals among them) refuse, which is harmless.
void RequestLowLatency(int fd) {
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) == 0) {
        info.flags |= ASYNC_LOW_LATENCY;
        ioctl(fd, TIOCSSERIAL, &info);
    }
}

bool HungUp(short revents) { return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0; }

}  // namespace

uint32_t SerialErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return kSerialAccessDenied;
    case EINVAL: return kSerialInvalidParameter;
    default: break;
    }
    const uint32_t value = static_cast<uint32_t>(error);
    return (value == kSerialAccessDenied || value == kSerialInvalidParameter) ? (kSerialErrnoMoved | value) : value;
}

bool CSerialException::GetErrorMessage(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0) {
        return false;
    }
    int error = static_cast<int>(m_error & ~kSerialErrnoMoved);
    if (m_error == kSerialAccessDenied) {
        error = EACCES;
    } else if (m_error == kSerialInvalidParameter) {
        error = EINVAL;
    }
    buffer[0] = '\0';
    const char* text = strerrordesc_np(error);
    if (text == nullptr) {
        return false;
    }
    std::strncpy(buffer, text, size - 1);
    buffer[size - 1] = '\0';
    return true;
}

CSerialPort::~CSerialPort() { Close(); }

int CSerialPort::OpenLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        Trace("Failed to open up the comms port\n");
        ThrowSerial(SerialErrorFromErrno(error));
    }
    // The lock and the open are one step: a port another of our programs holds is busy.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        FailedCall("flock", error);
    }
    return fd;
}

void CSerialPort::Open(const std::string& path, uint32_t baud, Parity parity, uint8_t dataBits, StopBits stopBits,
                       FlowControl flow) {
    Close();
    m_fd = OpenLocked(path);
    const int fd = m_fd;
    try {
        // Exclusive use keeps other programs out while the port is open; Close clears it.
        if (ioctl(fd, TIOCEXCL) != 0) {
            FailedCall("ioctl(TIOCEXCL)", errno);
        }
        m_exclusive = true;
        termios tio{};
        if (tcgetattr(fd, &tio) != 0) {
            FailedCall("tcgetattr", errno);
        }
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | DataBitsFlag(dataBits);
        if (stopBits == StopBits::One) {
            tio.c_cflag &= ~CSTOPB;
        } else {
            tio.c_cflag |= CSTOPB;
        }
        ApplyParity(tio, parity);
        ApplyFlow(tio, flow);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        const speed_t speed = SpeedFor(baud);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        if (tcsetattr(fd, TCSANOW, &tio) != 0) {
            FailedCall("tcsetattr", errno);
        }
        RequestLowLatency(fd);
    } catch (const CSerialException&) {
        Close();
        throw;
    }
}

void CSerialPort::Close() {
    if (m_fd < 0) {
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    // The mark belongs to the terminal, not to this descriptor: left set, it would
    // lock every other user out for as long as any program holds the terminal open.
    if (m_exclusive) {
        ioctl(fd, TIOCNXCL);
        m_exclusive = false;
    }
    if (::close(fd) != 0) {
        Trace("Failed to close up the comms port, GetLastError:%d\n", errno);
    }
}

bool CSerialPort::IsOpen() const { return m_fd >= 0; }

bool CSerialPort::WaitInput(int milliseconds) {
    pollfd entry{m_fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, milliseconds);
    if (ready < 0) {
        if (errno == EINTR) {
            return false;
        }
        FailedCall("poll", errno);
    }
    if (ready == 0) {
        return false;
    }
    if ((entry.revents & POLLIN) == 0 && HungUp(entry.revents)) {
        Trace("Failed in call to poll\n");
        ThrowSerial(SerialErrorFromErrno(EIO));
    }
    return true;
}

size_t CSerialPort::Read(void* buffer, size_t count) {
    if (!WaitInput(m_readTimeoutMs)) {
        return 0;
    }
    const ssize_t got = ::read(m_fd, buffer, count);
    if (got > 0) {
        return static_cast<size_t>(got);
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    // Readable yet nothing to read: the far end hung up.
    FailedCall("read", got == 0 ? EIO : errno);
}

size_t CSerialPort::Write(const void* buffer, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteBoundMs);
    size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_fd, bytes + done, count - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) {
            FailedCall("write", errno);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd entry{m_fd, POLLOUT, 0};
        if (::poll(&entry, 1, static_cast<int>(left.count())) > 0 && (entry.revents & POLLOUT) == 0 &&
            HungUp(entry.revents)) {
            FailedCall("write", EIO);
        }
    }
    return done;
}

void CSerialPort::Purge() {
    if (tcflush(m_fd, TCIOFLUSH) != 0) {
        FailedCall("tcflush", errno);
    }
}

void CSerialPort::SetReadTimeout(int milliseconds) { m_readTimeoutMs = milliseconds; }

bool CSerialPort::CanOpen(const std::string& path) { return ProbeOpen(path) == 0; }

uint32_t CSerialPort::ProbeOpen(const std::string& path) {
    try {
        const int fd = OpenLocked(path);
        termios tio{};
        const int error = tcgetattr(fd, &tio) == 0 ? 0 : errno;
        ::close(fd);
        return error == 0 ? 0 : SerialErrorFromErrno(error);
    } catch (const CSerialException& failure) {
        return failure.Error();
    }
}
