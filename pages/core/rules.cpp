#include "pages/core/rules.h"

#include "pages/core/rows.h"

#include <algorithm>
#include <cstdio>

bool NumberWithin(std::string_view text, long long lo, long long hi) {
    const long long value = LeadingNumber(text, false);
    return value >= lo && value <= hi;
}

bool SmsNumberAccepted(std::string_view text) {
    if (text == CRowEngine::kNoInfo)
        return true;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (!digit && !(i == 0 && text[i] == '+'))
            return false;
    }
    return true;
}

std::array<int, 4> IpOctets(std::string_view text) {
    std::array<int, 4> octets{};
    size_t group = 0;
    for (char c : text) {
        if (c == '.') {
            if (++group == octets.size())
                break;
        } else if (c >= '0' && c <= '9') {
            octets[group] = std::min(octets[group] * 10 + (c - '0'), 999);
        }
    }
    return octets;
}

namespace {
std::string FormatOctets(std::string_view text, const char* format) {
    const std::array<int, 4> o = IpOctets(text);
    char out[20];
    std::snprintf(out, sizeof out, format, o[0], o[1], o[2], o[3]);
    return out;
}
}  // namespace

std::string PaddedIp(std::string_view text) { return FormatOctets(text, "%03d.%03d.%03d.%03d"); }

std::string DottedIp(std::string_view text) { return FormatOctets(text, "%d.%d.%d.%d"); }
