// The settings registry: every stable name finds its setting again, every
// described value belongs to exactly the group whose line carries it, and the
// hints a user sees follow from the ranges.
#include "model/registry.h"

#include "model/dataserver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Every setting of every member the record holds.
std::vector<SettingRef> EverySetting() {
    DeviceTypeRecord most;
    most.capsIo = (1u << 16) | (kInputs << 17) | (1u << 24) | (kOutputs << 25);
    most.capsSensors = 0x2u | (kThermometers << 3);
    std::vector<SettingRef> settings;
    for (const GroupDesc* group : Groups())
        for (int n = FirstMember(*group); n <= LastMember(*group, most); ++n)
            for (const FieldDesc& field : group->fields)
                settings.push_back({{group, n}, &field});
    return settings;
}

TEST(Registry, EveryNameIsUniqueAndFindsItsSetting) {
    std::set<std::string> names;
    for (const SettingRef& setting : EverySetting()) {
        const std::string name = setting.Name();
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        const std::optional<SettingRef> found = FindSetting(name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(*found, setting) << name;
    }
    for (const char* name : {"server1.port", "apn1.name", "in2.mode", "mode", "lls0.address", "prset11.word7"})
        EXPECT_TRUE(names.count(name)) << name;
    for (const char* bad : {"server3.port", "server1.nothing", "in9.mode", "lls5.on", "", "mode.value", "server.port"})
        EXPECT_FALSE(FindSetting(bad)) << bad;
}

// A page that changed a value marks the group whose line carries it: a wrong
// place in a field table would mark (and write) another group.
TEST(Registry, EveryValueBelongsToTheGroupThatDescribesIt) {
    for (const SettingRef& setting : EverySetting()) {
        const std::optional<GroupRef> group = GroupOfValue(setting.Item(), setting.field->place.offset);
        ASSERT_TRUE(group) << setting.Name();
        EXPECT_EQ(*group, setting.group) << setting.Name();
        EXPECT_LE(size_t{setting.field->place.offset} + setting.field->place.size,
                  CDataServer::ItemSize(setting.Item()))
            << setting.Name() << " lies outside its item";
    }
    EXPECT_EQ(GroupOfValue(DI_PRSET_1, offsetof(ProtocolSetRecord, set) + 2 * 8)->group, &Group::kPrset11);
}

TEST(Registry, KeywordsFindTheirMembers) {
    struct Case {
        const char* keyword;
        const GroupDesc* group;
        int number;
    };
    const Case cases[] = {{"SERVER2", &Group::kServer, 2},    {"in8", &Group::kIn, 8},
                          {"LLS0", &Group::kLls232, 0},       {"LLS4", &Group::kLls485, 4},
                          {"PRSET11", &Group::kPrset11, 0},   {"MODE", &Group::kMode, 0},
                          {"WIFINET10", &Group::kWifiNet, 10}};
    for (const Case& c : cases) {
        const std::optional<GroupRef> group = FindGroup(c.keyword);
        ASSERT_TRUE(group) << c.keyword;
        EXPECT_EQ(group->group, c.group) << c.keyword;
        EXPECT_EQ(group->number, c.number) << c.keyword;
        EXPECT_EQ(FindGroup(group->Keyword()), group) << c.keyword;
    }
    for (const char* bad : {"SERVER0", "SERVER3", "IN0", "IN9", "WIFINET11", "LLS5", "SERVERX", "PRSET12"})
        EXPECT_FALSE(FindGroup(bad)) << bad;
}

TEST(Registry, HintsFollowFromTheDescriptions) {
    EXPECT_EQ(FieldHint(*FindSetting("server1.port")->field), "Порт: 1–65535");
    EXPECT_EQ(FieldHint(*FindSetting("apn1.name")->field), "Имя: не более 20 знаков");
    EXPECT_EQ(FieldHint(*FindSetting("msens.motion")->field), "Движение: 1–2000 ×16 мг");
    EXPECT_EQ(FieldRange(*FindSetting("server1.p5")->field), (std::pair<int64_t, int64_t>{0, 255}));
    EXPECT_EQ(FieldRange(*FindSetting("intrshd1.pulses.upper")->field), (std::pair<int64_t, int64_t>{0, 4294967295}));
    EXPECT_EQ(FieldRange(*FindSetting("tsens.lower")->field), (std::pair<int64_t, int64_t>{-40, 85}));
}

}  // namespace
