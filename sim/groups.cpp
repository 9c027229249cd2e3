#include "sim/groups.h"

#include "model/modeltable.h"
#include "sim/wire.h"

#include <cctype>

namespace {

// Every keyword the device answers. Entries with kinds are writable groups;
// the others are read-only values, family heads or service commands.
constexpr GroupDef kGroups[] = {
    {"VER", Need::Always, -1, -1, "", false, ""},
    {"BOOTVER", Need::Always, -1, -1, "", false, ""},
    {"HWCFG", Need::Always, -1, -1, "", false, ""},
    {"PASS", Need::Always, -1, -1, "", false, ""},
    {"REP", Need::Always, -1, -1, "", false, ""},
    // The status poll asks for EKEY on every type, so a type without a reader
    // answers with an empty key rather than a refusal.
    {"EKEY", Need::Always, -1, -1, "", false, ""},
    {"STATIST", Need::Always, -1, -1, "", false, ""},
    {"GNSS", Need::Gnss, -1, -1, "", false, ""},
    {"GSM", Need::Gsm, -1, -1, "", false, ""},
    {"RING", Need::Gsm, -1, -1, "", false, ""},
    {"AUDIO", Need::Gsm, -1, -1, "", false, ""},
    {"SIM", Need::Gsm, 1, 1, "", false, ""},
    {"SIM", Need::SecondSim, 2, 2, "", false, ""},
    {"WIFI", Need::Wifi, -1, -1, "", false, ""},
    {"PHONE", Need::Gsm, -1, -1, "", false, ""},
    {"SMS", Need::Gsm, -1, -1, "", false, ""},
    {"WIFINET", Need::Wifi, -1, -1, "", false, ""},
    {"SERVER", Need::Always, -1, -1, "", false, ""},
    {"IN", Need::Inputs, -1, -1, "", false, ""},
    {"INTRSHD", Need::Inputs, -1, -1, "", false, ""},
    {"COUNTER", Need::Inputs, -1, -1, "", false, ""},
    {"COUNTER", Need::Inputs, 1, 8, "", false, ""},
    {"OUT", Need::Outputs, -1, -1, "", false, ""},
    {"LLS", Need::AnyRs, -1, -1, "", false, ""},
    {"THERMOID", Need::OneWire, -1, -1, "", false, ""},
    {"RESET", Need::Always, -1, -1, "", false, ""},
    {"DEFAULT", Need::Always, -1, -1, "", false, ""},
    {"ERASURE", Need::Always, -1, -1, "", false, ""},
    {"FACTORY", Need::Always, -1, -1, "", false, ""},
    {"DEV", Need::Always, -1, -1, "tt", false, "Sim;0001"},
    {"MODE", Need::Always, -1, -1, "d", false, "1"},
    {"LOG", Need::Always, -1, -1, "dd", false, "0;0"},
    {"DATE", Need::Always, -1, -1, "cczddd", false, "010124;000000;+0;1;1;0"},
    {"SIMS", Need::Gsm, -1, -1, "d", false, "3"},
    {"APN", Need::Gsm, 1, 1, "ttt", false, "internet.op1;op1;op1"},
    {"APN", Need::SecondSim, 2, 2, "ttt", false, "internet.op2;op2;op2"},
    {"PHONE", Need::Gsm, 1, 3, "t", true, "NA"},
    {"SMS", Need::Gsm, 1, 3, "t", true, "NA"},
    {"WIFINET", Need::Wifi, 1, 10, "dtddtdttttt", false,
     "1;Net#;0;0;key#;1;000.000.000.000;255.255.255.255;000.000.000.000;000.000.000.000;"},
    {"SERVER", Need::Always, 1, 2, "xxttttdddddddd", true, "00;00;000.000.000.000;0;;;120;0;240;30;1;0;0;0"},
    {"FILTER", Need::Always, -1, -1, "ppppddd", false, "1,100;1,10;1,2;1,60;1;5;300"},
    {"IN", Need::Inputs, 1, 8, "dddddddddd", false, "0;1;33000;3000;2000;0;0;1;50;0"},
    {"INTRSHD", Need::Inputs, 1, 8, "xddddxddddxdddd", false,
     "00;0;33000;33000;60;00;0;5000;5000;60;00;0;1000000000;1000000000;60"},
    {"IGN", Need::Inputs, -1, -1, "ddddd", false, "2;33000;8000;6000;0"},
    {"SOS", Need::Inputs, -1, -1, "dddddd", false, "1;33000;3000;2000;0;1"},
    {"OUT", Need::Outputs, 1, 4, "doddd", false, "0;0;0;0;100"},
    {"RS232", Need::Rs232, -1, -1, "ddddd", false, "1;19200;3;0;0"},
    {"RS485", Need::Rs485, -1, -1, "ddddd", false, "1;19200;3;0;0"},
    {"LLS", Need::Rs232, 0, 0, "ddd", true, "1;0;5"},
    {"LLS", Need::Rs485, 1, 4, "ddd", true, "1;#;5"},
    {"THERMO", Need::OneWire, 1, 8, "dxddd", true, "1;000000000000;1;-25;40"},
    {"MSENS", Need::Accelerometer, -1, -1, "ddddddd", true, "1;6;1;127;1;1;1"},
    {"TILT", Need::Accelerometer, -1, -1, "ddd", true, "1;30;0"},
    {"TSENS", Need::InternalThermometer, -1, -1, "ddd", true, "1;-25;40"},
    {"PRSET", Need::Always, 10, 11, "h", true, "c0000000000300000006000000000000"},
    {"PRSET", Need::Always, 20, 21, "h", true, "c0000000000300000006000000000000"},
};

// Every keyword stem; since only digits may follow a stem, "INTRSHD" and "IN",
// "SIMS" and "SIM" cannot be confused.
struct StemAlias {
    std::string_view stem;
    std::string_view canonical;
    int impliedIndex;  // index of the stem without digits ("SIM" is SIM 1), -1 none
};
constexpr StemAlias kStems[] = {
    {"BOOTVER", "BOOTVER", -1}, {"VER", "VER", -1},       {"HWCFG", "HWCFG", -1},     {"DEV", "DEV", -1},
    {"MODE", "MODE", -1},       {"PASS", "PASS", -1},     {"LOG", "LOG", -1},         {"DATE", "DATE", -1},
    {"REP", "REP", -1},         {"EKEY", "EKEY", -1},     {"MSENS", "MSENS", -1},     {"TILT", "TILT", -1},
    {"TSENS", "TSENS", -1},     {"GNSS", "GNSS", -1},     {"GSM", "GSM", -1},         {"PHONE", "PHONE", -1},
    {"SMS", "SMS", -1},         {"RING", "RING", -1},     {"AUDIO", "AUDIO", -1},     {"SIMS", "SIMS", -1},
    {"SIM", "SIM", 1},          {"APN", "APN", 1},        {"WIFINET", "WIFINET", -1}, {"WIFI", "WIFI", -1},
    {"INTRSHD", "INTRSHD", -1}, {"IN", "IN", -1},         {"COUNTER", "COUNTER", -1}, {"IGN", "IGN", -1},
    {"SOS", "SOS", -1},         {"OUT", "OUT", -1},       {"RS232B", "RS232", -1},    {"RS232", "RS232", -1},
    {"RS485A", "RS485", -1},    {"RS485", "RS485", -1},   {"LLS", "LLS", -1},         {"THERMOID", "THERMOID", -1},
    {"THERMO", "THERMO", -1},   {"FILTER", "FILTER", -1}, {"SERVER", "SERVER", -1},   {"STATIST", "STATIST", -1},
    {"PRSET", "PRSET", -1},     {"RESET", "RESET", -1},   {"DEFAULT", "DEFAULT", -1}, {"ERASURE", "ERASURE", -1},
    {"FACTORY", "FACTORY", -1},
};

bool AllOf(std::string_view s, int (*test)(int)) {
    for (char c : s) {
        if (!test(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool IsDecimal(std::string_view s) {
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        s.remove_prefix(1);
    return !s.empty() && s.size() <= 10 && AllOf(s, isdigit);
}

bool IsHex(std::string_view s) { return !s.empty() && s.size() <= 16 && AllOf(s, isxdigit); }

bool IsPair(std::string_view s) {
    const size_t comma = s.find(',');
    return comma != std::string_view::npos && IsDecimal(s.substr(0, comma)) && IsDecimal(s.substr(comma + 1));
}

bool FieldValid(char kind, const std::string& field) {
    switch (kind) {
    case 'd': return IsDecimal(field);
    case 'o': return field.empty() || IsDecimal(field);
    case 'x': return IsHex(field);
    case 't': return field.size() <= 32;
    case 'p': return IsPair(field);
    case 'c': return field.size() == 6 && AllOf(field, isdigit);
    case 'z': return (field[0] == '+' || field[0] == '-') && IsDecimal(field);
    case 'h': return field.size() == 32 && AllOf(field, isxdigit);
    default: return false;
    }
}

}  // namespace

bool SplitKeyword(const std::string& keyword, KeywordRef& out) {
    for (const StemAlias& alias : kStems) {
        if (keyword.compare(0, alias.stem.size(), alias.stem) != 0)
            continue;
        const std::string_view rest = std::string_view(keyword).substr(alias.stem.size());
        if (!AllOf(rest, isdigit) || rest.size() > 3)
            continue;
        out.stem = std::string(alias.canonical);
        out.index = rest.empty() ? alias.impliedIndex : std::stoi(std::string(rest));
        return true;
    }
    return false;
}

bool Has(const DeviceTypeRecord& caps, Need need) {
    switch (need) {
    case Need::Always: return true;
    case Need::Gsm: return Caps::Gsm(caps);
    case Need::SecondSim: return Caps::Gsm(caps) && Caps::SecondSim(caps);
    case Need::Wifi: return Caps::Wifi(caps);
    case Need::Gnss: return Caps::Gnss(caps);
    case Need::Inputs: return Caps::Inputs(caps) > 0;
    case Need::Outputs: return Caps::Outputs(caps) > 0;
    case Need::Rs232: return Caps::Rs232(caps);
    case Need::Rs485: return Caps::Rs485(caps);
    case Need::AnyRs: return Caps::Rs232(caps) || Caps::Rs485(caps);
    case Need::Accelerometer: return Caps::Accelerometer(caps);
    case Need::InternalThermometer: return Caps::InternalThermometer(caps);
    case Need::OneWire: return Caps::ThermometerCount(caps) > 0;
    }
    return false;
}

const GroupDef* FindEntry(std::string_view stem, int index) {
    for (const GroupDef& group : kGroups) {
        if (group.stem == stem && index >= group.minIndex && index <= group.maxIndex)
            return &group;
    }
    return nullptr;
}

namespace {
int FamilyLimit(const DeviceTypeRecord& caps, const GroupDef& group) {
    switch (group.need) {
    case Need::Inputs: return Caps::Inputs(caps);
    case Need::Outputs: return Caps::Outputs(caps);
    case Need::OneWire: return Caps::ThermometerCount(caps);
    default: return group.maxIndex;
    }
}
}  // namespace

const GroupDef* FindExisting(const DeviceTypeRecord& caps, const KeywordRef& ref) {
    const GroupDef* entry = FindEntry(ref.stem, ref.index);
    if (!entry || !Has(caps, entry->need) || ref.index > FamilyLimit(caps, *entry))
        return nullptr;
    return entry;
}

bool FieldsValid(const GroupDef& group, const std::vector<std::string>& fields) {
    if (fields.size() != group.kinds.size())
        return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!FieldValid(group.kinds[i], fields[i]))
            return false;
    }
    return true;
}

std::vector<std::string> DefaultFields(const GroupDef& group, int index) {
    std::string text(group.defaults);
    for (size_t at = text.find('#'); at != std::string::npos; at = text.find('#')) {
        text.replace(at, 1, std::to_string(index));
    }
    return SplitFields(text);
}

void CSettingsStore::ResetAll() { m_groups.clear(); }

void CSettingsStore::ResetGroup(const KeywordRef& ref) { m_groups.erase(ref.Key()); }

void CSettingsStore::Store(const std::string& key, std::vector<std::string> fields) {
    m_groups[key] = std::move(fields);
}

std::vector<std::string> CSettingsStore::Fields(const KeywordRef& ref) const {
    auto it = m_groups.find(ref.Key());
    if (it != m_groups.end())
        return it->second;
    const GroupDef* group = FindEntry(ref.stem, ref.index);
    return group ? DefaultFields(*group, ref.index) : std::vector<std::string>{};
}

bool CSettingsStore::Known(const std::string& key) const { return m_groups.count(key) != 0; }
