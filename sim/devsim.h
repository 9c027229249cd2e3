#pragma once
// In-process tracker simulator on a pseudo-terminal. It speaks the device side
// of the line protocol with its own parser and reply builder, so a fault in the
// configurator's codec cannot hide itself behind a shared implementation.

#include <map>
#include <memory>
#include <string>
#include <vector>

struct DevSimOptions {
    int type = 11;            // model table type
    std::string password;     // current device password
    bool protection = false;  // password required as "$PW;" prefix
    bool pacing = true;       // 9600 baud 8N1 pacing (~1.04 ms per byte) of replies
    int replyDelayMs = 0;
    int dropEveryN = 0;             // drop every Nth reply
    int garbleEveryN = 0;           // wrong checksum every Nth reply
    std::string garbleKeyword;      // wrong checksum in every reply to this keyword
    std::string lateBeforeKeyword;  // before replying to this keyword, repeat the previous reply (a late one)
    std::map<std::string, std::string> payloads;  // keyword -> payload its replies carry instead of the device's
    std::string imei = "356938035643809";
    bool silent = false;
    int noiseIntervalMs = 0;      // unsolicited lines without "$" every interval
    int unplugAfterCommands = 0;  // close the pty and remove the link when the Nth command arrives (unanswered)
    int replugAfterSeconds = -1;  // new pty, same link, after S seconds (-1: never)
    std::string link;             // symlink to the pty slave (replaced if stale)
    // Keep every received line for ReceivedLines; a long-running device (the
    // demo, the standalone program) keeps none, or it grows with every line.
    bool recordReceived = true;
};

class CDevSim {
public:
    explicit CDevSim(DevSimOptions options);
    ~CDevSim();  // stops
    CDevSim(const CDevSim&) = delete;
    CDevSim& operator=(const CDevSim&) = delete;

    bool Start();  // opens the pty, starts the device thread
    void Stop();
    std::string PortPath() const;   // the link if set, else the slave path
    std::string SlavePath() const;  // the current pty slave ("" while unplugged)
    void SetSilent(bool silent);
    void Unplug();  // close the master (hang-up seen by the client), remove the link
    void Replug();  // new pty, same link
    bool Plugged() const;

    std::vector<std::string> ReceivedLines() const;  // every command line received, without CR LF, in order
    void ClearReceived();
    std::string Setting(const std::string& keyword) const;  // the stored set-line fields of a group ("" if none)
    std::string Password() const;
    bool Protection() const;
    int Replies() const;  // replies produced so far, dropped ones included

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
