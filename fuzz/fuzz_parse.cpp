// Reply and settings-file lines of any bytes (NUL, 8-bit, over-long, no
// terminator, garbage checksums): every parse ends in a result code and leaves
// a terminated keyword. The request before the reply is chosen from the input
// so that every handler's parse branch, with every remembered subcommand, can
// be reached.
#include "fuzz/keyword_forms.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool ok) {
    if (!ok)
        std::abort();
}

void RequireResult(int code) { Require(code >= kCodecOk && code <= kCodecUnexpected); }

void RequireKeyword(const char (&keyword)[10]) { Require(std::memchr(keyword, '\0', sizeof keyword) != nullptr); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDataServer record;
    CZRAMDS codec(record);

    LineBuffer in;
    const size_t n = size < kLineBufferSize ? size : kLineBufferSize;
    std::memcpy(in.text, data, n);
    // An over-long input also claims more than the buffer holds.
    in.length = static_cast<uint16_t>(size <= kLineBufferSize ? size : UINT16_MAX);

    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum = sum * 31 + data[i];
    const char* keyword = kKeywordForms[sum % kKeywordFormCount];
    const char* subcommand = kSubcommands[(sum / kKeywordFormCount) % kSubcommandCount];

    LineBuffer out;
    char found[10];
    for (int write = 0; write <= 1; ++write) {
        RequireResult(codec.BuildCommand(write, keyword, subcommand, out));
        std::memset(found, 'x', sizeof found);
        found[9] = '\0';
        RequireResult(codec.ParseReply(write, found, in));
        RequireKeyword(found);
    }
    RequireResult(codec.ParseFileLine(found, in));
    RequireKeyword(found);
    return 0;
}
