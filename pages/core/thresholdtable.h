// The alarm settings of one input as the thresholds dialog shows them: three
// columns (voltage, frequency, pulse count) of four settings, each a switch
// bit and a value with its own accepted range.
#pragma once

#include "model/records.h"
#include "pages/core/rows.h"

#include <span>
#include <string>
#include <vector>

enum class AlarmColumn : uint8_t { Voltage, Frequency, Pulses };
// A column's settings; each one's switch is the bit of its number.
enum class AlarmSetting : uint8_t { Lower, Upper, Change, Timer };

struct AlarmLimit {
    AlarmColumn column;
    AlarmSetting setting;
    int maxLength;    // characters the edit takes
    int64_t maximum;  // accepted from 0 to maximum
    Field value;      // in ThresholdRecord
    Field switches;   // the column's switch bits
};

// The twelve settings, voltage, frequency, pulses and within each lower, upper, change, timer.
std::span<const AlarmLimit> AlarmLimits();
const char* ColumnCaption(AlarmColumn column);
// The box a setting sits in; the timer sits in "Порог изменения".
const char* SettingGroup(AlarmSetting setting);
// The switch's caption: "Вкл.", or "Таймер" for the timer.
const char* SwitchCaption(AlarmSetting setting);
// "Установка порогов - IN" and the input number.
std::string AlarmTitle(int input);

// What one setting's check box and edit show.
struct AlarmEntry {
    bool on = false;
    std::string text;
};

std::vector<AlarmEntry> ShowAlarms(const ThresholdRecord& record);
// OK: every switch takes its box; a value in its range replaces the record's,
// any other keeps the record's, silently.
ThresholdRecord ApplyAlarms(const ThresholdRecord& record, std::span<const AlarmEntry> entries);
bool SameAlarms(const ThresholdRecord& a, const ThresholdRecord& b);
