// Device text: the device's single-byte code page (one byte per Latin-1
// character) to UTF-8 and back, and the fixed arrays it travels in.
#include "base/devicetext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

std::string Byte(unsigned byte) { return std::string(1, static_cast<char>(byte)); }

std::string ToUtf8(const std::string& bytes) { return DeviceToUtf8(bytes.data(), bytes.size(), bytes.size()); }

// Bytes the device text cannot carry: controls (they end or garble a line),
// ";" (the field separator), DEL and the C1 controls.
bool Refused(unsigned byte) { return byte < 0x20 || byte == ';' || byte == 0x7F || (byte >= 0x80 && byte < 0xA0); }

TEST(DeviceText, EveryByteIsItsLatin1CharacterAndComesBackUnlessRefused) {
    for (unsigned byte = 1; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string utf8 = ToUtf8(Byte(byte));
        // Decoded on its own terms: one character whose code point is the byte.
        unsigned code = 0;
        if (byte < 0x80) {
            ASSERT_EQ(utf8.size(), 1u);
            code = static_cast<unsigned char>(utf8[0]);
        } else {
            ASSERT_EQ(utf8.size(), 2u);
            const auto lead = static_cast<unsigned char>(utf8[0]);
            const auto next = static_cast<unsigned char>(utf8[1]);
            ASSERT_EQ(lead & 0xE0, 0xC0);
            ASSERT_EQ(next & 0xC0, 0x80);
            code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
        }
        EXPECT_EQ(code, byte);
        const std::optional<std::string> back = Utf8ToDevice(utf8);
        if (Refused(byte))
            EXPECT_FALSE(back.has_value());
        else
            EXPECT_EQ(back, Byte(byte));
    }
}

TEST(DeviceText, AllCarriedBytesInOneTextRoundTrip) {
    std::string bytes;
    for (unsigned byte = 1; byte < 256; ++byte)
        if (!Refused(byte))
            bytes += Byte(byte);
    ASSERT_EQ(bytes.size(), 255u - 32u - 1u - 32u);  // without controls, ";", DEL and C1
    EXPECT_EQ(Utf8ToDevice(ToUtf8(bytes)), bytes);
}

TEST(DeviceText, KnownCharacters) {
    const struct {
        const char* utf8;
        unsigned byte;
    } cases[] = {
        {"A", 0x41}, {" ", 0x20}, {"~", 0x7E}, {"\u00A0", 0xA0}, {"\u00B0", 0xB0}, {"\u00E9", 0xE9}, {"\u00FF", 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToDevice(c.utf8), Byte(c.byte));
        EXPECT_EQ(ToUtf8(Byte(c.byte)), c.utf8);
    }
}

TEST(DeviceText, RefusesWhatTheCodePageCannotHoldOrTheLineCannotCarry) {
    const struct {
        const char* name;
        std::string utf8;
    } cases[] = {
        {"Cyrillic", "\u0416"},
        {"euro sign", "\u20AC"},
        {"four-byte character", "\U0001F600"},
        {"field separator", ";"},
        {"carriage return", "\r"},
        {"line feed", "\n"},
        {"tab", "\t"},
        {"DEL", "\x7F"},
        {"C1 control", "\xC2\x85"},
        {"overlong A", "\xC1\x81"},
        {"overlong ;", "\xC0\xBB"},
        {"lead byte at the end", "ab\xC3"},
        {"lone continuation byte", "\x80"},
        {"lead byte before ASCII",
         "\xC3"
         "A"},
        {"good text before a refused character", "Ok \u0416"},
        {"NUL inside", std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Utf8ToDevice(c.utf8).has_value());
    }
    EXPECT_EQ(Utf8ToDevice(""), std::string());
}

TEST(DeviceText, ReadsUpToTheFirstNulOrTheCharacterLimit) {
    const char text[] = {'a', '\xE9', 'c', '\0', 'x', 'y'};
    EXPECT_EQ(DeviceToUtf8(text, sizeof text, sizeof text), "a\u00E9c");
    EXPECT_EQ(DeviceToUtf8(text, sizeof text, 2), "a\u00E9");
    const char full[] = {'\xE9', '\xE9', '\xE9'};  // no NUL: the buffer's size ends it
    EXPECT_EQ(DeviceToUtf8(full, sizeof full, 10), "\u00E9\u00E9\u00E9");
    const char array[5] = "abcd";
    EXPECT_EQ(DeviceToUtf8(array), "abcd");
}

// The limit counts characters, so a two-byte UTF-8 character is never cut in half.
TEST(DeviceText, CopyCutsWholeCharactersAndAlwaysTerminates) {
    const std::optional<std::string> bytes = Utf8ToDevice("\u00E9\u00E9\u00E9\u00E9\u00E9");
    ASSERT_TRUE(bytes);
    char dst[4];
    std::memset(dst, 'x', sizeof dst);
    CopyDeviceText(dst, *bytes);
    EXPECT_EQ(DeviceToUtf8(dst), "\u00E9\u00E9\u00E9");

    char wide[8];
    std::memset(wide, 'x', sizeof wide);
    CopyDeviceText(wide, "abcdef", 2);
    EXPECT_EQ(std::string(wide, sizeof wide), std::string("ab\0\0\0\0\0\0", 8));  // the rest is cleared

    char none[1] = {'x'};
    CopyDeviceText(none, 0, "abc", 3);  // no room at all: nothing written
    EXPECT_EQ(none[0], 'x');
}

}  // namespace
