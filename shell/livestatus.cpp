#include "shell/livestatus.h"

#include "model/capabilities.h"
#include "model/dataserver.h"

namespace {

using Cap = Capability;

constexpr uint8_t kFuelInUse = 0x01;
constexpr uint8_t kFuelValid = 0x02;
constexpr uint8_t kThermometerEnabled = 0x01;
constexpr uint8_t kThermometerValid = 0x02;

// An item the lock could not be taken for keeps its defaults.
template <class T> T Read(CDataServer& data, int item) {
    T value{};
    data.Get(item, value);
    return value;
}

template <class T> std::optional<T> ReadIf(bool present, CDataServer& data, int item) {
    if (!present)
        return std::nullopt;
    return Read<T>(data, item);
}

std::string DeviceText(const char* text, size_t size) {
    size_t length = 0;
    while (length < size && text[length] != '\0')
        ++length;
    return {text, length};
}

GsmLive ReadGsm(CDataServer& data) {
    GsmLive gsm;
    gsm.state = Read<uint8_t>(data, DI_GSM_STATE);
    gsm.rssi = Read<uint8_t>(data, DI_RSSI);
    gsm.cell = Read<CellRecord>(data, DI_CELL);
    char name[sizeof(CDataServer::Image::operatorName)] = {};
    data.Get(DI_OPERATOR, name);
    gsm.operatorName = DeviceText(name, sizeof name - 1);
    gsm.balance = Read<int16_t>(data, DI_BALANCE);
    return gsm;
}

InputLive ReadInput(CDataServer& data, int n) {
    const auto input = Read<InputRecord>(data, ItemBase::Input + n);
    switch (input.mode) {
    case 0: return {input.mode, input.value0};
    case 1: return {input.mode, input.value1};
    case 2: return {input.mode, input.value2};
    default: return {input.mode, input.value3};
    }
}

std::optional<FuelLive> ReadFuel(CDataServer& data, const DeviceTypeRecord& type, int k) {
    if (!Has(type, k == 0 ? Cap::Rs232 : Cap::Rs485))
        return std::nullopt;
    const auto sensor = Read<FuelSensorRecord>(data, ItemBase::FuelSensor + k);
    return FuelLive{(sensor.flags & kFuelInUse) != 0, (sensor.liveFlags & kFuelValid) != 0, sensor.level,
                    sensor.volume};
}

std::optional<ThermometerLive> ReadThermometer(CDataServer& data, const DeviceTypeRecord& type, int n) {
    if (Count(type, Cap::Thermometers) < n)
        return std::nullopt;
    const auto thermometer = Read<ThermometerRecord>(data, ItemBase::Thermometer + n);
    if (!(thermometer.flags & kThermometerEnabled))
        return std::nullopt;
    return ThermometerLive{(thermometer.liveFlags & kThermometerValid) != 0, thermometer.temperature};
}

}  // namespace

LiveStatus ReadLiveStatus(CDataServer& data) {
    const auto type = Read<DeviceTypeRecord>(data, DI_DEV_TYPE);
    LiveStatus s;
    s.flags = Read<uint16_t>(data, DI_STATUS_FLAGS);
    s.mode = Read<int32_t>(data, DI_MODE);
    s.battery = ReadIf<PowerRecord>(Has(type, Cap::Battery), data, DI_BATTERY);
    s.extPower = ReadIf<PowerRecord>(Has(type, Cap::ExtPower), data, DI_EXT_POWER);
    s.auxPower = Read<PowerRecord>(data, DI_AUX_POWER);
    s.statistics = Read<StatisticsRecord>(data, DI_STATISTICS);
    s.gnss = ReadIf<GnssRecord>(Has(type, Cap::Gnss), data, DI_GNSS);
    if (Has(type, Cap::Gsm))
        s.gsm = ReadGsm(data);
    for (int n = 1; n <= Count(type, Cap::Inputs); ++n)
        s.inputs.push_back(ReadInput(data, n));
    s.key = ReadIf<uint64_t>(Has(type, Cap::KeyReader), data, DI_EKEY);
    for (int k = 0; k < kFuelSensors; ++k)
        s.fuel[static_cast<size_t>(k)] = ReadFuel(data, type, k);
    for (int n = 1; n <= Count(type, Cap::Outputs); ++n) {
        const auto output = Read<OutputRecord>(data, ItemBase::Output + n);
        s.outputs.push_back({output.mode, output.liveState});
    }
    if (Has(type, Cap::Accelerometer))
        s.motion = MotionLive{Read<AccelRecord>(data, DI_ACCEL), Read<TiltLive>(data, DI_TILT)};
    s.internalTemperature = ReadIf<int8_t>(Has(type, Cap::InternalThermometer), data, DI_TINT);
    for (int n = 1; n <= kThermometers; ++n)
        s.thermometers[static_cast<size_t>(n - 1)] = ReadThermometer(data, type, n);
    return s;
}

double DecimalDegrees(const Coordinate& c) {
    const double degrees = c.degrees + (c.minutes + c.fraction / 10000.0) / 60.0;
    return c.hemisphere == 'S' || c.hemisphere == 'W' ? -degrees : degrees;
}
