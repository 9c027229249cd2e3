// The settings file: one device configuration as text, a header line and one
// codec file line per setting group. Creates, opens, saves and closes it for
// the main window; every failure is told to the user in an error box.
#pragma once

#include "files/naming.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class CDataServer;
class CZRAMDS;
class IFileChooser;
class IMessages;
struct DeviceTypeRecord;

// What the settings file needs of the main window's state.
struct FileWindowState {
    std::function<bool()> connected;   // a device is connected (its IMEI names new files)
    std::function<int()> newFileType;  // device type that "Создать" builds a file for
};

// The checks "Открыть" makes of a settings file before loading it; the
// command-line tool makes the same ones.
enum class SettingsFileCheck { kOk, kCannotOpen, kEmpty, kTooLarge, kNoHeader };

struct SettingsFileBytes {
    SettingsFileCheck check = SettingsFileCheck::kOk;
    int error = 0;  // the system's error when the file could not be read
    std::string bytes;
};

// Reads a settings file (one byte past the size limit at most) and checks it.
SettingsFileBytes ReadSettingsBytes(const std::string& path);
// The checks of a settings file's bytes alone.
SettingsFileCheck CheckSettingsBytes(std::string_view bytes);

// What loading a settings text put into the record.
struct SettingsLoad {
    bool loaded = false;      // the header was found, or there is no line end at all
    bool typeLoaded = false;  // an HWCFG entry was taken: the file names its device type
    int entries = 0;          // entry lines the codec took
};

class CZRAFile {
public:
    static constexpr const char* kHeader = "KVS CONFIG FILE, Ver. 01.00\r\n";
    static constexpr std::string_view kHeaderMark = "KVS CONFIG FILE";
    static constexpr size_t kMaxFileSize = 1000000;

    // workDir is the folder the "Settings" folder lives in (the working
    // directory at start-up).
    CZRAFile(CDataServer& data, CZRAMDS& codec, IMessages& messages, IFileChooser& chooser, FileWindowState window,
             std::string workDir, LocalClock clock = LocalNow);
    CZRAFile(const CZRAFile&) = delete;
    CZRAFile& operator=(const CZRAFile&) = delete;

    // Each returns 1 on success, 0 otherwise (after its error box where one applies).
    int ChooseFile(bool forSaving);
    int NewFile();
    int OpenFile();
    int SaveFile();
    int CloseFile();
    int GetFilePath(std::string& path) const;
    bool IsOpen() const { return m_open; }

    int ReadSettingsFile(const std::string& path);
    int WriteSettingsFile(const std::string& path);
    // Loads a settings file's text over the record: groups the text holds are
    // replaced, all others keep their values.
    SettingsLoad LoadSettingsText(std::string_view text);

    // The file's bytes for the data model as it is now.
    std::string ComposeSettingsFile();
    std::string ProposedFileName();
    const std::string& SettingsFolder() const { return m_folder; }

private:
    CDataServer& m_data;
    CZRAMDS& m_codec;
    IMessages& m_messages;
    IFileChooser& m_chooser;
    FileWindowState m_window;
    LocalClock m_clock;
    std::string m_folder;
    // The open file is held by its path: every save replaces the file as a
    // whole, so there is no file object to keep between operations.
    std::string m_path;
    std::string m_chosen;  // the path last confirmed in a file dialog
    bool m_open = false;
};
