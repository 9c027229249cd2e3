// The settings file format as plain functions: a header line and one codec
// file line per setting group of the registry, composed from a record and
// loaded back into one. The file dialogs of the window and the command-line
// tool both stand on these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CZRAMDS;

constexpr const char* kSettingsHeader = "KVS CONFIG FILE, Ver. 01.00\r\n";
constexpr std::string_view kSettingsHeaderMark = "KVS CONFIG FILE";
constexpr size_t kSettingsMaxFileSize = 1000000;

// The checks a settings file passes before it is loaded.
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

// The file's text for the record the codec works on, in the registry's order
// for the record's device type.
std::string ComposeSettings(CZRAMDS& codec);
// Loads a settings text over the codec's record: groups the text holds are
// replaced, all others keep their values. Lines may end in CR LF, LF or CR;
// one UTF-8 byte-order mark at the start is skipped.
SettingsLoad LoadSettings(std::string_view text, CZRAMDS& codec);

// The lines of a settings text after its header, without their line ends.
std::vector<std::string_view> SettingsLines(std::string_view text);
