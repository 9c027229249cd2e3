#include "ptypeer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

uint8_t XorOf(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body) {
        sum ^= static_cast<uint8_t>(c);
    }
    return sum;
}

std::string WithChecksum(const std::string& body, uint8_t sum) {
    char tail[8];
    std::snprintf(tail, sizeof tail, "^%02X\r\n", sum);
    return "$" + body + tail;
}

void SleepMs(double ms) { std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms * 1000))); }

}  // namespace

std::string ReplyLine(const std::string& body) { return WithChecksum(body, XorOf(body)); }

std::string GarbledLine(const std::string& body) { return WithChecksum(body, XorOf(body) ^ 0x5A); }

CPtyPeer::CPtyPeer(PeerScript script, PeerOptions options) : m_script(std::move(script)), m_options(options) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_slavePath = ptsname(m_master);
    m_thread = std::thread(&CPtyPeer::Run, this);
}

CPtyPeer::~CPtyPeer() {
    m_stop.store(true);
    m_thread.join();
    if (!m_unplugged.load()) {
        close(m_master);
    }
}

void CPtyPeer::Unplug() {
    m_unplugged.store(true);
    m_stop.store(true);
    m_thread.join();
    close(m_master);
    m_thread = std::thread([] {});
}

std::vector<std::string> CPtyPeer::Received() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
}

bool CPtyPeer::WaitForCommands(int count, std::chrono::milliseconds bound) const {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (m_commands.load() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void CPtyPeer::Run() {
    std::string line;
    auto nextNoise = std::chrono::steady_clock::now();
    while (!m_stop.load()) {
        if (m_options.noiseEveryMs > 0 && std::chrono::steady_clock::now() >= nextNoise) {
            WriteAll("GPS fix lost, retrying\r\n");
            nextNoise += std::chrono::milliseconds(m_options.noiseEveryMs);
        }
        pollfd entry{m_master, POLLIN, 0};
        if (poll(&entry, 1, 5) <= 0 || (entry.revents & POLLIN) == 0) {
            if (entry.revents & POLLHUP) {
                SleepMs(5);  // no slave open yet
            }
            continue;
        }
        char chunk[256];
        const ssize_t got = read(m_master, chunk, sizeof chunk);
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                TakeLine(line);
                line.clear();
            } else if (chunk[i] != '\r') {
                line += chunk[i];
            }
        }
    }
}

void CPtyPeer::TakeLine(const std::string& line) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_received.push_back(line);
    }
    const int ordinal = ++m_commands;
    for (const PeerReply& reply : m_script(line, ordinal)) {
        WriteReply(reply);
    }
}

void CPtyPeer::WriteReply(const PeerReply& reply) {
    SleepMs(reply.delayMs);
    if (!m_options.paced) {
        WriteAll(reply.text);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < reply.text.size(); ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(static_cast<long>((i + 1) * kByteMs * 1000)));
        WriteAll(reply.text.substr(i, 1));
    }
}

void CPtyPeer::WriteAll(const std::string& text) {
    size_t done = 0;
    for (int tries = 0; done < text.size() && tries < 1000; ++tries) {
        const ssize_t put = write(m_master, text.data() + done, text.size() - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
        } else {
            SleepMs(1);
        }
    }
}
