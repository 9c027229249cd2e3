#include "protocol/hex.h"

uint64_t HexToU64(const char* text) {
    uint64_t value = 0;
    for (int i = 0; text && i < 12 && text[i] != '\0'; ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        value = (value << 4) | digit;
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
