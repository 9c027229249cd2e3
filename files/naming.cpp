#include "files/naming.h"

#include "model/dataserver.h"

#include <algorithm>
#include <cstdio>

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

std::string DeviceImeiText(CDataServer& data) {
    char imei[17] = {};
    if (!data.Get(DI_IMEI, imei, sizeof imei) || imei[0] == '\0')
        return kUnknownImei;
    return imei;
}

namespace {

// Two digits for each part, whatever the values are.
int TwoDigits(int v) { return ((v % 100) + 100) % 100; }

}  // namespace

std::string FileStamp(const std::tm& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", TwoDigits(t.tm_mday), TwoDigits(t.tm_mon + 1),
                  TwoDigits(t.tm_year + 1900 - 2000), TwoDigits(t.tm_hour), TwoDigits(t.tm_min), TwoDigits(t.tm_sec));
    return text;
}

std::string DisplayStamp(const std::tm& t) {
    char text[20];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", TwoDigits(t.tm_mday), TwoDigits(t.tm_mon + 1),
                  TwoDigits(t.tm_year + 1900 - 2000), TwoDigits(t.tm_hour), TwoDigits(t.tm_min), TwoDigits(t.tm_sec));
    return text;
}

std::string NamePart(std::string_view text, size_t maxChars) {
    std::string part(text.substr(0, std::min(text.size(), maxChars)));
    for (char& c : part) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    return part;
}
