#include "files/logfile.h"

#include "files/fileio.h"
#include "files/messages.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kFolderName = "Logs";
constexpr const char* kExtension = ".log";
constexpr const char* kRule = "// ------------------------------------------------------------\r\n";
constexpr const char* kDatePrefix = "// Date: ";
constexpr int kMaxSuffix = 999;

constexpr const char* kFolderError = "Не получается создать папку Logs. Операция отклонена";
constexpr const char* kOpenError = "Не получается открыть файл";
constexpr const char* kWriteError = "Ошибка записи в файл";

std::string Cut(const char* text) {
    return std::string(text ? text : "", text ? strnlen(text, CLOGFile::kNameChars) : 0);
}

}  // namespace

CLOGFile::CLOGFile(IMessages& messages, std::string workDir, LocalClock clock)
    : m_messages(messages),
      m_clock(std::move(clock)),
      m_folder((std::filesystem::path(workDir) / kFolderName).generic_string()) {}

CLOGFile::~CLOGFile() { Close(); }

int CLOGFile::Open(const char* typeName, const char* serial) {
    Close();
    if (!fileio::EnsureFolder(m_folder)) {
        m_messages.ShowError(kFolderError);
        return 0;
    }
    const std::tm opened = m_clock();
    const std::string type = Cut(typeName);
    const std::string number = Cut(serial);
    const std::string stem =
        m_folder + "/" + NamePart(type, kNameChars) + "_" + NamePart(number, kNameChars) + "_" + FileStamp(opened);
    if (!CreateUnique(stem)) {
        m_messages.ShowError(kOpenError + m_path);
        return 0;
    }
    const std::string header = std::string(kRule) + "// ZRA LOG File\r\n" + kDatePrefix + DisplayStamp(opened) +
                               "\r\n// Device Type: " + type + "\r\n// Serial: " + number + "\r\n" + kRule;
    if (!WriteText(header)) {
        m_messages.ShowError(kWriteError);
        ::close(m_fd);
        m_fd = -1;
        return 0;
    }
    return 1;
}

// Two connections opened within one second each get a file of their own:
// the name is taken only if it is new, else "_2", "_3" ... is added.
int CLOGFile::CreateUnique(const std::string& stem) {
    for (int n = 1; n <= kMaxSuffix; ++n) {
        m_path = stem;
        if (n > 1)
            m_path.append("_").append(std::to_string(n));
        m_path += kExtension;
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, fileio::kNewFileMode);
        if (m_fd >= 0)
            return 1;
        if (errno != EEXIST)
            break;
    }
    m_path = stem + kExtension;
    return 0;
}

int CLOGFile::WriteLine(const char* line) {
    if (m_fd < 0 || !line)
        return 0;
    return fileio::WriteAll(m_fd, line, std::strlen(line)) ? 1 : 0;
}

int CLOGFile::Close() {
    if (m_fd < 0)
        return 1;
    WriteText(std::string(kRule) + kDatePrefix + DisplayStamp(m_clock()) + "\r\n" + kRule);
    ::close(m_fd);
    m_fd = -1;
    return 1;
}

bool CLOGFile::WriteText(const std::string& text) { return fileio::WriteAll(m_fd, text.data(), text.size()); }
