#include "sim_client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

bool CSimClient::Open(const std::string& path) {
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    struct termios tio;
    tcgetattr(m_fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_fd, TCSANOW, &tio);
    m_pending.clear();
    return true;
}

void CSimClient::Close() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

void CSimClient::Send(const std::string& text) {
    size_t at = 0;
    for (int tries = 0; at < text.size() && tries < 100; ++tries) {
        const ssize_t n = write(m_fd, text.data() + at, text.size() - at);
        if (n > 0)
            at += static_cast<size_t>(n);
        else
            usleep(1000);
    }
}

std::string CSimClient::ReadLine(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t lf = m_pending.find('\n');
        if (lf != std::string::npos) {
            std::string line = m_pending.substr(0, lf);
            m_pending.erase(0, lf + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_fd < 0)
            return "";
        struct pollfd pfd = {m_fd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            m_pending.append(buffer, static_cast<size_t>(n));
        else
            usleep(5000);
    }
}

std::string CSimClient::Ask(const std::string& line, int timeoutMs) {
    Send(line + "\r\n");
    return ReadLine(timeoutMs);
}

bool CSimClient::HungUp(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        struct pollfd pfd = {m_fd, POLLIN, 0};
        if (poll(&pfd, 1, 20) <= 0)
            continue;
        if (pfd.revents & (POLLHUP | POLLERR))
            return true;
        char buffer[256];
        if (read(m_fd, buffer, sizeof buffer) <= 0)
            return true;
    }
    return false;
}

SimReply ParseSimReply(const std::string& line) {
    SimReply r;
    const size_t caret = line.rfind('^');
    const size_t semi = line.find(';');
    if (line.size() < 5 || line[0] != '$' || caret == std::string::npos || semi == std::string::npos || semi > caret ||
        caret + 3 != line.size())
        return r;
    r.framed = true;
    unsigned char cs = 0;
    for (size_t i = 1; i < caret; ++i)
        cs ^= static_cast<unsigned char>(line[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", cs);
    r.checksumOk = line.compare(caret + 1, 2, hex) == 0;
    r.keyword = line.substr(1, semi - 1);
    r.payload = line.substr(semi + 1, caret - semi - 1);
    size_t start = 0;
    for (;;) {
        const size_t end = r.payload.find(';', start);
        r.fields.push_back(r.payload.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return r;
}

DevSimOptions FastOptions(int type) {
    DevSimOptions options;
    options.type = type;
    options.pacing = false;
    return options;
}
