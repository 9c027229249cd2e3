#include "pages/core/thresholdtable.h"

#include "pages/core/rules.h"

#include <cstddef>

namespace {

using Column = AlarmColumn;
using Setting = AlarmSetting;

constexpr FieldPlace kVoltage = ORVENA_FIELD(ThresholdRecord, voltage);
constexpr FieldPlace kFrequency = ORVENA_FIELD(ThresholdRecord, frequency);
constexpr FieldPlace kPulses = ORVENA_FIELD(ThresholdRecord, pulses);
constexpr FieldPlace kFlags16 = ORVENA_FIELD(ThresholdSet16, flags);
constexpr FieldPlace kLower16 = ORVENA_FIELD(ThresholdSet16, lower);
constexpr FieldPlace kUpper16 = ORVENA_FIELD(ThresholdSet16, upper);
constexpr FieldPlace kChange16 = ORVENA_FIELD(ThresholdSet16, change);
constexpr FieldPlace kTimer16 = ORVENA_FIELD(ThresholdSet16, timer);
constexpr FieldPlace kFlags32 = ORVENA_FIELD(ThresholdSet32, flags);
constexpr FieldPlace kLower32 = ORVENA_FIELD(ThresholdSet32, lower);
constexpr FieldPlace kUpper32 = ORVENA_FIELD(ThresholdSet32, upper);
constexpr FieldPlace kChange32 = ORVENA_FIELD(ThresholdSet32, change);
constexpr FieldPlace kTimer32 = ORVENA_FIELD(ThresholdSet32, timer);

constexpr Field At(FieldPlace set, FieldPlace member) { return Number(Inside(set, member)); }

// column, setting, input limit, accepted maximum, value, switch bits
const AlarmLimit kLimits[] = {
    {Column::Voltage, Setting::Lower, 5, 33000, At(kVoltage, kLower16), At(kVoltage, kFlags16)},
    {Column::Voltage, Setting::Upper, 5, 33000, At(kVoltage, kUpper16), At(kVoltage, kFlags16)},
    {Column::Voltage, Setting::Change, 5, 33000, At(kVoltage, kChange16), At(kVoltage, kFlags16)},
    {Column::Voltage, Setting::Timer, 5, 43200, At(kVoltage, kTimer16), At(kVoltage, kFlags16)},
    {Column::Frequency, Setting::Lower, 4, 5000, At(kFrequency, kLower16), At(kFrequency, kFlags16)},
    {Column::Frequency, Setting::Upper, 4, 5000, At(kFrequency, kUpper16), At(kFrequency, kFlags16)},
    {Column::Frequency, Setting::Change, 4, 5000, At(kFrequency, kChange16), At(kFrequency, kFlags16)},
    {Column::Frequency, Setting::Timer, 5, 43200, At(kFrequency, kTimer16), At(kFrequency, kFlags16)},
    {Column::Pulses, Setting::Lower, 10, 1000000000, At(kPulses, kLower32), At(kPulses, kFlags32)},
    {Column::Pulses, Setting::Upper, 10, 1000000000, At(kPulses, kUpper32), At(kPulses, kFlags32)},
    {Column::Pulses, Setting::Change, 10, 1000000000, At(kPulses, kChange32), At(kPulses, kFlags32)},
    {Column::Pulses, Setting::Timer, 5, 43200, At(kPulses, kTimer32), At(kPulses, kFlags32)},
};

uint8_t SwitchBit(Setting setting) { return static_cast<uint8_t>(1u << static_cast<unsigned>(setting)); }

ItemBytes Bytes(const ThresholdRecord& record) {
    ItemBytes bytes;
    bytes.Store(record);
    bytes.size = sizeof record;
    return bytes;
}

}  // namespace

std::span<const AlarmLimit> AlarmLimits() { return kLimits; }

const char* ColumnCaption(AlarmColumn column) {
    switch (column) {
    case Column::Voltage: return "Напряжение (mV)";
    case Column::Frequency: return "Частота (Hz)";
    case Column::Pulses: return "Импульсы";
    }
    return "";
}

const char* SettingGroup(AlarmSetting setting) {
    switch (setting) {
    case Setting::Lower: return "Нижний порог";
    case Setting::Upper: return "Верхний порог";
    case Setting::Change:
    case Setting::Timer: return "Порог изменения";
    }
    return "";
}

const char* SwitchCaption(AlarmSetting setting) { return setting == Setting::Timer ? "Таймер" : "Вкл."; }

std::string AlarmTitle(int input) { return "Установка порогов - IN" + std::to_string(input); }

std::vector<AlarmEntry> ShowAlarms(const ThresholdRecord& record) {
    const ItemBytes bytes = Bytes(record);
    std::vector<AlarmEntry> entries;
    for (const AlarmLimit& limit : kLimits)
        entries.push_back({(ReadNumber(bytes, limit.switches) & SwitchBit(limit.setting)) != 0,
                           std::to_string(ReadNumber(bytes, limit.value))});
    return entries;
}

ThresholdRecord ApplyAlarms(const ThresholdRecord& record, std::span<const AlarmEntry> entries) {
    ItemBytes bytes = Bytes(record);
    for (size_t i = 0; i < std::size(kLimits) && i < entries.size(); ++i) {
        const AlarmLimit& limit = kLimits[i];
        const int64_t switches = ReadNumber(bytes, limit.switches);
        const int64_t bit = SwitchBit(limit.setting);
        WriteNumber(bytes, limit.switches, entries[i].on ? switches | bit : switches & ~bit);
        if (NumberWithin(entries[i].text, 0, limit.maximum))
            WriteNumber(bytes, limit.value, LeadingNumber(entries[i].text, false));
    }
    return bytes.As<ThresholdRecord>();
}

bool SameAlarms(const ThresholdRecord& a, const ThresholdRecord& b) {
    const ItemBytes left = Bytes(a);
    const ItemBytes right = Bytes(b);
    for (const AlarmLimit& limit : kLimits)
        if (ReadNumber(left, limit.value) != ReadNumber(right, limit.value) ||
            ReadNumber(left, limit.switches) != ReadNumber(right, limit.switches))
            return false;
    return true;
}
