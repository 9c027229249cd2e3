// The log file of one device connection: a header naming the device, every
// line sent and received, and a footer with the closing time.
#pragma once

#include "files/naming.h"

#include <string>

class IMessages;

class CLOGFile {
public:
    static constexpr size_t kNameChars = 19;  // type name and serial are cut to this

    // workDir is the folder the "Logs" folder lives in (the working directory
    // at start-up).
    CLOGFile(IMessages& messages, std::string workDir, LocalClock clock = LocalNow);
    CLOGFile(const CLOGFile&) = delete;
    CLOGFile& operator=(const CLOGFile&) = delete;
    ~CLOGFile();

    int Open(const char* typeName, const char* serial);
    // A line the system refuses to write is dropped; the file stays open and
    // later lines are written again, so the connection never notices.
    int WriteLine(const char* line);
    int Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& FilePath() const { return m_path; }
    const std::string& LogFolder() const { return m_folder; }

private:
    int CreateUnique(const std::string& stem);
    bool WriteText(const std::string& text);

    IMessages& m_messages;
    LocalClock m_clock;
    std::string m_folder;
    std::string m_path;
    int m_fd = -1;
};
