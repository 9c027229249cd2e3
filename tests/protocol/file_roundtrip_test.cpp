// Every group the settings file saves, for every device type: a record with
// varied values is written as a file line and read back into a fresh record.
// What the line format cannot carry is named below as a loss; everything else
// must come back unchanged.
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Items as named members, so losses can name what they exclude.

using Members = std::map<std::string, std::string>;

template <class T>
concept Arithmetic = std::is_arithmetic_v<T>;

std::string S(Arithmetic auto v) { return std::to_string(v); }
std::string S(const char* text) { return std::string("\"") + text + "\""; }
std::string Hex(unsigned v) {
    char b[12];
    std::snprintf(b, sizeof b, "0x%X", v);
    return b;
}

Members Dump(const DeviceTypeRecord& r) {
    return {{"type", S(r.type)},
            {"capsComm", Hex(r.capsComm)},
            {"capsIo", Hex(r.capsIo)},
            {"capsPeriph", Hex(r.capsPeriph)},
            {"capsSensors", Hex(r.capsSensors)}};
}
Members Dump(const PasswordRecord& r) {
    return {{"flags", S(r.flags)}, {"current", S(r.current)}, {"next", S(r.next)}};
}
Members Dump(const AccessPointRecord& r) {
    return {{"apn", S(r.apn)},
            {"login", S(r.login)},
            {"password", S(r.password)},
            {"balanceCode", S(r.balanceCode)},
            {"serviceCode", S(r.serviceCode)},
            {"simString", S(r.simString)}};
}
Members Dump(const CellRecord& r) {
    return {{"mcc", S(r.mcc)}, {"mnc", S(r.mnc)}, {"lac", S(r.lac)}, {"cid", S(r.cid)}};
}
Members Dump(const WifiNetworkRecord& r) {
    return {{"flags", S(r.flags)}, {"n1", S(r.n1)},           {"ssid", S(r.ssid)}, {"n2", S(r.n2)},
            {"n3", S(r.n3)},       {"key", S(r.key)},         {"n4", S(r.n4)},     {"ip", S(r.ip)},
            {"mask", S(r.mask)},   {"gateway", S(r.gateway)}, {"dns1", S(r.dns1)}, {"dns2", S(r.dns2)}};
}
Members Dump(const ServerRecord& r) {
    return {{"flags", S(r.flags)}, {"protocol", S(r.protocol)},
            {"ip", S(r.ip)},       {"port", S(r.port)},
            {"login", S(r.login)}, {"password", S(r.password)},
            {"p1", S(r.p1)},       {"p2", S(r.p2)},
            {"p3", S(r.p3)},       {"p4", S(r.p4)},
            {"p5", S(r.p5)},       {"p6", S(r.p6)},
            {"p7", S(r.p7)},       {"lastOn", S(r.lastOn)}};
}
Members Dump(const TrackFilterRecord& r) {
    return {{"flags(1-4)", Hex(r.flags & 0x1Eu)},
            {"flags(other)", Hex(r.flags & ~0x1Eu & 0xFFFFu)},
            {"angle", S(r.angle)},
            {"minSpeed", S(r.minSpeed)},
            {"fourth", S(r.fourth)},
            {"distance", S(r.distance)},
            {"w", S(r.w)},
            {"timeMoving", S(r.timeMoving)},
            {"timeRest", S(r.timeRest)}};
}
void DumpBounds(Members& m, const LevelBounds& b) {
    m["upper1"] = S(b.upper1);
    m["lower1"] = S(b.lower1);
    m["upper0"] = S(b.upper0);
    m["lower0"] = S(b.lower0);
}
Members Dump(const IgnitionRecord& r) {
    Members m{{"source", S(r.source)}};
    DumpBounds(m, r.bounds);
    return m;
}
Members Dump(const AlarmRecord& r) {
    Members m{{"source", S(r.source)}, {"level", S(r.level)}};
    DumpBounds(m, r.bounds);
    return m;
}
Members Dump(const InputRecord& r) {
    Members m{{"mode", S(r.mode)},
              {"analogFilter", S(r.analogFilter)},
              {"freqFilter", S(r.freqFilter)},
              {"pulseFilter", S(r.pulseFilter)},
              {"c", S(r.c)},
              {"d", S(r.d)},
              {"e", S(r.e)},
              {"lastValue", S(r.lastValue)},
              {"value0", S(r.value0)},
              {"value1", S(r.value1)},
              {"value2", S(r.value2)},
              {"value3", S(r.value3)}};
    DumpBounds(m, r.bounds);
    return m;
}
template <class Set> void DumpSet(Members& m, const char* name, const Set& s) {
    const std::string p = std::string(name) + ".";
    m[p + "flags"] = S(s.flags);
    m[p + "lower"] = S(s.lower);
    m[p + "upper"] = S(s.upper);
    m[p + "change"] = S(s.change);
    m[p + "timer"] = S(s.timer);
}
Members Dump(const ThresholdRecord& r) {
    Members m;
    DumpSet(m, "voltage", r.voltage);
    DumpSet(m, "frequency", r.frequency);
    DumpSet(m, "pulses", r.pulses);
    return m;
}
Members Dump(const OutputRecord& r) {
    return {{"mode", S(r.mode)}, {"param0", S(r.param0)}, {"param1", S(r.param1)},      {"param2", S(r.param2)},
            {"f", S(r.f)},       {"g", S(r.g)},           {"liveState", S(r.liveState)}};
}
Members Dump(const SerialInterfaceRecord& r) {
    Members m;
    for (int i = 0; i < 6; ++i)
        m["R" + S(i)] = S(r.r[i]);
    return m;
}
Members Dump(const FuelSensorRecord& r) {
    return {{"flags(0)", S(r.flags & 1)},
            {"flags(other)", Hex(r.flags & 0xFEu)},
            {"address", S(r.address)},
            {"addressCopy", S(r.addressCopy)},
            {"s", S(r.s)},
            {"liveFlags", S(r.liveFlags)},
            {"level", S(r.level)},
            {"t", S(r.t)},
            {"volume", S(r.volume)},
            {"u", S(r.u)}};
}
Members Dump(const ThermometerRecord& r) {
    return {{"liveFlags", S(r.liveFlags)},
            {"temperature", S(r.temperature)},
            {"flags(0)", S(r.flags & 1)},
            {"flags(other)", Hex(r.flags & 0xFEu)},
            {"id", S(r.id)},
            {"v", S(r.v)},
            {"lower", S(r.lower)},
            {"upper", S(r.upper)}};
}
Members Dump(const MotionSensorConfig& r) {
    return {{"flags(0-4)", Hex(r.flags & 0x1Fu)},
            {"flags(other)", Hex(r.flags & 0xE0u)},
            {"motion", S(r.motion)},
            {"shock", S(r.shock)}};
}
Members Dump(const TiltConfig& r) {
    return {{"flags(0)", S(r.flags & 1)},
            {"flags(other)", Hex(r.flags & 0xFEu)},
            {"angle", S(r.angle)},
            {"value", S(r.value)}};
}
Members Dump(const TempSensorConfig& r) {
    return {{"flags(0)", S(r.flags & 1)},
            {"flags(other)", Hex(r.flags & 0xFEu)},
            {"lower", S(r.lower)},
            {"upper", S(r.upper)}};
}
Members Dump(const ProtocolSetRecord& r) {
    Members m;
    for (int s = 0; s < 2; ++s)
        for (int w = 0; w < 8; ++w)
            m["set" + S(s) + "[" + S(w) + "]"] = Hex(r.set[s][w]);
    return m;
}

template <class T> Members DumpItem(CDataServer& d, int item) {
    T value{};
    d.Get(item, value);
    return Dump(value);
}
template <class T> Members DumpNumber(CDataServer& d, int item) {
    T value{};
    d.Get(item, value);
    return {{"value", S(value)}};
}
Members DumpText(CDataServer& d, int item) {
    char text[64] = {};
    d.Get(item, text, CDataServer::ItemSize(item));
    return {{"text", S(text)}};
}

bool InFamily(int item, int base, int count) { return item > base && item <= base + count; }

Members DumpAny(CDataServer& d, int item) {
    switch (item) {
    case DI_DEV_TYPE: return DumpItem<DeviceTypeRecord>(d, item);
    case DI_PASSWORD: return DumpItem<PasswordRecord>(d, item);
    case DI_MODE:
    case DI_SIM_CONTROL: return DumpNumber<int32_t>(d, item);
    case DI_STATUS_FLAGS: return DumpNumber<uint16_t>(d, item);
    case DI_GSM_STATE:
    case DI_RSSI:
    case DI_WIFI_FLAGS:
    case DI_WIFI_VALUE: return DumpNumber<uint8_t>(d, item);
    case DI_BALANCE: return DumpNumber<int16_t>(d, item);
    case DI_CELL: return DumpItem<CellRecord>(d, item);
    case DI_APN_1:
    case DI_APN_2: return DumpItem<AccessPointRecord>(d, item);
    case DI_TRACK_FILTER: return DumpItem<TrackFilterRecord>(d, item);
    case DI_IGN: return DumpItem<IgnitionRecord>(d, item);
    case DI_SOS: return DumpItem<AlarmRecord>(d, item);
    case DI_RS232:
    case DI_RS485: return DumpItem<SerialInterfaceRecord>(d, item);
    case DI_MSENS_CONFIG: return DumpItem<MotionSensorConfig>(d, item);
    case DI_TILT_CONFIG: return DumpItem<TiltConfig>(d, item);
    case DI_TSENS_CONFIG: return DumpItem<TempSensorConfig>(d, item);
    default: break;
    }
    if (InFamily(item, ItemBase::Input, kInputs))
        return DumpItem<InputRecord>(d, item);
    if (InFamily(item, ItemBase::Threshold, kInputs))
        return DumpItem<ThresholdRecord>(d, item);
    if (InFamily(item, ItemBase::Output, kOutputs))
        return DumpItem<OutputRecord>(d, item);
    if (InFamily(item, ItemBase::FuelSensor - 1, kFuelSensors))
        return DumpItem<FuelSensorRecord>(d, item);
    if (InFamily(item, ItemBase::Thermometer, kThermometers))
        return DumpItem<ThermometerRecord>(d, item);
    if (InFamily(item, ItemBase::ProtocolSet, kProtocolSets))
        return DumpItem<ProtocolSetRecord>(d, item);
    if (InFamily(item, ItemBase::WifiNet, kWifiNets))
        return DumpItem<WifiNetworkRecord>(d, item);
    if (InFamily(item, ItemBase::Server, kServers))
        return DumpItem<ServerRecord>(d, item);
    return DumpText(d, item);  // the text items: names, numbers, serial, IMEI, MAC
}

// ---------------------------------------------------------------------------
// Varied values: none is a default, each fits its field's width on the line.

template <size_t N> void Text(char (&dst)[N], const char* src) { CopyField(dst, src); }

void SetText(CDataServer& d, int item, const char* text) {
    char buffer[64];
    CopyField(buffer, text);
    d.Set(item, buffer, CDataServer::ItemSize(item));
}

void VaryIdentity(CDataServer& d) {
    SetText(d, DI_DEVICE_NAME, "Tr-17");
    SetText(d, DI_DEVICE_ID, "4711");
    SetText(d, DI_SERIAL, "00A5C3F100000000");
    PasswordRecord p;
    p.flags = 1;
    Text(p.current, "5550");
    d.Set(DI_PASSWORD, p);
    d.Set(DI_MODE, int32_t{4});
    d.Set(DI_STATUS_FLAGS, uint16_t{0x00A1});
}

void VaryGsm(CDataServer& d) {
    d.Set(DI_GSM_STATE, uint8_t{0x0C});
    SetText(d, DI_IMEI, "861234567890123");
    d.Set(DI_RSSI, uint8_t{21});
    d.Set(DI_BALANCE, int16_t{-15});
    d.Set(DI_CELL, CellRecord{250, 1, 7700, 12345});
    for (int n = 1; n <= kPhones; ++n) {
        SetText(d, ItemBase::Phone + n, ("+7916000001" + S(n)).c_str());
        SetText(d, ItemBase::Sms + n, ("+7916000002" + S(n)).c_str());
    }
    d.Set(DI_SIM_CONTROL, int32_t{4});
    for (int sim = 0; sim < 2; ++sim) {
        AccessPointRecord ap;
        Text(ap.apn, sim ? "iot.second" : "m2m.orvena");
        Text(ap.login, sim ? "user2" : "user1");
        Text(ap.password, sim ? "pw2" : "pw1");
        Text(ap.balanceCode, sim ? "*106#" : "*105#");
        Text(ap.serviceCode, sim ? "333*2#" : "222*1#");
        Text(ap.simString, sim ? "89702020" : "89701010");
        d.Set(DI_APN_1 + sim, ap);
    }
}

void VaryWifi(CDataServer& d) {
    d.Set(DI_WIFI_FLAGS, uint8_t{3});
    SetText(d, DI_WIFI_MAC, "AA:BB:CC:DD:EE:FF");
    d.Set(DI_WIFI_VALUE, uint8_t{7});
    WifiNetworkRecord w;
    w.flags = 0;
    w.n1 = 3;
    Text(w.ssid, "Depot-5G");
    w.n2 = 200;
    w.n3 = 2;
    Text(w.key, "s3cr3t-key");
    w.n4 = 0;
    Text(w.ip, "192.168.001.010");
    Text(w.mask, "255.255.255.000");
    Text(w.gateway, "192.168.001.001");
    Text(w.dns1, "008.008.008.008");
    Text(w.dns2, "001.001.001.001");
    d.Set(DI_WIFINET_1, w);
}

void VaryTracking(CDataServer& d) {
    d.Set(DI_TRACK_FILTER, TrackFilterRecord{0x0A0A, 15, 5, 30, 250, 3, 10, 600});
    ServerRecord s;
    s.flags = 0x01;
    s.protocol = 0x05;
    Text(s.ip, "010.020.030.040");
    Text(s.port, "20100");
    Text(s.login, "tracker");
    Text(s.password, "pwd");
    s.p1 = 60;
    s.p2 = 5;
    s.p3 = 120;
    s.p4 = 15;
    s.p5 = 2;
    s.p6 = 3;
    s.p7 = 4;
    s.lastOn = 1;
    d.Set(DI_SERVER_1, s);
}

void VaryInputs(CDataServer& d) {
    d.Set(DI_IGN, IgnitionRecord{3, {31000, 9000, 7000, 100}});
    d.Set(DI_SOS, AlarmRecord{2, 0, {32000, 4000, 2500, 50}});
    for (int n = 1; n <= kInputs; ++n) {
        InputRecord in;
        in.mode = n % 4;
        in.analogFilter = static_cast<uint8_t>(2 + n);
        in.freqFilter = 9;
        in.pulseFilter = static_cast<uint8_t>(60 + n);
        in.bounds = {static_cast<uint16_t>(30000 + n), 9000, 7000, 100};
        in.c = 5 + n;
        in.d = 2;
        in.e = 7;
        in.lastValue = 11;
        in.value0 = 1;
        in.value1 = 12;
        in.value2 = 13;
        in.value3 = 14;
        d.Set(ItemBase::Input + n, in);
        ThresholdRecord t;
        t.voltage = {0x05, 100, 30000, 500, static_cast<uint16_t>(30 + n)};
        t.frequency = {0x0A, 10, 4000, 100, 90};
        t.pulses = {0x0F, 5, 4000000000u, 1000, 120};
        d.Set(ItemBase::Threshold + n, t);
    }
}

void VaryOutputs(CDataServer& d) {
    for (int n = 1; n <= kOutputs; ++n) {
        OutputRecord o;
        o.mode = n % 3;
        o.param0 = 1;
        o.param1 = static_cast<uint16_t>(40 + n);
        o.param2 = 150;
        o.f = 6;
        o.g = 7;
        o.liveState = 1;
        d.Set(ItemBase::Output + n, o);
    }
}

void VarySensors(CDataServer& d) {
    d.Set(DI_RS232, SerialInterfaceRecord{{5, 2, 57600, 1, 4, 2}});
    d.Set(DI_RS485, SerialInterfaceRecord{{6, 3, 9600, 2, 5, 1}});
    for (int n = 0; n < kFuelSensors; ++n) {
        FuelSensorRecord s;
        s.flags = static_cast<uint8_t>(n % 2 ? 0x00 : 0x81);
        s.address = static_cast<uint8_t>(10 + n);
        s.addressCopy = 77;
        s.s = 9;
        s.liveFlags = 2;
        s.level = 300;
        s.t = 4;
        s.volume = 500;
        s.u = 6;
        d.Set(ItemBase::FuelSensor + n, s);
    }
    for (int n = 1; n <= kThermometers; ++n) {
        ThermometerRecord t;
        t.flags = static_cast<uint8_t>(n % 2 ? 0x00 : 0x81);
        t.id = 0xA1B2C3D4E500ull + static_cast<uint64_t>(n);
        t.v = 3;
        t.lower = -30;
        t.upper = 70;
        t.liveFlags = 3;
        t.temperature = 21;
        d.Set(ItemBase::Thermometer + n, t);
    }
    d.Set(DI_MSENS_CONFIG, MotionSensorConfig{0xEA, 12, 200});
    d.Set(DI_TILT_CONFIG, TiltConfig{0xF0, 45, 2});
    d.Set(DI_TSENS_CONFIG, TempSensorConfig{0x80, -10, 55});
    ProtocolSetRecord p;
    for (int w = 0; w < 8; ++w) {
        p.set[0][w] = static_cast<uint16_t>(0x1111 * (w + 1));
        p.set[1][w] = static_cast<uint16_t>(0xF0F0 ^ w);
    }
    d.Set(DI_PRSET_1, p);
}

void Vary(CDataServer& d) {
    VaryIdentity(d);
    VaryGsm(d);
    VaryWifi(d);
    VaryTracking(d);
    VaryInputs(d);
    VaryOutputs(d);
    VarySensors(d);
}

// ---------------------------------------------------------------------------
// The settings file's entries, with their capability gates.

struct ItemRef {
    int base;
    bool indexed;  // item = base + member number
    int At(int n) const { return indexed ? base + n : base; }
};

struct Loss {
    ItemRef item;
    std::string member;  // "*" for the whole item
    const char* reason;
};

using Gate = int (*)(const DeviceTypeRecord&);  // number of members present

int Always(const DeviceTypeRecord&) { return 1; }
template <bool (*Has)(const DeviceTypeRecord&), int N = 1> int When(const DeviceTypeRecord& r) {
    return Has(r) ? N : 0;
}
int Phones(const DeviceTypeRecord& r) { return Caps::Gsm(r) ? kPhones : 0; }
int Inputs(const DeviceTypeRecord& r) { return Caps::Inputs(r); }
int InputGroup(const DeviceTypeRecord& r) { return Caps::Inputs(r) > 0 ? 1 : 0; }
int Outputs(const DeviceTypeRecord& r) { return Caps::Outputs(r); }
// The record holds four thermometers; devices that report more save four.
int Thermometers(const DeviceTypeRecord& r) {
    const int n = Caps::ThermometerCount(r);
    return n < kThermometers ? n : kThermometers;
}

struct Entry {
    const char* keyword;  // "%d" takes the member number
    const char* parameter;
    Gate members;
    int first;      // number of the first member
    bool writable;  // false: the keyword has no write form, the entry is never in the file
    std::vector<ItemRef> items;
    std::vector<Loss> losses;
};

constexpr ItemRef I(int item) { return {item, false}; }
constexpr ItemRef F(int base) { return {base, true}; }

const char* const kLive = "live value; the write form carries no live data";
const char* const kReadOnly = "read-only keyword: no write form, so the file has no line for it";

std::vector<Loss> WholeItems(std::initializer_list<int> items) {
    std::vector<Loss> losses;
    for (int item : items)
        losses.push_back({I(item), "*", kReadOnly});
    return losses;
}

// The fuel sensor line carries the in-use bit, one address and S.
std::vector<Loss> SensorLosses() {
    const ItemRef s = F(ItemBase::FuelSensor);
    std::vector<Loss> losses = {{s, "addressCopy", "the line carries one address"},
                                {s, "flags(other)", "the line carries the in-use bit only"}};
    for (const char* m : {"liveFlags", "level", "t", "volume", "u"})
        losses.push_back({s, m, kLive});
    return losses;
}

// Each protocol set line carries one of the item's two sets.
std::vector<Loss> OtherSet(int set) {
    std::vector<Loss> losses;
    for (int w = 0; w < 8; ++w) {
        losses.push_back({I(DI_PRSET_1), "set" + S(set) + "[" + S(w) + "]", "the other set has a line of its own"});
    }
    return losses;
}

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {"HWCFG",
         "",
         Always,
         1,
         true,
         {I(DI_DEV_TYPE), I(DI_MODEL_NAME), I(DI_SERIAL)},
         {{I(DI_SERIAL), "*", "the write form carries only the type number"}}},
        {"DEV", "", Always, 1, true, {I(DI_DEVICE_NAME), I(DI_DEVICE_ID)}, {}},
        {"PASS",
         "",
         Always,
         1,
         true,
         {I(DI_PASSWORD)},
         {{I(DI_PASSWORD), "flags",
           "bit 0 is read back by the reply rules: field 2 (the new password) is the protection "
           "switch, so it changes only for a new password of exactly \"0\" or \"1\""},
          {I(DI_PASSWORD), "next", "the reply rules take no new password"}}},
        {"MODE", "", Always, 1, true, {I(DI_MODE), I(DI_STATUS_FLAGS)}, {{I(DI_STATUS_FLAGS), "*", kLive}}},
        {"GSM",
         "",
         When<Caps::Gsm>,
         1,
         false,
         {I(DI_GSM_STATE), I(DI_IMEI), I(DI_RSSI), I(DI_BALANCE), I(DI_CELL)},
         WholeItems({DI_GSM_STATE, DI_IMEI, DI_RSSI, DI_BALANCE, DI_CELL})},
        {"SMS%d", "SET", Phones, 1, true, {F(ItemBase::Sms)}, {}},
        {"PHONE%d", "SET", Phones, 1, true, {F(ItemBase::Phone)}, {}},
        {"SIMS", "", When<Caps::Gsm>, 1, true, {I(DI_SIM_CONTROL)}, {}},
        {"SIM1", "", When<Caps::Gsm>, 1, false, {I(DI_APN_1)}, WholeItems({DI_APN_1})},
        {"APN1",
         "",
         When<Caps::Gsm>,
         1,
         true,
         {I(DI_APN_1)},
         {{I(DI_APN_1), "balanceCode", "reported by SIM1 only, which has no write form"},
          {I(DI_APN_1), "serviceCode", "reported by SIM1 only, which has no write form"},
          {I(DI_APN_1), "simString", "reported by SIM1 only, which has no write form"}}},
        {"SIM2", "", When<Caps::SecondSim>, 1, false, {I(DI_APN_2)}, WholeItems({DI_APN_2})},
        {"APN2",
         "",
         When<Caps::SecondSim>,
         1,
         true,
         {I(DI_APN_2)},
         {{I(DI_APN_2), "balanceCode", "reported by SIM2 only, which has no write form"},
          {I(DI_APN_2), "serviceCode", "reported by SIM2 only, which has no write form"},
          {I(DI_APN_2), "simString", "reported by SIM2 only, which has no write form"}}},
        {"WIFI",
         "",
         When<Caps::Wifi>,
         1,
         false,
         {I(DI_WIFI_FLAGS), I(DI_WIFI_MAC), I(DI_WIFI_VALUE)},
         WholeItems({DI_WIFI_FLAGS, DI_WIFI_MAC, DI_WIFI_VALUE})},
        {"WIFINET1",
         "SET",
         When<Caps::Wifi>,
         1,
         true,
         {I(DI_WIFINET_1)},
         {{I(DI_WIFINET_1), "flags", "not in the line; reading a network marks it received (bit 0)"}}},
        {"FILTER",
         "",
         Always,
         1,
         true,
         {I(DI_TRACK_FILTER)},
         {{I(DI_TRACK_FILTER), "flags(other)", "the line carries only the four filter enable bits 1-4"}}},
        {"SERVER1", "SET", Always, 1, true, {I(DI_SERVER_1)}, {}},
        {"IGN", "", InputGroup, 1, true, {I(DI_IGN)}, {}},
        {"SOS", "", InputGroup, 1, true, {I(DI_SOS)}, {}},
        {"IN%d",
         "",
         Inputs,
         1,
         true,
         {F(ItemBase::Input)},
         {{F(ItemBase::Input), "freqFilter", "the input line has no frequency filter field"},
          {F(ItemBase::Input), "lastValue", kLive},
          {F(ItemBase::Input), "value0", kLive},
          {F(ItemBase::Input), "value1", kLive},
          {F(ItemBase::Input), "value2", kLive},
          {F(ItemBase::Input), "value3", kLive}}},
        {"INTRSHD%d", "", Inputs, 1, true, {F(ItemBase::Threshold)}, {}},
        {"OUT%d",
         "",
         Outputs,
         1,
         true,
         {F(ItemBase::Output)},
         {{F(ItemBase::Output), "param0", "field 2 carries only the parameter of the stored mode"},
          {F(ItemBase::Output), "param1", "field 2 carries only the parameter of the stored mode"},
          {F(ItemBase::Output), "liveState", kLive}}},
        {"RS232",
         "",
         When<Caps::Rs232>,
         1,
         true,
         {I(DI_RS232)},
         {{I(DI_RS232), "R0", "R0 is neither sent nor received"}}},
        {"LLS%d", "SET", When<Caps::Rs232>, 0, true, {F(ItemBase::FuelSensor)}, SensorLosses()},
        {"RS485",
         "",
         When<Caps::Rs485>,
         1,
         true,
         {I(DI_RS485)},
         {{I(DI_RS485), "R0", "R0 is neither sent nor received"}}},
        {"LLS%d", "SET", When<Caps::Rs485, kFuelSensors - 1>, 1, true, {F(ItemBase::FuelSensor)}, SensorLosses()},
        {"MSENS",
         "SET",
         When<Caps::Accelerometer>,
         1,
         true,
         {I(DI_MSENS_CONFIG)},
         {{I(DI_MSENS_CONFIG), "flags(other)", "the line carries flag bits 0-4 only"}}},
        {"TILT",
         "SET",
         When<Caps::Accelerometer>,
         1,
         true,
         {I(DI_TILT_CONFIG)},
         {{I(DI_TILT_CONFIG), "flags(other)", "the line carries the on bit only"}}},
        {"TSENS",
         "SET",
         When<Caps::InternalThermometer>,
         1,
         true,
         {I(DI_TSENS_CONFIG)},
         {{I(DI_TSENS_CONFIG), "flags(other)", "the line carries the on bit only"}}},
        {"THERMO%d",
         "SET",
         Thermometers,
         1,
         true,
         {F(ItemBase::Thermometer)},
         {{F(ItemBase::Thermometer), "flags(other)", "the line carries the enabled bit only"},
          {F(ItemBase::Thermometer), "liveFlags", kLive},
          {F(ItemBase::Thermometer), "temperature", kLive}}},
        {"PRSET10", "SET", Always, 1, true, {I(DI_PRSET_1)}, OtherSet(1)},
        {"PRSET11", "SET", Always, 1, true, {I(DI_PRSET_1)}, OtherSet(0)},
    };
    return entries;
}

bool Lost(const std::vector<Loss>& losses, int n, int item, const std::string& member) {
    for (const Loss& l : losses) {
        if (l.item.At(n) == item && (l.member == "*" || member == l.member))
            return true;
    }
    return false;
}

std::string Keyword(const Entry& e, int n) {
    char keyword[16];
    std::snprintf(keyword, sizeof keyword, e.keyword, n);
    return keyword;
}

LineBuffer Copy(const LineBuffer& line) { return line; }

// ---------------------------------------------------------------------------

TEST(SettingsFileRoundTrip, EveryGroupOfEveryDeviceType) {
    size_t rows = 0;
    const ModelRow* table = ModelTable(&rows);
    std::set<std::string> moved;    // keywords whose compared members changed the fresh record
    std::set<std::string> present;  // keywords present for some type
    for (size_t t = 0; t < rows; ++t) {
        const int type = table[t].type;
        CDataServer varied;
        varied.ResetToDefaults(type);
        Vary(varied);
        DeviceTypeRecord caps;
        varied.Get(DI_DEV_TYPE, caps);
        CZRAMDS writer(varied);

        for (const Entry& e : Entries()) {
            const std::vector<Loss>& losses = e.losses;
            const int count = e.members(caps);
            for (int n = e.first; n < e.first + count; ++n) {
                const std::string keyword = Keyword(e, n);
                SCOPED_TRACE("type " + S(type) + " " + keyword);
                LineBuffer line;
                const int built = writer.BuildFileLine(keyword.c_str(), e.parameter, line);
                if (!e.writable) {  // the whole group is a named loss
                    ASSERT_TRUE(Lost(e.losses, n, e.items.front().At(n), "*"));
                    EXPECT_NE(built, kCodecDone);
                    EXPECT_EQ(line.length, 0);
                    continue;
                }
                ASSERT_EQ(built, kCodecDone);
                present.insert(e.keyword);

                CDataServer fresh;
                CDataServer before;
                CZRAMDS reader(fresh);
                char found[10];
                const int parsed = reader.ParseFileLine(found, Copy(line));
                EXPECT_TRUE(parsed == kCodecOk || parsed == kCodecDone)
                    << "parse result " << parsed << " for " << std::string(line.text, line.length);
                for (const ItemRef& ref : e.items) {
                    const int item = ref.At(n);
                    const Members want = DumpAny(varied, item);
                    const Members got = DumpAny(fresh, item);
                    const Members old = DumpAny(before, item);
                    for (const auto& [member, value] : want) {
                        if (Lost(losses, n, item, member))
                            continue;
                        EXPECT_EQ(got.at(member), value) << "item " << item << " member " << member << " line "
                                                         << std::string(line.text, line.length);
                        if (old.at(member) != value)
                            moved.insert(e.keyword);
                    }
                }
            }
        }
    }
    // Every saved keyword carried at least one value that differs from the
    // defaults, so no row compares defaults with defaults only.
    for (const std::string& k : present)
        EXPECT_TRUE(moved.count(k)) << k << " moved no value";
}

}  // namespace
