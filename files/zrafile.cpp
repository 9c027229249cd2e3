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

const char* CheckText(SettingsFileCheck check) {
    switch (check) {
    case SettingsFileCheck::kEmpty: return kEmptyError;
    case SettingsFileCheck::kTooLarge: return kSizeError;
    case SettingsFileCheck::kNoHeader: return kFormatError;
    default: return kOpenError;
    }
}

}  // namespace

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
    LoadSettings(file.bytes, m_codec);
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
    return LoadSettings(file.bytes, m_codec).loaded ? 1 : 0;
}

int CZRAFile::WriteSettingsFile(const std::string& path) {
    return fileio::ReplaceFileContent(path, ComposeSettings(m_codec)) == fileio::ReplaceResult::kOk ? 1 : 0;
}

std::string CZRAFile::ProposedFileName() {
    const bool connected = m_window.connected && m_window.connected();
    const std::string imei = connected ? NamePart(DeviceImeiText(m_data), std::strlen(kUnknownImei)) : kUnknownImei;
    const int type = m_window.newFileType ? m_window.newFileType() : 0;
    return std::string(ModelName(type)) + "_" + imei + "_" + FileStamp(m_clock()) + kExtension;
}
