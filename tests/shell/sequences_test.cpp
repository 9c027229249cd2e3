// The step tables against a scripted device: which groups each device type is
// asked for, in which order, and what the sequences change in the record.
#include "shell/sequences.h"

#include "model/dataserver.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Answers HWCFG with a type record and SERVER / WIFINET with counts, and
// records "KEYWORD" or "KEYWORD;PARAMETER" for every request.
struct ScriptedDevice {
    DeviceTypeRecord caps;
    uint8_t servers = 2;
    uint8_t wifiNets = 10;
    RequestType expectedType = RequestType::Read;
    std::vector<std::string> sent;

    SendFn Sender(CDataServer& data) {
        return [this, &data](RequestType type, const char* keyword, const char* parameter) {
            EXPECT_EQ(type, expectedType) << keyword;
            std::string line = keyword;
            if (parameter)
                line += std::string(";") + parameter;
            sent.push_back(line);
            if (line == "HWCFG")
                data.Set(DI_DEV_TYPE, caps);
            if (line == "SERVER")
                data.Set(DI_SERVER_COUNT, servers);
            if (line == "WIFINET")
                data.Set(DI_WIFINET_COUNT, wifiNets);
            return static_cast<int>(kResultOk);
        };
    }
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

DeviceTypeRecord Row(int type) { return LookupModel(type).caps; }

std::vector<std::string> ReadAll(ScriptedDevice& device) {
    CDataServer data;
    RunReadAll(data, device.Sender(data));
    return device.sent;
}

TEST(ReadAll, Type11AsksEveryGroupWithFourThermometers) {
    ScriptedDevice device{Row(11)};
    const std::vector<std::string> expected = {
        "HWCFG",        "VER",         "BOOTVER",     "DEV",         "PASS",        "DATE",        "MODE",
        "LOG",          "REP",         "STATIST;GET", "GNSS",        "GSM",         "SMS",         "SMS1;GET",
        "SMS2;GET",     "SMS3;GET",    "PHONE",       "PHONE1;GET",  "PHONE2;GET",  "PHONE3;GET",  "SIMS",
        "SIM1",         "APN1",        "SIM2",        "APN2",        "WIFI",        "WIFINET",     "WIFINET1;GET",
        "WIFINET2;GET", "FILTER",      "SERVER",      "SERVER1;GET", "SERVER2;GET", "IGN",         "SOS",
        "IN1",          "IN2",         "IN3",         "IN4",         "IN5",         "IN6",         "IN7",
        "IN8",          "INTRSHD1",    "INTRSHD2",    "INTRSHD3",    "INTRSHD4",    "INTRSHD5",    "INTRSHD6",
        "INTRSHD7",     "INTRSHD8",    "OUT1",        "OUT2",        "OUT3",        "OUT4",        "RS232",
        "LLS",          "LLS0;GET",    "RS485",       "LLS",         "LLS1;GET",    "LLS2;GET",    "LLS3;GET",
        "LLS4;GET",     "MSENS;GET",   "TILT;GET",    "TSENS;GET",   "THERMOID",    "THERMO1;GET", "THERMO2;GET",
        "THERMO3;GET",  "THERMO4;GET", "PRSET10;GET", "PRSET11;GET"};
    EXPECT_EQ(ReadAll(device), expected);
}

// Groups that must or must not be asked for, per device.
struct GateCase {
    const char* name;
    DeviceTypeRecord caps;
    std::vector<std::string> asked;
    std::vector<std::string> notAsked;
};

DeviceTypeRecord InputsWithoutCount() {
    DeviceTypeRecord caps = Row(11);
    caps.type = 99;
    caps.capsIo = (1u << 16) | (1u << 24);  // presence bits, counts 0
    return caps;
}

class ReadAllGates : public testing::TestWithParam<GateCase> {};

TEST_P(ReadAllGates, AsksOnlyWhatTheTypeHas) {
    ScriptedDevice device{GetParam().caps};
    const std::vector<std::string> sent = ReadAll(device);
    for (const std::string& line : GetParam().asked)
        EXPECT_TRUE(Has(sent, line)) << line;
    for (const std::string& line : GetParam().notAsked)
        EXPECT_FALSE(Has(sent, line)) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReadAllGates,
    testing::Values(
        GateCase{"type20",
                 Row(20),
                 {"RS232B", "RS485A", "THERMO1;GET", "IN8", "OUT4", "GSM"},
                 {"RS232", "RS485", "THERMO2;GET", "SIM2", "APN2"}},
        GateCase{"type3NoGsm",
                 Row(3),
                 {"WIFI", "IN4", "OUT2", "RS485", "THERMO2;GET"},
                 {"GSM", "SMS", "SMS1;GET", "PHONE", "PHONE1;GET", "SIMS", "SIM1", "APN1", "SIM2", "APN2", "RS232",
                  "THERMO3;GET"}},
        GateCase{"type41NoIo",
                 Row(41),
                 {"GSM", "SIM2", "MSENS;GET"},
                 {"IGN", "SOS", "IN1", "INTRSHD1", "OUT1", "RS232", "RS485", "THERMOID", "WIFI"}},
        GateCase{"inputsPresentCountZero", InputsWithoutCount(), {"GSM"}, {"IGN", "SOS", "IN1", "INTRSHD1", "OUT1"}},
        GateCase{"type9EightThermometers", Row(9), {"THERMO4;GET"}, {"THERMO5;GET", "THERMO8;GET"}}),
    [](const testing::TestParamInfo<GateCase>& param) { return param.param.name; });

TEST(ReadAll, NoServersRestoresBothServerRecordsAndSkipsServer1) {
    CDataServer data;
    ServerRecord edited;
    std::snprintf(edited.ip, sizeof edited.ip, "10.0.0.1");
    edited.p1 = 7;
    data.Set(DI_SERVER_1, edited);
    data.Set(DI_SERVER_1 + 1, edited);
    ScriptedDevice device{Row(11)};
    device.servers = 0;
    RunReadAll(data, device.Sender(data));
    EXPECT_FALSE(Has(device.sent, "SERVER1;GET"));
    for (int item : {ItemBase::Server + 1, ItemBase::Server + 2}) {
        ServerRecord server;
        data.Get(item, server);
        EXPECT_STREQ(server.ip, "");
        EXPECT_EQ(server.p1, 120);
        EXPECT_EQ(server.p3, 240);
        EXPECT_EQ(server.p5, 1);
    }
}

TEST(ReadAll, NoWifiNetworksSkipsWifinet1) {
    ScriptedDevice device{Row(11)};
    device.wifiNets = 0;
    const std::vector<std::string> sent = ReadAll(device);
    EXPECT_TRUE(Has(sent, "WIFINET"));
    EXPECT_FALSE(Has(sent, "WIFINET1;GET"));
}

std::vector<std::string> WriteAll(DeviceTypeRecord caps) {
    CDataServer data;
    data.Set(DI_DEV_TYPE, caps);
    ScriptedDevice device{caps};
    device.expectedType = RequestType::Write;
    RunWriteAll(data, device.Sender(data));
    return device.sent;
}

TEST(WriteAll, Type11WritesEveryWritableGroupWithFourThermometers) {
    const std::vector<std::string> expected = {
        "DEV",         "DATE",        "MODE",       "LOG",       "SMS1;SET",     "SMS2;SET",    "SMS3;SET",
        "PHONE1;SET",  "PHONE2;SET",  "PHONE3;SET", "APN1",      "WIFINET1;SET", "FILTER",      "SERVER1;SET",
        "IGN",         "SOS",         "IN1",        "IN2",       "IN3",          "IN4",         "IN5",
        "IN6",         "IN7",         "IN8",        "INTRSHD1",  "INTRSHD2",     "INTRSHD3",    "INTRSHD4",
        "INTRSHD5",    "INTRSHD6",    "INTRSHD7",   "INTRSHD8",  "OUT1",         "OUT2",        "OUT3",
        "OUT4",        "RS232",       "LLS0;SET",   "RS485",     "LLS1;SET",     "LLS2;SET",    "LLS3;SET",
        "LLS4;SET",    "MSENS;SET",   "TILT;SET",   "TSENS;SET", "THERMO1;SET",  "THERMO2;SET", "THERMO3;SET",
        "THERMO4;SET", "PRSET10;SET", "PRSET11;SET"};
    EXPECT_EQ(WriteAll(Row(11)), expected);
}

TEST(WriteAll, Type20WritesPlainSerialNamesAndType3NoGsm) {
    const std::vector<std::string> type20 = WriteAll(Row(20));
    EXPECT_TRUE(Has(type20, "RS232") && Has(type20, "RS485"));
    EXPECT_FALSE(Has(type20, "RS232B") || Has(type20, "RS485A"));
    const std::vector<std::string> type3 = WriteAll(Row(3));
    for (const char* line : {"SMS1;SET", "PHONE1;SET", "APN1"})
        EXPECT_FALSE(Has(type3, line)) << line;
}

TEST(WriteAll, DateCarriesTheComputersClockAndKeepsZoneAndFlags) {
    CDataServer data;
    data.Set(DI_DEV_TYPE, Row(11));
    const DateOptions options{5, -3};
    data.Set(DI_DATE_OPTIONS, options);
    DateTime sentClock;
    std::time_t before = std::time(nullptr);
    RunWriteAll(data, [&](RequestType, const char* keyword, const char*) {
        if (std::string(keyword) == "DATE")
            data.Get(DI_DEVICE_TIME, sentClock);
        return static_cast<int>(kResultOk);
    });
    std::tm local{};
    localtime_r(&before, &local);
    EXPECT_EQ(sentClock.day, local.tm_mday);
    EXPECT_EQ(sentClock.month, local.tm_mon + 1);
    EXPECT_EQ(sentClock.year, local.tm_year % 100);
    const int sentSeconds = sentClock.hour * 3600 + sentClock.minute * 60 + sentClock.second;
    const int nowSeconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_LE(std::abs(sentSeconds - nowSeconds), 2);
    DateOptions kept;
    data.Get(DI_DATE_OPTIONS, kept);
    EXPECT_EQ(kept.flags, 5);
    EXPECT_EQ(kept.zone, -3);
}

TEST(RunSequence, StopsWhenTheCallerSaysSo) {
    CDataServer data;
    data.Set(DI_DEV_TYPE, Row(11));
    std::vector<std::string> sent;
    const int count = RunPoll(
        PageCode::Info, data,
        [&](RequestType, const char* keyword, const char*) {
            sent.push_back(keyword);
            return static_cast<int>(kResultNoAnswer);
        },
        [](int result) { return result == kResultNoAnswer; });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(sent, std::vector<std::string>{"STATIST"});
}

}  // namespace
