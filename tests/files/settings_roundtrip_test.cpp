// Every device type: a record with settings unlike the defaults goes through
// a settings file and back into a fresh record unchanged, except for what the
// file lines themselves cannot carry.
#include "files/zrafile.h"
#include "files_fixture.h"
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <cstring>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace {

template <size_t N> void Text(char (&dst)[N], const std::string& text) {
    std::memset(dst, 0, N);
    std::memcpy(dst, text.data(), std::min(text.size(), N - 1));
}

template <class T> void Change(CDataServer& data, int item, void (*edit)(T&, int), int n = 0) {
    T value{};
    data.Get(item, value);
    edit(value, n);
    data.Set(item, value);
}

void EditInput(InputRecord& r, int n) {
    r.mode = n % 4;
    r.analogFilter = static_cast<uint8_t>(2 + n);
    r.freqFilter = static_cast<uint8_t>(7 + n);
    r.pulseFilter = static_cast<uint8_t>(30 + n);
    r.bounds = {static_cast<uint16_t>(30000 + n), 9000, 5000, static_cast<uint16_t>(100 + n)};
    r.c = 10 + n;
    r.d = 2;
    r.e = 3 * n;
}

void EditThreshold(ThresholdRecord& r, int n) {
    r.voltage = {0x0B, static_cast<uint16_t>(500 + n), 12000, 800, 30};
    r.frequency = {0x05, 10, static_cast<uint16_t>(2000 + n), 50, 15};
    r.pulses = {0x0E, 5, 900000u + static_cast<uint32_t>(n), 1000, 45};
}

void EditOutput(OutputRecord& r, int n) {
    r.mode = 1;
    r.param0 = 1;
    r.param1 = static_cast<uint16_t>(3 + n);
    r.param2 = 250;
    r.f = 4 + n;
    r.g = 5;
}

void EditFuelSensor(FuelSensorRecord& r, int n) {
    r.flags = 0;
    r.address = static_cast<uint8_t>(n + 6);
    r.s = static_cast<uint8_t>(7 + n);
}

void EditThermometer(ThermometerRecord& r, int n) {
    r.flags = 0;
    r.id = 0xA1B2C3D4E500ull + static_cast<uint64_t>(n);
    r.v = static_cast<uint8_t>(2 + n);
    r.lower = static_cast<int8_t>(-10 - n);
    r.upper = static_cast<int8_t>(55 + n);
}

void EditSerial(SerialInterfaceRecord& r, int n) { r = {{2, 0, n ? 57600 : 38400, 1, 5, 2}}; }

void EditServer(ServerRecord& r, int) {
    r.flags = 1;
    r.protocol = 2;
    Text(r.ip, "192.168.001.010");
    Text(r.port, "20332");
    Text(r.login, "fleet");
    Text(r.password, "secret7");
    r.p1 = 60;
    r.p2 = 5;
    r.p3 = 180;
    r.p4 = 20;
    r.p5 = 2;
    r.p6 = 1;
    r.p7 = 3;
    r.lastOn = 1;
}

void EditAccessPoint(AccessPointRecord& r, int n) {
    Text(r.apn, n ? "internet.two" : "internet.one");
    Text(r.login, "gdata");
    Text(r.password, "gpass");
    Text(r.balanceCode, "*105#");
    Text(r.serviceCode, "*111*2#");
}

void EditWifiNet(WifiNetworkRecord& r, int) {
    r.n1 = 3;
    Text(r.ssid, "Depot-Net");
    r.n2 = 6;
    r.n3 = 2;
    Text(r.key, "k3y-for-depot");
    r.n4 = 0;
    Text(r.ip, "010.000.000.021");
    Text(r.mask, "255.255.255.000");
    Text(r.gateway, "010.000.000.001");
    Text(r.dns1, "008.008.008.008");
    Text(r.dns2, "001.001.001.001");
}

void EditProtocolSet(ProtocolSetRecord& r, int) {
    for (int k = 0; k < 8; ++k) {
        r.set[0][k] = static_cast<uint16_t>(0x1111 * (k + 1));
        r.set[1][k] = static_cast<uint16_t>(0x0101 * (k + 2));
    }
}

// Changes every setting a file of this type carries.
void VarySettings(CDataServer& data) {
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    char id[9], name[9];
    Text(id, "4711");
    Text(name, "Truck07");
    data.Set(DI_DEVICE_ID, id);
    data.Set(DI_DEVICE_NAME, name);
    Change<PasswordRecord>(data, DI_PASSWORD, [](PasswordRecord& p, int) { Text(p.current, "2468"); });
    data.Set(DI_MODE, int32_t{4});
    Change<TrackFilterRecord>(data, DI_TRACK_FILTER, [](TrackFilterRecord& f, int) {
        f = {0xFFEB, 15, 3, 45, 250, 2, 10, 600};  // bits 1-4 are the filters the line carries
    });
    Change<ServerRecord>(data, DI_SERVER_1, EditServer);
    Change<ProtocolSetRecord>(data, ItemBase::ProtocolSet + 1, EditProtocolSet);
    if (Caps::Gsm(type)) {
        for (int n = 1; n <= kPhones; ++n) {
            char number[16];
            Text(number, "+7900123450" + std::to_string(n));
            data.Set(ItemBase::Sms + n, number);
            Text(number, "8900765430" + std::to_string(n));
            data.Set(ItemBase::Phone + n, number);
        }
        data.Set(DI_SIM_CONTROL, int32_t{Caps::SecondSim(type) ? 4 : 1});
        Change<AccessPointRecord>(data, DI_APN_1, EditAccessPoint, 0);
        if (Caps::SecondSim(type))
            Change<AccessPointRecord>(data, DI_APN_2, EditAccessPoint, 1);
    }
    if (Caps::Wifi(type))
        Change<WifiNetworkRecord>(data, DI_WIFINET_1, EditWifiNet);
    if (Caps::Inputs(type) > 0) {
        Change<IgnitionRecord>(data, DI_IGN, [](IgnitionRecord& r, int) { r = {3, {31000, 9500, 5500, 50}}; });
        Change<AlarmRecord>(data, DI_SOS, [](AlarmRecord& r, int) { r = {4, 0, {32000, 3500, 2500, 10}}; });
    }
    for (int n = 1; n <= std::min(Caps::Inputs(type), kInputs); ++n) {
        Change<InputRecord>(data, ItemBase::Input + n, EditInput, n);
        Change<ThresholdRecord>(data, ItemBase::Threshold + n, EditThreshold, n);
    }
    for (int n = 1; n <= std::min(Caps::Outputs(type), kOutputs); ++n) {
        Change<OutputRecord>(data, ItemBase::Output + n, EditOutput, n);
    }
    if (Caps::Rs232(type)) {
        Change<SerialInterfaceRecord>(data, DI_RS232, EditSerial, 0);
        Change<FuelSensorRecord>(data, ItemBase::FuelSensor, EditFuelSensor, 0);
    }
    if (Caps::Rs485(type)) {
        Change<SerialInterfaceRecord>(data, DI_RS485, EditSerial, 1);
        for (int n = 1; n < kFuelSensors; ++n)
            Change<FuelSensorRecord>(data, ItemBase::FuelSensor + n, EditFuelSensor, n);
    }
    if (Caps::Accelerometer(type)) {
        Change<MotionSensorConfig>(data, DI_MSENS_CONFIG, [](MotionSensorConfig& m, int) {
            m.flags = 0x0A;
            m.motion = 9;
            m.shock = 200;
        });
        Change<TiltConfig>(data, DI_TILT_CONFIG, [](TiltConfig& t, int) {
            t.flags = 0;
            t.angle = 45;
            t.value = 3;
        });
    }
    if (Caps::InternalThermometer(type)) {
        Change<TempSensorConfig>(data, DI_TSENS_CONFIG, [](TempSensorConfig& t, int) {
            t.flags = 0;
            t.lower = -10;
            t.upper = 55;
        });
    }
    for (int n = 1; n <= std::min(Caps::ThermometerCount(type), kThermometers); ++n) {
        Change<ThermometerRecord>(data, ItemBase::Thermometer + n, EditThermometer, n);
    }
}

std::vector<uint8_t> ItemBytes(CDataServer& data, int item) {
    std::vector<uint8_t> bytes(CDataServer::ItemSize(item));
    data.Get(item, bytes.data(), bytes.size());
    return bytes;
}

// Records with padding bytes are compared field by field: their padding is
// whatever the copies left there.
std::string_view Str(const char* text) { return text; }
auto Fields(const LevelBounds& b) { return std::make_tuple(b.upper1, b.lower1, b.upper0, b.lower0); }
auto Fields(const ThresholdSet16& t) { return std::make_tuple(t.flags, t.lower, t.upper, t.change, t.timer); }
auto Fields(const ThresholdSet32& t) { return std::make_tuple(t.flags, t.lower, t.upper, t.change, t.timer); }
auto Fields(const WifiNetworkRecord& w) {
    return std::make_tuple(w.flags, w.n1, Str(w.ssid), w.n2, w.n3, Str(w.key), w.n4, Str(w.ip), Str(w.mask),
                           Str(w.gateway), Str(w.dns1), Str(w.dns2));
}
auto Fields(const InputRecord& r) {
    return std::make_tuple(r.mode, r.analogFilter, r.freqFilter, r.pulseFilter, Fields(r.bounds), r.c, r.d, r.e,
                           r.lastValue, r.value0, r.value1, r.value2, r.value3);
}
auto Fields(const ThresholdRecord& r) {
    return std::make_tuple(Fields(r.voltage), Fields(r.frequency), Fields(r.pulses));
}
auto Fields(const FuelSensorRecord& r) {
    return std::make_tuple(r.flags, r.address, r.addressCopy, r.s, r.liveFlags, r.level, r.t, r.volume, r.u);
}
auto Fields(const ThermometerRecord& r) {
    return std::make_tuple(r.liveFlags, r.temperature, r.flags, r.id, r.v, r.lower, r.upper);
}
auto Fields(const MotionSensorConfig& m) { return std::make_tuple(m.flags, m.motion, m.shock); }
auto Fields(const IgnitionRecord& r) { return std::make_tuple(r.source, Fields(r.bounds)); }
auto Fields(const AlarmRecord& r) { return std::make_tuple(r.source, r.level, Fields(r.bounds)); }

template <class T> bool SameFields(CDataServer& expected, CDataServer& actual, int item) {
    T e{}, a{};
    expected.Get(item, e);
    actual.Get(item, a);
    return Fields(e) == Fields(a);
}

struct PaddedItems {
    int first, last;
    bool (*same)(CDataServer&, CDataServer&, int);
};

const PaddedItems kPadded[] = {
    {DI_WIFINET_1, DI_WIFINET_1 + kWifiNets - 1, SameFields<WifiNetworkRecord>},
    {ItemBase::Input + 1, ItemBase::Input + kInputs, SameFields<InputRecord>},
    {ItemBase::Threshold + 1, ItemBase::Threshold + kInputs, SameFields<ThresholdRecord>},
    {ItemBase::FuelSensor, ItemBase::FuelSensor + kFuelSensors - 1, SameFields<FuelSensorRecord>},
    {DI_THERMO_1, DI_THERMO_1 + kThermometers - 1, SameFields<ThermometerRecord>},
    {DI_MSENS_CONFIG, DI_MSENS_CONFIG, SameFields<MotionSensorConfig>},
    {DI_IGN, DI_IGN, SameFields<IgnitionRecord>},
    {DI_SOS, DI_SOS, SameFields<AlarmRecord>},
};

// Every other record is compared byte for byte, which needs records without padding.
static_assert(std::has_unique_object_representations_v<ServerRecord> &&
              std::has_unique_object_representations_v<AccessPointRecord> &&
              std::has_unique_object_representations_v<OutputRecord> &&
              std::has_unique_object_representations_v<TrackFilterRecord> &&
              std::has_unique_object_representations_v<SerialInterfaceRecord> &&
              std::has_unique_object_representations_v<ProtocolSetRecord> &&
              std::has_unique_object_representations_v<PasswordRecord> &&
              std::has_unique_object_representations_v<TempSensorConfig> &&
              std::has_unique_object_representations_v<TiltConfig>);

void ExpectSameItem(CDataServer& expected, CDataServer& actual, int item) {
    for (const PaddedItems& padded : kPadded) {
        if (item >= padded.first && item <= padded.last) {
            EXPECT_TRUE(padded.same(expected, actual, item)) << "item " << item;
            return;
        }
    }
    EXPECT_EQ(ItemBytes(expected, item), ItemBytes(actual, item)) << "item " << item;
}

// A part of an item that the file line cannot carry: the expected record
// takes the value the read-back record has.
struct Loss {
    const char* why;
    int first, last;
    void (*forget)(CDataServer& expected, CDataServer& actual, int item);
};

template <class T, auto Member> void Forget(CDataServer& expected, CDataServer& actual, int item) {
    T e{}, a{};
    expected.Get(item, e);
    actual.Get(item, a);
    std::memcpy(&(e.*Member), &(a.*Member), sizeof(e.*Member));
    expected.Set(item, e);
}

template <class T> void ForgetItem(CDataServer& expected, CDataServer& actual, int item) {
    T a{};
    actual.Get(item, a);
    expected.Set(item, a);
}

void ForgetR0(CDataServer& expected, CDataServer& actual, int item) {
    SerialInterfaceRecord e, a;
    expected.Get(item, e);
    actual.Get(item, a);
    e.r[0] = a.r[0];
    expected.Set(item, e);
}

const Loss kProtocolLosses[] = {
    {"the HWCFG line restores the type, not the counts a reset derives from it", DI_INPUT_COUNT, DI_INPUT_COUNT,
     ForgetItem<uint8_t>},
    {"the HWCFG line restores the type, not the counts a reset derives from it", DI_OUTPUT_COUNT, DI_OUTPUT_COUNT,
     ForgetItem<uint8_t>},
    {"IN lines have no frequency filter", ItemBase::Input + 1, ItemBase::Input + kInputs,
     Forget<InputRecord, &InputRecord::freqFilter>},
    {"OUT lines carry only the parameter of the output's mode", ItemBase::Output + 1, ItemBase::Output + kOutputs,
     Forget<OutputRecord, &OutputRecord::param0>},
    {"APN lines carry APN, login and password only", DI_APN_1, DI_APN_2,
     Forget<AccessPointRecord, &AccessPointRecord::balanceCode>},
    {"APN lines carry APN, login and password only", DI_APN_1, DI_APN_2,
     Forget<AccessPointRecord, &AccessPointRecord::serviceCode>},
    {"RS232 and RS485 lines have no R0", DI_RS232, DI_RS232, ForgetR0},
    {"RS232 and RS485 lines have no R0", DI_RS485, DI_RS485, ForgetR0},
    {"the in-use bit of an LLS line is not read back", ItemBase::FuelSensor, ItemBase::FuelSensor + kFuelSensors - 1,
     Forget<FuelSensorRecord, &FuelSensorRecord::flags>},
};

class SettingsRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(SettingsRoundTrip, FileCarriesEverySettingOfTheType) {
    ScratchDir dir;
    ScriptedUi ui;
    CDataServer source;
    CZRAMDS sourceCodec(source);
    source.ResetToDefaults(GetParam());
    VarySettings(source);
    CZRAFile writer(source, sourceCodec, ui, ui, {}, dir.path);
    const std::string path = dir / "roundtrip.kvs";
    ASSERT_EQ(writer.WriteSettingsFile(path), 1);

    CDataServer target;
    CZRAMDS targetCodec(target);
    CZRAFile reader(target, targetCodec, ui, ui, {}, dir.path);
    ASSERT_EQ(reader.ReadSettingsFile(path), 1);

    for (const Loss& loss : kProtocolLosses) {
        for (int item = loss.first; item <= loss.last; ++item)
            loss.forget(source, target, item);
    }
    for (int item = 0; item <= DI_SERVER_1 + kServers; ++item) {
        if (CDataServer::ItemSize(item) != 0)
            ExpectSameItem(source, target, item);
    }
    EXPECT_TRUE(ui.Errors().empty());
}

std::vector<int> AllTypes() {
    size_t count = 0;
    const ModelRow* rows = ModelTable(&count);
    std::vector<int> types;
    for (size_t i = 0; i < count; ++i)
        types.push_back(rows[i].type);
    return types;
}

INSTANTIATE_TEST_SUITE_P(EveryModel, SettingsRoundTrip, ::testing::ValuesIn(AllTypes()),
                         [](const ::testing::TestParamInfo<int>& p) { return "type" + std::to_string(p.param); });

}  // namespace
