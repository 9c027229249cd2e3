#include "pages/core/thresholdtable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t IndexOf(AlarmColumn column, AlarmSetting setting) {
    const auto limits = AlarmLimits();
    for (size_t i = 0; i < limits.size(); ++i)
        if (limits[i].column == column && limits[i].setting == setting)
            return i;
    return limits.size();
}

struct RangeCase {
    const char* name;
    AlarmColumn column;
    AlarmSetting setting;
    const char* text;
    bool taken;
};

TEST(ThresholdTableTest, AValueOutsideItsRangeIsDroppedSilently) {
    using Co = AlarmColumn;
    using Se = AlarmSetting;
    const RangeCase cases[] = {
        {"voltage upper 40000", Co::Voltage, Se::Upper, "40000", false},
        {"voltage upper 33000", Co::Voltage, Se::Upper, "33000", true},
        {"frequency change 5001", Co::Frequency, Se::Change, "5001", false},
        {"frequency change 5000", Co::Frequency, Se::Change, "5000", true},
        {"pulse lower 1000000000", Co::Pulses, Se::Lower, "1000000000", true},
        {"pulse lower 1000000001", Co::Pulses, Se::Lower, "1000000001", false},
        {"voltage timer 43200", Co::Voltage, Se::Timer, "43200", true},
        {"frequency timer 43200", Co::Frequency, Se::Timer, "43200", true},
        {"pulse timer 43200", Co::Pulses, Se::Timer, "43200", true},
        {"voltage timer 43201", Co::Voltage, Se::Timer, "43201", false},
        {"frequency timer 43201", Co::Frequency, Se::Timer, "43201", false},
        {"pulse timer 43201", Co::Pulses, Se::Timer, "43201", false},
        {"empty is 0", Co::Voltage, Se::Lower, "", true},
    };
    ThresholdRecord record;
    record.voltage = {0, 11, 22, 33, 44};
    record.frequency = {0, 11, 22, 33, 44};
    record.pulses = {0, 11, 22, 33, 44};
    for (const RangeCase& c : cases) {
        std::vector<AlarmEntry> entries = ShowAlarms(record);
        const size_t at = IndexOf(c.column, c.setting);
        const std::string before = entries[at].text;
        entries[at].text = c.text;
        const std::vector<AlarmEntry> after = ShowAlarms(ApplyAlarms(record, entries));
        EXPECT_EQ(after[at].text, c.taken ? std::to_string(std::stoll(std::string("0") + c.text)) : before) << c.name;
        for (size_t i = 0; i < after.size(); ++i) {
            if (i != at) {
                EXPECT_EQ(after[i].text, entries[i].text) << c.name << " " << i;
            }
        }
    }
}

TEST(ThresholdTableTest, SwitchesTakeTheirBoxesAndAnUnchangedRecordIsTheSame) {
    ThresholdRecord record;
    record.voltage.flags = 0x0F;
    record.frequency.flags = 0x05;
    record.pulses.flags = 0x0A;
    std::vector<AlarmEntry> entries = ShowAlarms(record);
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_TRUE(entries[IndexOf(AlarmColumn::Frequency, AlarmSetting::Change)].on);
    EXPECT_FALSE(entries[IndexOf(AlarmColumn::Frequency, AlarmSetting::Upper)].on);
    EXPECT_TRUE(entries[IndexOf(AlarmColumn::Pulses, AlarmSetting::Timer)].on);
    EXPECT_TRUE(SameAlarms(ApplyAlarms(record, entries), record));

    for (AlarmEntry& entry : entries)
        entry.on = false;
    const ThresholdRecord cleared = ApplyAlarms(record, entries);
    EXPECT_EQ(cleared.voltage.flags, 0);
    EXPECT_EQ(cleared.frequency.flags, 0);
    EXPECT_EQ(cleared.pulses.flags, 0);
    EXPECT_EQ(cleared.pulses.upper, record.pulses.upper);
    EXPECT_FALSE(SameAlarms(cleared, record));
}

TEST(ThresholdTableTest, TheTableGivesEveryEditItsLimitAndTheTitleNamesTheInput) {
    const std::pair<AlarmColumn, int> lengths[] = {
        {AlarmColumn::Voltage, 5}, {AlarmColumn::Frequency, 4}, {AlarmColumn::Pulses, 10}};
    for (auto [column, length] : lengths) {
        for (AlarmSetting setting : {AlarmSetting::Lower, AlarmSetting::Upper, AlarmSetting::Change})
            EXPECT_EQ(AlarmLimits()[IndexOf(column, setting)].maxLength, length);
        EXPECT_EQ(AlarmLimits()[IndexOf(column, AlarmSetting::Timer)].maxLength, 5);
    }
    EXPECT_EQ(AlarmTitle(2), "Установка порогов - IN2");
    EXPECT_STREQ(SettingGroup(AlarmSetting::Timer), "Порог изменения");
}

}  // namespace
