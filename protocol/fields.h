// Reading the texts of payload fields: digits, numbers, bounded copies, bit
// edits and the takers every keyword handler uses. The same takers over field
// k of a parsed line are in codec_context.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The value of a hexadecimal digit of either case, or -1.
constexpr int HexDigit(char ch) {
    if (IsDigit(ch))
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
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

// Takers: a non-empty text is taken into dst and they return true; an empty
// text (an absent field) keeps dst. Numbers are cast to the type of dst.
template <class T, class Parse> bool TakeParsed(const char* text, T& dst, Parse parse) {
    if (text[0] == '\0')
        return false;
    dst = static_cast<T>(parse(text));
    return true;
}

template <class T> bool TakeDecimal(const char* text, T& dst) { return TakeParsed(text, dst, ParseDecimal); }
template <class T> bool TakeHex(const char* text, T& dst) { return TakeParsed(text, dst, ParseHex); }

template <size_t N> bool TakeText(const char* text, char (&dst)[N], size_t maxChars = N - 1) {
    if (text[0] == '\0')
        return false;
    CopyField(dst, text, maxChars);
    return true;
}

// "1" sets the bits of mask, any other non-empty text clears them.
template <class T> bool TakeBits(const char* text, T& flags, unsigned mask) {
    if (text[0] == '\0')
        return false;
    SetBits(flags, mask, std::strcmp(text, "1") == 0);
    return true;
}

// A strict switch: "1" sets and "0" clears the bits of mask; any other text,
// the empty one included, is not taken.
template <class T> bool TakeSwitch(const char* text, T& flags, unsigned mask) {
    const bool on = std::strcmp(text, "1") == 0;
    if (!on && std::strcmp(text, "0") != 0)
        return false;
    SetBits(flags, mask, on);
    return true;
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
    // The text of part i; "" when it is not usable.
    const char* Part(int i) const { return Usable(i) ? m_parts[i] : ""; }
    long long Number(int i) const { return ParseDecimal(Part(i)); }

private:
    char m_parts[kParts][kPartMax + 1] = {};
    bool m_tooLong[kParts] = {};
    int m_count = 0;
};
