// Any bytes as a whole settings file, read the way "Открыть" and orvena-cli
// read one: the same checks, then the load over a record. Saving what was
// read and reading it again must give the same bytes: a saved file is a
// fixed point of reading and saving.
#include "files/filechooser.h"
#include "files/messages.h"
#include "files/zrafile.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool ok) {
    if (!ok)
        std::abort();
}

// Reading and composing show no box and choose no file.
class CQuietUi : public IMessages, public IFileChooser {
public:
    void ShowError(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    std::optional<std::string> ChooseFile(bool, const std::string&, const std::string&) override { return {}; }
};

// A record of factory defaults, as the window's before a file is opened.
struct FileRecord {
    CDataServer data;
    CZRAMDS codec{data};
    CQuietUi ui;
    CZRAFile file{data, codec, ui, ui, FileWindowState{}, "."};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (CheckSettingsBytes(bytes) != SettingsFileCheck::kOk)
        return 0;
    FileRecord first;
    Require(first.file.LoadSettingsText(bytes).loaded);
    const std::string saved = first.file.ComposeSettingsFile();

    FileRecord second;
    Require(CheckSettingsBytes(saved) == SettingsFileCheck::kOk);
    Require(second.file.LoadSettingsText(saved).loaded);
    Require(second.file.ComposeSettingsFile() == saved);
    return 0;
}
