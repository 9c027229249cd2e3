// The settings file: one device configuration as text, a header line and one
// codec file line per setting group. Creates, opens, saves and closes it for
// the main window; every failure is told to the user in an error box.
#pragma once

#include "files/naming.h"
#include "files/settingsfile.h"

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

class CZRAFile {
public:
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
