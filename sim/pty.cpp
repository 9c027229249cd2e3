#include "sim/pty.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool MakeRaw(int fd) {
    struct termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool PlaceLink(const std::string& link, const std::string& target) {
    struct stat st;
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            return false;
        unlink(link.c_str());
    }
    return symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace

CPtyPort::~CPtyPort() { Close(); }

bool CPtyPort::Open(const std::string& link) {
    Close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128];
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        Close();
        return false;
    }
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0 || !MakeRaw(m_slave) || fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
        Close();
        return false;
    }
    if (!link.empty()) {
        if (!PlaceLink(link, m_slavePath)) {
            Close();
            return false;
        }
        m_link = link;
    }
    return true;
}

void CPtyPort::Close() {
    if (!m_link.empty()) {
        char target[256];
        const ssize_t n = readlink(m_link.c_str(), target, sizeof target - 1);
        // Only our own link goes; someone may have re-pointed it meanwhile.
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == m_slavePath)
            unlink(m_link.c_str());
        m_link.clear();
    }
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
    m_slave = m_master = -1;
    m_slavePath.clear();
}

long CPtyPort::Read(char* buffer, size_t size, int timeoutMs) {
    if (m_master < 0)
        return 0;
    struct pollfd pfd = {m_master, POLLIN, 0};
    const int ready = poll(&pfd, 1, timeoutMs);
    if (ready <= 0)
        return 0;
    if (!(pfd.revents & POLLIN)) {
        usleep(static_cast<useconds_t>(timeoutMs) * 1000);  // hang-up without data: do not spin
        return 0;
    }
    const ssize_t n = read(m_master, buffer, size);
    return n > 0 ? n : 0;
}

bool CPtyPort::Write(const char* data, size_t size, int timeoutMs) {
    int waited = 0;
    while (size > 0 && m_master >= 0) {
        const ssize_t n = write(m_master, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (waited >= timeoutMs)
            return false;
        struct pollfd pfd = {m_master, POLLOUT, 0};
        poll(&pfd, 1, 10);
        waited += 10;
    }
    return size == 0;
}
