// 48-bit sensor and key identifiers as 12 hexadecimal digits.
#pragma once

#include <cstdint>

// Reads at most the first 12 characters, most significant first; a character
// that is not a hexadecimal digit counts as 0.
uint64_t HexToU64(const char* text);
// Writes the low 48 bits as exactly 12 upper-case digits and a NUL.
void U64ToHex(uint64_t value, char (&out)[13]);
