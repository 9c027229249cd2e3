// Any bytes as a whole settings file, read the way "Открыть" and orvena-cli
// read one: the same checks, then the load over a record. Saving what was
// read and reading it again must give the same bytes: a saved file is a
// fixed point of reading and saving.
#include "files/settingsfile.h"
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

// A record of factory defaults, as the window's before a file is opened.
struct FileRecord {
    CDataServer data;
    CZRAMDS codec{data};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (CheckSettingsBytes(bytes) != SettingsFileCheck::kOk)
        return 0;
    FileRecord first;
    Require(LoadSettings(bytes, first.codec).loaded);
    const std::string saved = ComposeSettings(first.codec);

    FileRecord second;
    Require(CheckSettingsBytes(saved) == SettingsFileCheck::kOk);
    Require(LoadSettings(saved, second.codec).loaded);
    Require(ComposeSettings(second.codec) == saved);
    return 0;
}
