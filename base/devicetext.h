// Device text (single-byte characters in fixed NUL-terminated arrays, one
// byte per character of Latin-1) to and from the window's UTF-8 text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// At most maxChars characters of a buffer of size bytes, up to its first NUL, as UTF-8.
std::string DeviceToUtf8(const char* text, size_t size, size_t maxChars);
template <size_t N> std::string DeviceToUtf8(const char (&text)[N]) { return DeviceToUtf8(text, N, N - 1); }

// The device bytes of a UTF-8 text, or nothing when a character has no byte
// in the device's code page or would break the line it travels in (";"
// separates fields on the wire and in the settings file; control characters
// end or garble a line).
std::optional<std::string> Utf8ToDevice(std::string_view utf8);

// Copies device bytes into a fixed array, cut to maxChars and always terminated.
void CopyDeviceText(char* dst, size_t dstSize, std::string_view bytes, size_t maxChars);
template <size_t N> void CopyDeviceText(char (&dst)[N], std::string_view bytes, size_t maxChars = N - 1) {
    CopyDeviceText(dst, N, bytes, maxChars);
}
