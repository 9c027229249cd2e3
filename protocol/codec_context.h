// What a keyword handler sees of the codec: the mode flags, the keyword and
// remembered subcommand, the field table of a parsed line with the takers of
// its fields, and the line being built. Handlers live in one file per keyword
// family.
#pragma once

#include "model/dataserver.h"
#include "protocol/fields.h"
#include "protocol/hex.h"
#include "protocol/line.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// The fields of one payload: 32 fields of at most 33 characters each.
class FieldTable {
public:
    static constexpr int kFields = 32;
    static constexpr size_t kWidth = 34;

    void Split(const char* payload);
    // Field k (1-based); "" for absent fields or k out of range.
    const char* Get(int k) const;
    bool Has(int k) const { return Get(k)[0] != '\0'; }
    int Count() const { return m_count; }

private:
    char m_fields[kFields][kWidth] = {};
    int m_count = 0;
};

// Appends to a line, never past kLineMaxChars - 2 (room for CR LF).
class LineWriter {
public:
    void Attach(LineBuffer* line) {
        m_line = line;
        m_overflow = false;
        m_fields = 0;
    }
    void Clear();
    void Append(const char* text, size_t maxChars = kLineMaxChars);
    void AppendF(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendV(const char* format, va_list args);
    // Removes the last character (service commands drop the ";" the build added).
    void DropLast();
    // Handler fields: ";" before every field but the first one a handler appends.
    void Field(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void TextField(const char* text, size_t maxChars);
    void EmptyField() { TextField("", 0); }
    void StartFields() { m_fields = 0; }
    bool Overflow() const { return m_overflow; }
    size_t Length() const { return m_line ? m_line->length : 0; }
    char LastChar() const { return m_line && m_line->length ? m_line->text[m_line->length - 1] : '\0'; }
    void Terminate();  // appends CR LF

private:
    void Separator();
    LineBuffer* m_line = nullptr;
    bool m_overflow = false;
    int m_fields = 0;
};

struct CodecContext {
    CDataServer& data;
    bool writeMode;          // building a write or file line
    bool fileMode;           // settings-file line
    const char* keyword;     // upper case, at most 9 characters
    const char* subcommand;  // remembered subcommand ("" for none)
    const FieldTable& fields;
    LineWriter& out;
    int result;

    const char* Field(int k) const { return fields.Get(k); }
    bool Has(int k) const { return fields.Has(k); }
    bool SubIs(const char* s) const;
    // Index after the keyword's stem: the decimal number of the rest, or -1 when
    // there is nothing after the stem.
    int Number(size_t stemLength) const;
    // The single character after the stem as a digit, or -1 (none or not a digit).
    int Digit(size_t stemLength) const;
};

using Handler = void (*)(CodecContext&);

// The takers of fields.h over field k of the line: an empty or absent field
// keeps dst, a taken one returns true.
template <class T> bool TakeDecimal(const CodecContext& c, int k, T& dst) { return TakeDecimal(c.Field(k), dst); }
template <class T> bool TakeHex(const CodecContext& c, int k, T& dst) { return TakeHex(c.Field(k), dst); }
template <size_t N> bool TakeText(const CodecContext& c, int k, char (&dst)[N], size_t maxChars = N - 1) {
    return TakeText(c.Field(k), dst, maxChars);
}
template <class T> bool TakeBits(const CodecContext& c, int k, T& flags, unsigned mask) {
    return TakeBits(c.Field(k), flags, mask);
}
template <class T> bool TakeBit(const CodecContext& c, int k, T& flags, unsigned bit) {
    return TakeBits(c, k, flags, 1u << bit);
}
template <class T> bool TakeSwitch(const CodecContext& c, int k, T& flags, unsigned mask) {
    return TakeSwitch(c.Field(k), flags, mask);
}
// A 48-bit identifier of 12 hexadecimal digits (see HexToU64).
inline bool TakeId(const CodecContext& c, int k, uint64_t& dst) { return TakeParsed(c.Field(k), dst, HexToU64); }

// Field k into a number item of the record, read by take (TakeDecimal or
// TakeHex): TakeItem<uint8_t>(c, 5, DI_RSSI, TakeDecimal).
template <class T> bool TakeItem(const CodecContext& c, int k, int item, bool (*take)(const CodecContext&, int, T&)) {
    T value{};
    if (!take(c, k, value))
        return false;
    c.data.Set(item, value);
    return true;
}

// Field k into a text item of the record, at most maxChars characters.
inline bool TakeTextItem(const CodecContext& c, int k, int item, size_t maxChars) {
    char text[FieldTable::kWidth];
    if (!TakeText(c, k, text, maxChars))
        return false;
    c.data.Set(item, text, sizeof text);
    return true;
}
