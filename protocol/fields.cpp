#include "protocol/fields.h"

#include <cstring>

int DigitPair(const char* text, size_t at) {
    if (strnlen(text, at + 2) < at + 2)
        return -1;
    const char hi = text[at];
    const char lo = text[at + 1];
    return (IsDigit(hi) && IsDigit(lo)) ? (hi - '0') * 10 + (lo - '0') : -1;
}

long long ParseDecimal(const char* text) {
    constexpr long long kLimit = 0x7FFFFFFFFFFFLL;  // far beyond any field, far from overflow
    if (!text)
        return 0;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = (*text++ == '-');
    long long value = 0;
    for (; IsDigit(*text); ++text) {
        if (value < kLimit)
            value = value * 10 + (*text - '0');
    }
    return negative ? -value : value;
}

unsigned long long ParseHex(const char* text) {
    unsigned long long value = 0;
    for (int i = 0; text && i < 16; ++i, ++text) {
        const int digit = HexDigit(*text);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<unsigned>(digit);
    }
    return value;
}

bool IsNA(const char* text) { return text && std::strcmp(text, "NA") == 0; }

void CopyField(char* dst, size_t dstSize, const char* src, size_t maxChars) {
    if (dstSize == 0)
        return;
    if (maxChars > dstSize - 1)
        maxChars = dstSize - 1;
    const size_t len = src ? strnlen(src, maxChars) : 0;
    std::memcpy(dst, src, len);
    std::memset(dst + len, 0, dstSize - len);
}

CommaList::CommaList(const char* text) {
    for (const char* p = text ? text : ""; m_count < kParts; ++p) {
        const char* end = std::strchr(p, ',');
        const size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
        m_tooLong[m_count] = len > kPartMax;
        CopyField(m_parts[m_count], p, len < kPartMax ? len : kPartMax);
        ++m_count;
        if (!end)
            break;
        p = end;
    }
}
