#include "files/zrafile.h"

#include "files/filechooser.h"
#include "files/fileio.h"
#include "files/messages.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kFolderName = "Settings";
constexpr const char* kExtension = ".kvs";

constexpr const char* kFolderError = "Не получается создать папку Settings. Операция отклонена";
constexpr const char* kOpenError = "Не получается открыть файл";
constexpr const char* kEmptyError = "Файл отстуствует. Операция отклонена!";
constexpr const char* kSizeError = "Размер файла больше 1Mb. Операция отклонена!";
constexpr const char* kFormatError = "Неверный тип или ошибка файла!";

using C = Capability;

struct FileEntry {
    const char* keyword;    // the keyword, or the stem of a numbered family
    const char* parameter;  // nullptr: none
    Capability need;
    int members = 0;  // numbered 1..members; 0: a single entry, or the type's own count of a family
    bool numbered = false;
};

constexpr const char* kSet = "SET";

// The entries of a settings file in file order.
const FileEntry kEntries[] = {
    {"HWCFG", nullptr, C::Always},
    {"DEV", nullptr, C::Always},
    {"PASS", nullptr, C::Always},
    {"MODE", nullptr, C::Always},
    {"GSM", nullptr, C::Gsm},
    {"SMS", kSet, C::Gsm, kPhones, true},
    {"PHONE", kSet, C::Gsm, kPhones, true},
    {"SIMS", nullptr, C::Gsm},
    {"SIM1", nullptr, C::Gsm},
    {"APN1", nullptr, C::Gsm},
    {"SIM2", nullptr, C::SecondSim},
    {"APN2", nullptr, C::SecondSim},
    {"WIFI", nullptr, C::Wifi},
    {"WIFINET1", kSet, C::Wifi},
    {"FILTER", nullptr, C::Always},
    {"SERVER1", kSet, C::Always},
    {"IGN", nullptr, C::Inputs},
    {"SOS", nullptr, C::Inputs},
    {"IN", nullptr, C::Inputs, 0, true},
    {"INTRSHD", nullptr, C::Inputs, 0, true},
    {"OUT", nullptr, C::Outputs, 0, true},
    {"RS232", nullptr, C::Rs232},
    {"LLS0", kSet, C::Rs232},
    {"RS485", nullptr, C::Rs485},
    {"LLS", kSet, C::Rs485, kFuelSensors - 1, true},
    {"MSENS", kSet, C::Accelerometer},
    {"TILT", kSet, C::Accelerometer},
    {"TSENS", kSet, C::InternalThermometer},
    {"THERMO", kSet, C::Thermometers, 0, true},
    {"PRSET10", kSet, C::Always},
    {"PRSET11", kSet, C::Always},
};

// How many lines of an entry the device type asks for.
int EntryLines(const FileEntry& entry, const DeviceTypeRecord& type) {
    if (!entry.numbered)
        return Has(type, entry.need) ? 1 : 0;
    if (entry.members == 0)
        return Count(type, entry.need);
    return Has(type, entry.need) ? entry.members : 0;
}

// Hands out the LF-ended lines of a text, each cut to what a line buffer
// holds (the rest of a longer line is dropped). Bytes after the last LF are
// never handed out.
class FileLineReader {
public:
    explicit FileLineReader(std::string_view text) : m_text(text) {}

    bool Next(LineBuffer& line) {
        const size_t lf = m_text.find('\n', m_pos);
        if (lf == std::string_view::npos)
            return false;
        const size_t length = std::min(lf + 1 - m_pos, kLineMaxChars);
        std::memcpy(line.text, m_text.data() + m_pos, length);
        line.text[length] = '\0';
        line.length = static_cast<uint16_t>(length);
        m_pos = lf + 1;
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// An open file is saved where it was read: it must be a regular file that can
// be opened for reading and writing.
bool OpensForSaving(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

// The first line names the file a settings file; a text without any line end
// passes (it loads nothing).
bool HasSettingsHeader(std::string_view text) {
    if (text.size() < CZRAFile::kHeaderMark.size())
        return false;
    const size_t lf = text.find('\n');
    return lf == std::string_view::npos || text.substr(0, lf).find(CZRAFile::kHeaderMark) != std::string_view::npos;
}

const char* CheckText(SettingsFileCheck check) {
    switch (check) {
    case SettingsFileCheck::kEmpty: return kEmptyError;
    case SettingsFileCheck::kTooLarge: return kSizeError;
    case SettingsFileCheck::kNoHeader: return kFormatError;
    default: return kOpenError;
    }
}

}  // namespace

SettingsFileCheck CheckSettingsBytes(std::string_view bytes) {
    if (bytes.empty())
        return SettingsFileCheck::kEmpty;
    if (bytes.size() > CZRAFile::kMaxFileSize)
        return SettingsFileCheck::kTooLarge;
    return HasSettingsHeader(bytes) ? SettingsFileCheck::kOk : SettingsFileCheck::kNoHeader;
}

SettingsFileBytes ReadSettingsBytes(const std::string& path) {
    SettingsFileBytes file;
    file.error = fileio::ReadPrefix(path, CZRAFile::kMaxFileSize + 1, file.bytes);
    file.check = file.error != 0 ? SettingsFileCheck::kCannotOpen : CheckSettingsBytes(file.bytes);
    if (file.check != SettingsFileCheck::kOk)
        file.bytes.clear();
    return file;
}

CZRAFile::CZRAFile(CDataServer& data, CZRAMDS& codec, IMessages& messages, IFileChooser& chooser,
                   FileWindowState window, std::string workDir, LocalClock clock)
    : m_data(data),
      m_codec(codec),
      m_messages(messages),
      m_chooser(chooser),
      m_window(std::move(window)),
      m_clock(std::move(clock)),
      m_folder((std::filesystem::path(workDir) / kFolderName).generic_string()) {}

int CZRAFile::ChooseFile(bool forSaving) {
    if (!fileio::EnsureFolder(m_folder)) {
        m_messages.ShowError(kFolderError);
        return 0;
    }
    const std::optional<std::string> chosen =
        m_chooser.ChooseFile(forSaving, m_folder, forSaving ? ProposedFileName() : std::string());
    if (!chosen || chosen->empty())
        return 0;
    m_chosen = *chosen;
    return 1;
}

int CZRAFile::NewFile() {
    if (m_open || !ChooseFile(true))
        return 0;
    if (fileio::CheckSaveTarget(m_chosen)) {
        m_messages.ShowError(kOpenError + m_chosen);
        return 0;
    }
    m_data.ResetToDefaults(m_window.newFileType ? m_window.newFileType() : 0);
    if (!WriteSettingsFile(m_chosen)) {
        m_messages.ShowError(kFormatError);
        return 0;
    }
    m_path = m_chosen;
    m_open = true;
    return 1;
}

int CZRAFile::OpenFile() {
    // A second open would leave the held path pointing at the wrong file.
    if (m_open || !ChooseFile(false))
        return 0;
    const SettingsFileBytes file =
        OpensForSaving(m_chosen) ? ReadSettingsBytes(m_chosen) : SettingsFileBytes{SettingsFileCheck::kCannotOpen};
    if (file.check != SettingsFileCheck::kOk) {
        const bool named = file.check == SettingsFileCheck::kCannotOpen;
        m_messages.ShowError(CheckText(file.check) + (named ? m_chosen : std::string()));
        return 0;
    }
    LoadSettingsText(file.bytes);
    m_path = m_chosen;
    m_open = true;
    return 1;
}

int CZRAFile::SaveFile() {
    if (!m_open)
        return 0;
    // A save that did not reach the disk is told, not passed off as done.
    if (!WriteSettingsFile(m_path)) {
        m_messages.ShowError(kFormatError);
        return 0;
    }
    return 1;
}

int CZRAFile::CloseFile() {
    m_open = false;
    m_path.clear();
    return 1;
}

int CZRAFile::GetFilePath(std::string& path) const {
    if (!m_open)
        return 0;
    path = m_path;
    return 1;
}

int CZRAFile::ReadSettingsFile(const std::string& path) {
    const SettingsFileBytes file = ReadSettingsBytes(path);
    if (file.check != SettingsFileCheck::kOk)
        return 0;
    return LoadSettingsText(file.bytes).loaded ? 1 : 0;
}

SettingsLoad CZRAFile::LoadSettingsText(std::string_view text) {
    SettingsLoad load;
    if (!HasSettingsHeader(text))
        return load;
    load.loaded = true;
    FileLineReader reader(text);
    LineBuffer line;
    if (!reader.Next(line))
        return load;  // no line end at all: nothing to load
    char keyword[10];
    while (reader.Next(line)) {
        // Unparsed groups keep their values.
        const int result = m_codec.ParseFileLine(keyword, line);
        if (result != kCodecOk && result != kCodecDone)
            continue;
        ++load.entries;
        load.typeLoaded = load.typeLoaded || std::strcmp(keyword, "HWCFG") == 0;
    }
    return load;
}

int CZRAFile::WriteSettingsFile(const std::string& path) {
    return fileio::ReplaceFileContent(path, ComposeSettingsFile()) == fileio::ReplaceResult::kOk ? 1 : 0;
}

std::string CZRAFile::ComposeSettingsFile() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    std::string content = kHeader;
    LineBuffer line;
    for (const FileEntry& entry : kEntries) {
        const int count = EntryLines(entry, type);
        for (int i = 1; i <= count; ++i) {
            const std::string keyword = entry.numbered ? entry.keyword + std::to_string(i) : entry.keyword;
            m_codec.BuildFileLine(keyword.c_str(), entry.parameter, line);
            content.append(line.text, line.length);  // a group the codec cannot format adds nothing
        }
    }
    return content;
}

std::string CZRAFile::ProposedFileName() {
    const bool connected = m_window.connected && m_window.connected();
    const std::string imei = connected ? NamePart(DeviceImeiText(m_data), std::strlen(kUnknownImei)) : kUnknownImei;
    const int type = m_window.newFileType ? m_window.newFileType() : 0;
    return std::string(ModelName(type)) + "_" + imei + "_" + FileStamp(m_clock()) + kExtension;
}
