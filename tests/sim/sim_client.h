#pragma once
// A plain POSIX client of the simulator's pty for the tests: writes command
// lines, reads reply lines, checks their frame. Deliberately independent of
// the configurator's codec.

#include "sim/devsim.h"

#include <string>
#include <vector>

class CSimClient {
public:
    ~CSimClient() { Close(); }
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    void Send(const std::string& text);                              // raw bytes
    std::string ReadLine(int timeoutMs);                             // without CR LF; "" on time-out
    std::string Ask(const std::string& line, int timeoutMs = 1000);  // line + CR LF, then one reply
    // True when the far side hung up within the time (poll reports it or read ends).
    bool HungUp(int timeoutMs);

private:
    int m_fd = -1;
    std::string m_pending;
};

struct SimReply {
    bool framed = false;  // "$" KEYWORD ";" PAYLOAD "^" XX
    bool checksumOk = false;
    std::string keyword;
    std::string payload;
    std::vector<std::string> fields;
};

SimReply ParseSimReply(const std::string& line);

// Options for a fast simulator without a link.
DevSimOptions FastOptions(int type = 11);
