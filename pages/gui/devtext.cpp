#include "pages/gui/devtext.h"

#include <QByteArray>

#include <cstring>

QString FromDeviceText(const char* text, std::size_t size, int maxChars) {
    const std::size_t length = strnlen(text, size);
    return QString::fromLatin1(text, static_cast<qsizetype>(length)).left(maxChars);
}

std::size_t ToDeviceText(const QString& text, char* buffer, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes = text.toLatin1();
    const std::size_t count = std::min(static_cast<std::size_t>(bytes.size()), size - 1);
    std::memcpy(buffer, bytes.constData(), count);
    buffer[count] = '\0';
    return count;
}
