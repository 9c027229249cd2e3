#include "base/devicetext.h"

#include <algorithm>
#include <cstring>

std::string DeviceToUtf8(const char* text, size_t size, size_t maxChars) {
    const size_t length = std::min(strnlen(text, size), maxChars);
    std::string utf8;
    utf8.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            utf8 += static_cast<char>(byte);
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

namespace {
// A byte the device text may carry: printable, and not the field separator.
bool Carried(unsigned code) { return code >= 0x20 && code != ';' && code != 0x7F && (code < 0x80 || code >= 0xA0); }
}  // namespace

std::optional<std::string> Utf8ToDevice(std::string_view utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        unsigned code = lead;
        if (lead >= 0x80) {
            // Only the two-byte sequences of U+0080 to U+00FF have a device byte.
            if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size())
                return std::nullopt;
            const auto next = static_cast<unsigned char>(utf8[++i]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
        }
        if (!Carried(code))
            return std::nullopt;
        bytes += static_cast<char>(code);
    }
    return bytes;
}

void CopyDeviceText(char* dst, size_t dstSize, std::string_view bytes, size_t maxChars) {
    if (dstSize == 0)
        return;
    const size_t count = std::min({bytes.size(), maxChars, dstSize - 1});
    std::memcpy(dst, bytes.data(), count);
    std::memset(dst + count, 0, dstSize - count);
}
