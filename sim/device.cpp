#include "sim/device.h"

#include "model/modeltable.h"
#include "sim/live.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// The device's own slot counts, as its family replies report them.
constexpr int kPhoneSlots = 3;
constexpr int kWifiSlots = 10;
constexpr int kServerSlots = 2;

std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

int Number(const std::string& text) { return std::atoi(text.c_str()); }

// Commands that act instead of storing: keyword stem and subcommand.
struct ActionDef {
    std::string_view stem;
    std::string_view sub;
};
constexpr ActionDef kActions[] = {
    {"RESET", ""},        {"DEFAULT", ""},         {"ERASURE", ""},      {"FACTORY", ""},
    {"STATIST", "RESET"}, {"STATIST", "RESETALL"}, {"COUNTER", "RESET"}, {"MSENS", "CALALL"},
    {"PHONE", "DEL"},     {"SMS", "DEL"},          {"WIFINET", "DEL"},   {"SERVER", "DEL"},
};

bool IsService(std::string_view stem) {
    return stem == "RESET" || stem == "DEFAULT" || stem == "ERASURE" || stem == "FACTORY";
}

bool IsActionSub(std::string_view sub) {
    return sub == "DEL" || sub == "RESET" || sub == "RESETALL" || sub == "CALALL";
}

const ActionDef* FindAction(std::string_view stem, std::string_view sub) {
    for (const ActionDef& action : kActions) {
        if (action.stem == stem && action.sub == sub)
            return &action;
    }
    return nullptr;
}

// Value limits of written fields beyond their syntax.
struct RangeDef {
    std::string_view stem;
    size_t field;
    int lo, hi;
};
constexpr RangeDef kRanges[] = {
    {"MODE", 0, 1, 6},    {"SIMS", 0, 1, 4}, {"LOG", 0, 0, 34}, {"LOG", 1, 0, 1},
    {"DATE", 2, -12, 14}, {"DATE", 3, 0, 1}, {"DATE", 4, 0, 1}, {"DATE", 5, 0, 1},
};

bool InRange(std::string_view stem, const std::vector<std::string>& fields) {
    for (const RangeDef& range : kRanges) {
        if (range.stem != stem || range.field >= fields.size())
            continue;
        const int value = Number(fields[range.field]);
        if (value < range.lo || value > range.hi)
            return false;
    }
    return true;
}

int Pair(const std::string& text, size_t at) { return Number(text.substr(at, 2)); }

// DDMMYY and HHMMSS into a broken-down time; "000000" for the date means
// "no clock" (a settings file written without a device) and is not an error.
bool ClockFields(const std::string& date, const std::string& time, struct tm& out, bool& hasDate) {
    hasDate = date != "000000";
    out = {};
    out.tm_mday = Pair(date, 0);
    out.tm_mon = Pair(date, 2) - 1;
    out.tm_year = Pair(date, 4) + 100;
    out.tm_hour = Pair(time, 0);
    out.tm_min = Pair(time, 2);
    out.tm_sec = Pair(time, 4);
    const bool timeOk = out.tm_hour <= 23 && out.tm_min <= 59 && out.tm_sec <= 59;
    const bool dateOk = !hasDate || (out.tm_mday >= 1 && out.tm_mday <= 31 && out.tm_mon >= 0 && out.tm_mon <= 11);
    return timeOk && dateOk;
}

std::string ThermoIdText(int k) { return Fmt("28FF%08X", 0x1A2B00 + k); }

// A stored phone or SMS number; written as "NA" (or empty) when there is none.
bool NumberSet(const std::string& number) { return !number.empty() && number != "NA"; }

}  // namespace

const CDevice::ReaderEntry CDevice::kReaders[] = {
    {"VER", &CDevice::ReadVer},           {"BOOTVER", &CDevice::ReadBootVer}, {"HWCFG", &CDevice::ReadHwcfg},
    {"DEV", &CDevice::ReadSame},          {"MODE", &CDevice::ReadMode},       {"PASS", &CDevice::ReadPass},
    {"LOG", &CDevice::ReadSame},          {"DATE", &CDevice::ReadDate},       {"REP", &CDevice::ReadRep},
    {"EKEY", &CDevice::ReadEkey},         {"STATIST", &CDevice::ReadStatist}, {"GNSS", &CDevice::ReadGnss},
    {"GSM", &CDevice::ReadGsm},           {"SIMS", &CDevice::ReadSims},       {"SIM", &CDevice::ReadSim},
    {"APN", &CDevice::ReadSame},          {"PHONE", &CDevice::ReadNumber},    {"SMS", &CDevice::ReadNumber},
    {"RING", &CDevice::ReadPair},         {"AUDIO", &CDevice::ReadPair},      {"WIFI", &CDevice::ReadWifi},
    {"WIFINET", &CDevice::ReadWifinet},   {"SERVER", &CDevice::ReadServer},   {"FILTER", &CDevice::ReadSame},
    {"IN", &CDevice::ReadInputs},         {"INTRSHD", &CDevice::ReadInputs},  {"COUNTER", &CDevice::ReadCounter},
    {"IGN", &CDevice::ReadSame},          {"SOS", &CDevice::ReadSame},        {"OUT", &CDevice::ReadOutputs},
    {"RS232", &CDevice::ReadSame},        {"RS485", &CDevice::ReadSame},      {"LLS", &CDevice::ReadLls},
    {"THERMOID", &CDevice::ReadThermoId}, {"THERMO", &CDevice::ReadThermo},   {"MSENS", &CDevice::ReadSensor},
    {"TILT", &CDevice::ReadSensor},       {"TSENS", &CDevice::ReadSensor},    {"PRSET", &CDevice::ReadSame},
};

CDevice::CDevice(int type, std::string password, bool protection)
    : m_type(type),
      m_caps(LookupModel(type).caps),
      m_password(std::move(password)),
      m_protection(protection),
      m_powerOn(std::chrono::steady_clock::now()) {}

CDevice::Answer CDevice::Handle(std::string_view line) {
    SimCommand cmd;
    if (!ParseCommand(line, cmd)) {
        // Unknown keyword: answer under the keyword as sent (after a password).
        std::vector<std::string> tokens = SplitFields(line);
        std::string keyword = tokens.size() > 1 && tokens[0] == m_password ? tokens[1] : tokens[0];
        for (char& c : keyword)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (keyword.empty())
            return {};
        return {keyword, "CE"};
    }
    if (!PasswordAccepted(cmd))
        return {cmd.keyword, "PE"};
    KeywordRef ref;
    SplitKeyword(cmd.keyword, ref);
    const GroupDef* entry = FindExisting(m_caps, ref);
    if (!entry)
        return {cmd.keyword, "CE"};
    return {cmd.keyword, Execute(ref, *entry, cmd)};
}

bool CDevice::PasswordAccepted(const SimCommand& cmd) const {
    return !m_protection || (cmd.hasPrefix && cmd.prefix == m_password);
}

std::string CDevice::Execute(const KeywordRef& ref, const GroupDef& entry, const SimCommand& cmd) {
    if (IsActionSub(cmd.sub) || IsService(ref.stem))
        return Action(ref, cmd);
    if (cmd.hasFields || cmd.sub == "SET")
        return Write(ref, entry, cmd);
    return Read(ref, cmd);
}

std::string CDevice::Action(const KeywordRef& ref, const SimCommand& cmd) {
    if (cmd.hasFields || !FindAction(ref.stem, cmd.sub))
        return "FE";
    if (ref.stem == "DEFAULT" || ref.stem == "FACTORY") {
        RestoreDefaults();
    } else if (ref.stem == "STATIST") {
        m_statBase = Seconds();
    } else if (ref.stem == "COUNTER") {
        for (int j = 1; j <= 8; ++j) {
            if (ref.index < 0 || ref.index == j)
                m_counterBase[j - 1] = Seconds();
        }
    } else if (cmd.sub == "DEL") {
        const GroupDef* family = FindEntry(ref.stem, ref.index < 0 ? 1 : ref.index);
        for (int n = family->minIndex; n <= family->maxIndex; ++n) {
            if (ref.index < 0 || ref.index == n)
                m_settings.ResetGroup(KeywordRef{ref.stem, n});
        }
    }
    return "OK";
}

void CDevice::RestoreDefaults() {
    m_settings.ResetAll();
    m_clockOffset = 0;
}

std::string CDevice::Write(const KeywordRef& ref, const GroupDef& entry, const SimCommand& cmd) {
    if (ref.stem == "PASS")
        return WritePassword(cmd);
    if (ref.stem == "HWCFG")
        return WriteType(cmd);
    if (entry.kinds.empty())
        return "CE";
    if ((entry.needsSet && cmd.sub != "SET") || cmd.sub == "GET")
        return "FE";
    if (!FieldsValid(entry, cmd.fields) || !InRange(ref.stem, cmd.fields))
        return "FE";
    if (ref.stem == "DATE") {
        struct tm clock;
        bool hasDate = false;
        if (!ClockFields(cmd.fields[0], cmd.fields[1], clock, hasDate))
            return "FE";
        if (hasDate)
            m_clockOffset = static_cast<long>(timegm(&clock) - std::time(nullptr));
    }
    m_settings.Store(ref.Key(), cmd.fields);
    return "OK";
}

// current;new;new;e: the current password must match; e is the protection
// wanted from now on.
std::string CDevice::WritePassword(const SimCommand& cmd) {
    const auto& f = cmd.fields;
    if (f.size() != 4 || (f[3] != "0" && f[3] != "1") || f[1].size() > 8)
        return "FE";
    if (f[0] != m_password || f[1] != f[2])
        return "PE";
    if (!f[1].empty())
        m_password = f[1];
    m_protection = f[3] == "1";
    return "PC";
}

std::string CDevice::WriteType(const SimCommand& cmd) {
    if (cmd.fields.size() != 1 || cmd.fields[0].empty())
        return "FE";
    char* end = nullptr;
    const long type = std::strtol(cmd.fields[0].c_str(), &end, 10);
    if (*end != '\0' || type < 0 || type > 255)
        return "FE";
    m_type = static_cast<int>(type);
    m_caps = LookupModel(m_type).caps;
    return "OK";
}

std::string CDevice::Read(const KeywordRef& ref, const SimCommand& cmd) const {
    for (const ReaderEntry& reader : kReaders) {
        if (reader.stem == ref.stem)
            return (this->*reader.read)(ref, cmd);
    }
    return "CE";
}

std::string CDevice::Setting(const std::string& keyword) const {
    KeywordRef ref;
    if (!SplitKeyword(keyword, ref))
        return "";
    if (ref.stem == "PASS")
        return m_password + (m_protection ? ";1" : ";0");
    if (ref.stem == "HWCFG")
        return std::to_string(m_type);
    const GroupDef* entry = FindEntry(ref.stem, ref.index);
    if (!entry || entry->kinds.empty())
        return "";
    return JoinFields(Stored(ref.stem, ref.index));
}

double CDevice::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_powerOn).count();
}

struct tm CDevice::DeviceClock() const {
    const std::time_t now = std::time(nullptr) + m_clockOffset;
    struct tm out;
    gmtime_r(&now, &out);
    return out;
}

std::vector<std::string> CDevice::Stored(const std::string& stem, int index) const {
    return m_settings.Fields(KeywordRef{stem, index});
}

// ---- readers ----

std::string CDevice::ReadSame(const KeywordRef& ref, const SimCommand&) const {
    return JoinFields(Stored(ref.stem, ref.index));
}

std::string CDevice::ReadVer(const KeywordRef&, const SimCommand&) const {
    return Fmt("%s;2.10;3.04;1.00;15.03.24", LookupModel(m_type).modelCode);
}

std::string CDevice::ReadBootVer(const KeywordRef&, const SimCommand&) const { return "1.02;01.02.23"; }

std::string CDevice::ReadHwcfg(const KeywordRef&, const SimCommand&) const {
    return Fmt("%d;00A5C3F1%08X", m_type, static_cast<unsigned>(m_type));
}

// Status flags: bit 0 and bit 9 set, the rest clear.
constexpr unsigned kStatusFlags = 0x0201;

std::string CDevice::ReadMode(const KeywordRef&, const SimCommand&) const {
    return Stored("MODE")[0] + Fmt(";%04X", kStatusFlags);
}

std::string CDevice::ReadPass(const KeywordRef&, const SimCommand&) const {
    return m_password + (m_protection ? ";1" : ";0");
}

std::string CDevice::ReadDate(const KeywordRef&, const SimCommand&) const {
    const struct tm c = DeviceClock();
    std::vector<std::string> fields = Stored("DATE");
    fields[0] = Fmt("%02d%02d%02d", c.tm_mday, c.tm_mon + 1, c.tm_year % 100);
    fields[1] = Fmt("%02d%02d%02d", c.tm_hour, c.tm_min, c.tm_sec);
    return JoinFields(fields);
}

std::string CDevice::ReadRep(const KeywordRef&, const SimCommand&) const {
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    const struct tm c = DeviceClock();
    const std::string cell = Caps::Gsm(m_caps) ? "250;01;6699;15437" : "NA;NA;NA;NA";
    return Fmt("%s;%04X;%02d%02d%02d;%02d%02d%02d;5545.%04d;N;03737.%04d;E;%d;%d;%d;%d;", Stored("DEV")[0].c_str(),
               kStatusFlags, c.tm_mday, c.tm_mon + 1, c.tm_year % 100, c.tm_hour, c.tm_min, c.tm_sec,
               v.latTenThousandths, v.lonTenThousandths, v.altitude, v.speed, v.course, v.satellites) +
           cell + Fmt(";%d;%d;%d", v.extPowerMv, v.batteryMv, v.auxPowerMv);
}

std::string CDevice::ReadEkey(const KeywordRef&, const SimCommand&) const {
    return Caps::KeyReader(m_caps) ? "0000012A3B4C" : "000000000000";
}

std::string CDevice::ReadStatist(const KeywordRef&, const SimCommand& cmd) const {
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    std::string out = Fmt("%u;%u;%u;%u;%u", v.onTime, v.engineTime, v.idleTime, v.movingTime, v.distance);
    if (cmd.sub == "GET")
        out += Fmt(";3;%d;0;0;0;0;0", v.speed);
    return out;
}

std::string CDevice::ReadGnss(const KeywordRef&, const SimCommand&) const {
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    const std::time_t now = std::time(nullptr);
    struct tm c;
    gmtime_r(&now, &c);
    return Fmt("%02d%02d%02d;%02d%02d%02d;5545.%04d;N;03737.%04d;E;%d;1;%d;%d;%d;0.9", c.tm_mday, c.tm_mon + 1,
               c.tm_year % 100, c.tm_hour, c.tm_min, c.tm_sec, v.latTenThousandths, v.lonTenThousandths, v.altitude,
               v.speed, v.course, v.satellites);
}

std::string CDevice::ReadGsm(const KeywordRef&, const SimCommand&) const {
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    return Fmt("1F;0C;%s;25001;%d;150;250;01;6699;15437", m_imei.c_str(), v.rssi);
}

std::string CDevice::ReadSims(const KeywordRef&, const SimCommand&) const {
    return Fmt("01;%s;%X;00", Caps::SecondSim(m_caps) ? "01" : "00", static_cast<unsigned>(Number(Stored("SIMS")[0])));
}

std::string CDevice::ReadSim(const KeywordRef& ref, const SimCommand&) const {
    return ref.index == 1 ? "1;1;0;25001;1;0;0;0;0;89701010000000000001;111*0887#;*100#"
                          : "1;1;0;25002;1;0;0;0;0;89701020000000000002;110*10#;*102#";
}

// PHONEn / SMSn: the number ("NA" when none); the family answers its slot
// count and how many hold a number.
std::string CDevice::ReadNumber(const KeywordRef& ref, const SimCommand&) const {
    if (ref.index >= 0) {
        const std::string number = Stored(ref.stem, ref.index)[0];
        return NumberSet(number) ? number : "NA";
    }
    int used = 0;
    for (int n = 1; n <= kPhoneSlots; ++n)
        used += NumberSet(Stored(ref.stem, n)[0]);
    return Fmt("%d;%d", kPhoneSlots, used);
}

std::string CDevice::ReadPair(const KeywordRef& ref, const SimCommand&) const {
    return ref.stem == "RING" ? "5;3" : "8;8";
}

std::string CDevice::ReadWifi(const KeywordRef&, const SimCommand&) const {
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    return Fmt("01;0;03;A4:CF:12:0B:33:7E;%d", v.rssi * 2);
}

std::string CDevice::ReadWifinet(const KeywordRef& ref, const SimCommand&) const {
    if (ref.index < 0)
        return Fmt("%d;%d", kWifiSlots, kWifiSlots);
    std::vector<std::string> fields = Stored("WIFINET", ref.index);
    fields.erase(fields.begin() + 8);  // the device keeps no separate gateway in its reply
    return JoinFields(fields);
}

std::string CDevice::ReadServer(const KeywordRef& ref, const SimCommand&) const {
    if (ref.index < 0)
        return Fmt("%d;%d", kServerSlots, kServerSlots);
    std::vector<std::string> fields = Stored("SERVER", ref.index);
    fields.pop_back();  // the on/off flag is write-only
    return JoinFields(fields);
}

// IN / INTRSHD without an index: live "count;mode,value;..."; with an index
// the stored configuration.
std::string CDevice::ReadInputs(const KeywordRef& ref, const SimCommand& cmd) const {
    if (ref.index >= 0)
        return ReadSame(ref, cmd);
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    const int count = Caps::Inputs(m_caps);
    std::string out = std::to_string(count);
    for (int j = 0; j < count; ++j) {
        const int mode = Number(Stored("IN", j + 1)[0]);
        const int values[4] = {v.digital[j], v.analogMv[j], v.frequency[j],
                               static_cast<int>((Seconds() - m_counterBase[j]) * (j + 1))};
        out += Fmt(";%d,%d", mode, values[std::clamp(mode, 0, 3)]);
    }
    return out;
}

std::string CDevice::ReadCounter(const KeywordRef& ref, const SimCommand&) const {
    auto value = [this](int j) { return static_cast<long>((Seconds() - m_counterBase[j]) * (j + 1)); };
    if (ref.index > 0)
        return std::to_string(value(ref.index - 1));
    const int count = Caps::Inputs(m_caps);
    std::string out = std::to_string(count);
    for (int j = 0; j < count; ++j)
        out += Fmt(";%ld", value(j));
    return out;
}

std::string CDevice::ReadOutputs(const KeywordRef& ref, const SimCommand& cmd) const {
    if (ref.index >= 0)
        return ReadSame(ref, cmd);
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    const int count = Caps::Outputs(m_caps);
    std::string out = std::to_string(count);
    for (int j = 0; j < count; ++j) {
        out += Fmt(";%d,%d", Number(Stored("OUT", j + 1)[0]), v.outputState[j]);
    }
    return out;
}

// LLS: table "inUse0,address0;count,address..." of the configured sensors;
// LLSn: the live reading "address;valid;level;volume;T;U".
std::string CDevice::ReadLls(const KeywordRef& ref, const SimCommand&) const {
    if (ref.index >= 0) {
        const std::vector<std::string> cfg = Stored("LLS", ref.index);
        const int level = LiveAt(Seconds(), m_statBase).fuelLevel + 10 * ref.index;
        const bool inUse = Number(cfg[0]) != 0;
        return Fmt("%s;%d;%d;%d;20;0", cfg[1].c_str(), inUse ? 1 : 0, inUse ? level : 0, inUse ? level / 2 : 0);
    }
    const std::vector<std::string> lls0 = Stored("LLS", 0);
    std::string out = Caps::Rs232(m_caps) && Number(lls0[0]) ? "1," + lls0[1] : "0,1";
    std::string addresses;
    int count = 0;
    for (int n = 1; n <= 4 && Caps::Rs485(m_caps); ++n) {
        const std::vector<std::string> cfg = Stored("LLS", n);
        if (Number(cfg[0]) == 0)
            continue;
        ++count;
        addresses += "," + cfg[1];
    }
    return out + ";" + std::to_string(count) + addresses;
}

std::string CDevice::ReadThermoId(const KeywordRef&, const SimCommand&) const {
    constexpr int kIdFields = 8;  // the reply always carries eight identifier fields
    const int count = std::min(Caps::ThermometerCount(m_caps), kIdFields);
    std::string out = std::to_string(count);
    for (int k = 0; k < kIdFields; ++k)
        out += ";" + (k < count ? ThermoIdText(k) : std::string());
    return out;
}

// THERMOn;GET: configuration; plain THERMOn: live "flag;id;temperature".
std::string CDevice::ReadThermo(const KeywordRef& ref, const SimCommand& cmd) const {
    if (cmd.sub == "GET")
        return ReadSame(ref, cmd);
    const std::vector<std::string> cfg = Stored("THERMO", ref.index);
    const int temperature = LiveAt(Seconds(), m_statBase).temperature - 5 + ref.index;
    return Fmt("%d;%s;%d", Number(cfg[0]) ? 1 : 0, cfg[1].c_str(), temperature);
}

// MSENS, TILT, TSENS: configuration after GET, live values otherwise.
std::string CDevice::ReadSensor(const KeywordRef& ref, const SimCommand& cmd) const {
    if (cmd.sub == "GET")
        return ReadSame(ref, cmd);
    const LiveValues v = LiveAt(Seconds(), m_statBase);
    if (ref.stem == "MSENS")
        return Fmt("%d;%d;%d", v.accel[0], v.accel[1], v.accel[2]);
    if (ref.stem == "TILT")
        return Fmt("%d;%d", v.tilt[0], v.tilt[1]);
    return std::to_string(v.temperature);
}
