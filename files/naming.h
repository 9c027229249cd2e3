// Local time and the parts of file names built from it and from device texts.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

class CDataServer;

constexpr const char* kUnknownImei = "FFFFFFFFFFFFFFFF";

// What names the device in file names: its IMEI, or "FFFFFFFFFFFFFFFF" while
// the IMEI is unknown (a device without GSM, or not yet told).
std::string DeviceImeiText(CDataServer& data);

// Source of the local date and time; tests supply a fixed one.
using LocalClock = std::function<std::tm()>;
std::tm LocalNow();

// "DDMMYY_hhmmss": two digits each, the year minus 2000.
std::string FileStamp(const std::tm& t);
// "DD/MM/YY hh:mm:ss".
std::string DisplayStamp(const std::tm& t);

// A device text as part of a file name: at most maxChars characters, with
// path separators and control characters replaced so the name stays one name.
std::string NamePart(std::string_view text, size_t maxChars);
