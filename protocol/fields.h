// Reading the texts of payload fields: digits, numbers, bounded copies and
// bit edits, shared by every keyword handler.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The value of a hexadecimal digit of either case, or -1.
constexpr int HexDigit(char ch) {
    if (IsDigit(ch)) return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

// The two-digit number at text[at] and text[at + 1]; -1 when the text is
// shorter or either character is not a digit.
int DigitPair(const char* text, size_t at);

constexpr bool InRange(long long v, long long lo, long long hi) { return v >= lo && v <= hi; }

// v within 0..limit.
constexpr int Clamp(long long v, int limit) { return v < 0 ? 0 : (v > limit ? limit : static_cast<int>(v)); }

// Sets (on) or clears the bits of mask in flags.
template <class T> void SetBits(T& flags, unsigned mask, bool on) {
    flags = static_cast<T>(on ? (flags | mask) : (flags & ~mask));
}

// C-style decimal conversion: optional sign, leading digits, anything else
// ends the number, no digits give 0. Saturates instead of overflowing.
long long ParseDecimal(const char* text);
// Hexadecimal conversion ("%x"): leading hex digits, no digits give 0.
unsigned long long ParseHex(const char* text);
// True when the field is exactly "NA".
bool IsNA(const char* text);
// Bounded copy of a field into a fixed text array, at most maxChars characters.
void CopyField(char* dst, size_t dstSize, const char* src, size_t maxChars);
template <size_t N> void CopyField(char (&dst)[N], const char* src, size_t maxChars = N - 1) {
    CopyField(dst, N, src, maxChars);
}

// A comma-joined field ("mode,value", "count,a,b"): up to 8 parts of at most
// 9 characters. An over-long part is not usable; its caller skips that member.
class CommaList {
public:
    static constexpr size_t kPartMax = 9;
    static constexpr int kParts = 8;

    explicit CommaList(const char* text);
    int Count() const { return m_count; }
    // Part i (0-based) is there and not over-long.
    bool Usable(int i) const { return i >= 0 && i < m_count && !m_tooLong[i]; }
    // Usable and not empty.
    bool Present(int i) const { return Usable(i) && m_parts[i][0] != '\0'; }
    long long Number(int i) const;

private:
    char m_parts[kParts][kPartMax + 1] = {};
    bool m_tooLong[kParts] = {};
    int m_count = 0;
};
