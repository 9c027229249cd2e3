// Device text (single-byte characters in fixed NUL-terminated arrays) to and
// from the window's characters. Latin-1 maps every byte one to one.
#pragma once

#include <QString>

#include <cstddef>

// At most maxChars characters of a buffer of size bytes; stops at the first NUL.
QString FromDeviceText(const char* text, std::size_t size, int maxChars);
// Copies text into buffer (size bytes, always terminated); returns the bytes written.
std::size_t ToDeviceText(const QString& text, char* buffer, std::size_t size);
