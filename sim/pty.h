#pragma once
// One pseudo-terminal standing in for the tracker's serial port: the master
// side belongs to the simulator, the slave path (and an optional symlink to it)
// is what the configurator opens.

#include <cstddef>
#include <string>

class CPtyPort {
public:
    CPtyPort() = default;
    ~CPtyPort();
    CPtyPort(const CPtyPort&) = delete;
    CPtyPort& operator=(const CPtyPort&) = delete;

    // Opens a new pty in raw mode and points the link (if any) at its slave.
    // An existing symlink is replaced; any other file at the link is left alone
    // and the open fails.
    bool Open(const std::string& link);
    // Closes the master, so a client on the slave sees a hang-up, and removes the link.
    void Close();
    bool IsOpen() const { return m_master >= 0; }

    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Waits at most timeoutMs for input; returns bytes read, 0 on none.
    long Read(char* buffer, size_t size, int timeoutMs);
    // Writes everything or gives up after about timeoutMs; returns false when
    // the bytes could not all be written.
    bool Write(const char* data, size_t size, int timeoutMs);

private:
    int m_master = -1;
    int m_slave = -1;  // kept open so the master never reads EIO while no client is attached
    std::string m_slavePath;
    std::string m_link;
};
