#include "protocol/hex.h"

#include "protocol/fields.h"

uint64_t HexToU64(const char* text) {
    uint64_t value = 0;
    for (int i = 0; text && i < 12 && text[i] != '\0'; ++i) {
        const int digit = HexDigit(text[i]);
        value = (value << 4) | static_cast<unsigned>(digit < 0 ? 0 : digit);
    }
    return value;
}

void U64ToHex(uint64_t value, char (&out)[13]) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 11; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
    out[12] = '\0';
}
