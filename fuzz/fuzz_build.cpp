// A record of any bytes: every keyword, with every subcommand, builds a line
// of at most 1023 characters ending in CR LF, or nothing at all.
#include "fuzz/keyword_forms.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Past the highest item identifier of the record.
constexpr int kItemLimit = 400;

void Require(bool ok) {
    if (!ok)
        std::abort();
}

// Every item of the record from the input bytes, reused cyclically.
void FillRecord(CDataServer& record, const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    std::vector<uint8_t> item;
    size_t pos = 0;
    for (int id = 0; id < kItemLimit; ++id) {
        const size_t n = CDataServer::ItemSize(id);
        if (n == 0)
            continue;
        item.resize(n);
        for (uint8_t& b : item)
            b = data[pos++ % size];
        record.Set(id, item.data(), item.size());
    }
}

void RequireLine(int result, const LineBuffer& out, bool mayBeEmpty) {
    Require(result >= kCodecOk && result <= kCodecUnexpected);
    Require(out.length <= kLineMaxChars);
    Require(out.text[out.length] == '\0');
    if (out.length == 0) {
        Require(mayBeEmpty);
        return;
    }
    Require(out.length >= 2 && out.text[out.length - 2] == '\r' && out.text[out.length - 1] == '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDataServer record;
    FillRecord(record, data, size);
    CZRAMDS codec(record);

    LineBuffer out;
    for (const char* keyword : kKeywordForms) {
        for (const char* subcommand : kSubcommands) {
            RequireLine(codec.BuildCommand(0, keyword, subcommand, out), out, false);
            RequireLine(codec.BuildCommand(1, keyword, subcommand, out), out, true);
            RequireLine(codec.BuildFileLine(keyword, subcommand, out), out, true);
        }
    }
    return 0;
}
