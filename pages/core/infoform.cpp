#include "pages/core/infoform.h"

#include "base/devicetext.h"
#include "protocol/hex.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <span>

namespace {

using C = InfoControl;
using L = LiveStatus;
using Text = std::optional<std::string>;

constexpr uint8_t kGnssOff = 0x01, kGnssSearching = 0x02, kGnssFix = 0x04, kGnssLastValid = 0x08;
constexpr uint8_t kGsmOff = 0x01, kGsmRegistering = 0x02, kGsmRegistered = 0x04, kGsmConnected = 0x08;
constexpr const char* kNoReading = "---";

// A state's text: that of the first bit of the table the state has set.
struct StateText {
    uint8_t bit;
    const char* text;
};
std::string FirstSet(uint8_t state, std::span<const StateText> texts) {
    for (const StateText& t : texts)
        if (state & t.bit)
            return t.text;
    return CForm::kNotAvailable;
}

// Only for formats whose output is bounded; whole numbers go through std::to_string.
template <class... Args> std::string Fmt(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string Number(long long value) { return std::to_string(value); }
std::string WithUnit(long long value, const char* unit) { return Number(value) + unit; }

// The value a row shows: the member itself, or the element of a family, or
// nothing when the device type lacks it.
template <class T> const T* Pick(const T& value, int) { return &value; }
template <class T> const T* Pick(const std::optional<T>& value, int) { return value ? &*value : nullptr; }
template <class T> const T* Pick(const std::vector<T>& values, int at) {
    return at < static_cast<int>(values.size()) ? &values[static_cast<size_t>(at)] : nullptr;
}
template <class T, size_t N> const T* Pick(const std::array<std::optional<T>, N>& values, int at) {
    return Pick(values[static_cast<size_t>(at)], at);
}

template <auto member, auto format> Text Show(const LiveStatus& status, int at) {
    const auto* value = Pick(status.*member, at);
    if (!value)
        return std::nullopt;
    return format(*value);
}

struct Row {
    InfoControl control;
    Text (*text)(const LiveStatus&, int);
    int at = 0;  // the element of a family
    bool hidden = false;
};

std::string Percent(const PowerRecord& p) { return WithUnit(p.percent, " %"); }
std::string Millivolts(const PowerRecord& p) { return WithUnit(p.millivolts, " mV"); }

std::string Date(const GnssRecord& g) { return Fmt("%02d/%02d/%02d", g.time.day, g.time.month, g.time.year); }
std::string Time(const GnssRecord& g) { return Fmt("%02d:%02d:%02d", g.time.hour, g.time.minute, g.time.second); }

std::string InputMode(const InputLive& in) {
    switch (in.mode) {
    case 0: return "DIN";
    case 1: return "AIN";
    case 2: return "FRQ";
    default: return "IMP";
    }
}
std::string InputValue(const InputLive& in) {
    if (in.mode == 0)
        return in.value == 1 ? "ON" : "OFF";
    return Number(in.value);
}

std::string FuelCode(const FuelLive& f) { return f.inUse && f.valid ? Number(f.level) : kNoReading; }
std::string FuelLitres(const FuelLive& f) { return f.inUse && f.valid ? Number(f.volume) : kNoReading; }

std::string OutputState(const OutputLive& o) {
    switch (o.mode) {
    case 0: return o.state == 1 ? "ON" : "OFF";
    case 1: return "Freq";
    default: return "Pulse";
    }
}

// In 64 bits: three squares of 16-bit values overflow 32.
std::string AccelTotal(const MotionLive& m) {
    const auto square = [](int64_t v) { return v * v; };
    const int64_t sum = square(m.accel.x) + square(m.accel.y) + square(m.accel.z);
    return Number(static_cast<long long>(std::sqrt(static_cast<double>(sum))));
}

std::string Temperature(const ThermometerLive& t) { return t.valid ? InfoText::Signed(t.temperature) : kNoReading; }

std::string KeyHex(uint64_t key) {
    char hex[13];
    U64ToHex(key, hex);
    return hex;
}

std::string OperatorName(const GsmLive& g) { return DeviceToUtf8(g.operatorName.data(), g.operatorName.size(), 8); }

using namespace InfoText;

// In the order the page fills its blocks.
const Row kRows[] = {
    {C::Mode, Show<&L::mode, ModeName>},
    {C::BatteryPercent, Show<&L::battery, Percent>},
    {C::BatteryVoltage, Show<&L::battery, Millivolts>},
    {C::ExtPower, Show<&L::extPower, Millivolts>},
    {C::DeviceOn, Show<&L::statistics, [](const StatisticsRecord& s) { return Duration(s.deviceOn); }>},
    {C::EngineOn, Show<&L::statistics, [](const StatisticsRecord& s) { return Duration(s.engineOn); }>},
    {C::Moving, Show<&L::statistics, [](const StatisticsRecord& s) { return Duration(s.moving); }>},
    {C::Idle, Show<&L::statistics, [](const StatisticsRecord& s) { return Duration(s.idle); }>},
    {C::Distance, Show<&L::statistics, [](const StatisticsRecord& s) { return Number(s.distance); }>},
    {C::AverageSpeed, Show<&L::statistics, [](const StatisticsRecord& s) { return Number(s.averageSpeed); }>},
    {C::GnssStatus, Show<&L::gnss, [](const GnssRecord& g) { return GnssState(g.state); }>},
    {C::GnssDate, Show<&L::gnss, Date>},
    {C::GnssTime, Show<&L::gnss, Time>},
    {C::Latitude, Show<&L::gnss, [](const GnssRecord& g) { return InfoText::Coordinate(g.latitude, 2); }>},
    {C::Longitude, Show<&L::gnss, [](const GnssRecord& g) { return InfoText::Coordinate(g.longitude, 3); }>},
    {C::Altitude, Show<&L::gnss, [](const GnssRecord& g) { return Number(g.altitude); }>},
    {C::Satellites, Show<&L::gnss, [](const GnssRecord& g) { return Number(g.satellites); }>},
    {C::Course, Show<&L::gnss, [](const GnssRecord& g) { return Number(g.course); }>},
    {C::Speed, Show<&L::gnss, [](const GnssRecord& g) { return Number(g.speed); }>},
    {C::Hdop, Show<&L::gnss, [](const GnssRecord& g) { return Fmt("%.2f", static_cast<double>(g.hdop)); }>},
    {C::GsmStatus, Show<&L::gsm, [](const GsmLive& g) { return GsmState(g.state); }>},
    {C::Rssi, Show<&L::gsm, [](const GsmLive& g) { return Number(g.rssi); }>},
    {C::Mcc, Show<&L::gsm, [](const GsmLive& g) { return Number(g.cell.mcc); }>},
    {C::Mnc, Show<&L::gsm, [](const GsmLive& g) { return Number(g.cell.mnc); }>},
    {C::Lac, Show<&L::gsm, [](const GsmLive& g) { return Number(g.cell.lac); }>},
    {C::Cid, Show<&L::gsm, [](const GsmLive& g) { return Number(g.cell.cid); }>},
    {C::Operator, Show<&L::gsm, OperatorName>, 0, true},
    {C::Balance, Show<&L::gsm, [](const GsmLive& g) { return Number(g.balance); }>, 0, true},
    {C::InMode1, Show<&L::inputs, InputMode>, 0},
    {C::InValue1, Show<&L::inputs, InputValue>, 0},
    {C::InMode2, Show<&L::inputs, InputMode>, 1},
    {C::InValue2, Show<&L::inputs, InputValue>, 1},
    {C::InMode3, Show<&L::inputs, InputMode>, 2},
    {C::InValue3, Show<&L::inputs, InputValue>, 2},
    {C::InMode4, Show<&L::inputs, InputMode>, 3},
    {C::InValue4, Show<&L::inputs, InputValue>, 3},
    {C::Key, Show<&L::key, KeyHex>},
    {C::Lls0Code, Show<&L::fuel, FuelCode>, 0},
    {C::Lls0Litres, Show<&L::fuel, FuelLitres>, 0},
    {C::Lls1Code, Show<&L::fuel, FuelCode>, 1},
    {C::Lls1Litres, Show<&L::fuel, FuelLitres>, 1},
    {C::Lls2Code, Show<&L::fuel, FuelCode>, 2},
    {C::Lls2Litres, Show<&L::fuel, FuelLitres>, 2},
    {C::Lls3Code, Show<&L::fuel, FuelCode>, 3},
    {C::Lls3Litres, Show<&L::fuel, FuelLitres>, 3},
    {C::Lls4Code, Show<&L::fuel, FuelCode>, 4},
    {C::Lls4Litres, Show<&L::fuel, FuelLitres>, 4},
    {C::Out1, Show<&L::outputs, OutputState>, 0},
    {C::AccelX, Show<&L::motion, [](const MotionLive& m) { return Signed(m.accel.x); }>},
    {C::AccelY, Show<&L::motion, [](const MotionLive& m) { return Signed(m.accel.y); }>},
    {C::AccelZ, Show<&L::motion, [](const MotionLive& m) { return Signed(m.accel.z); }>},
    {C::AccelTotal, Show<&L::motion, AccelTotal>},
    {C::TiltX, Show<&L::motion, [](const MotionLive& m) { return Signed(m.tilt.a); }>},
    {C::TiltY, Show<&L::motion, [](const MotionLive& m) { return Signed(m.tilt.b); }>},
    {C::Tint, Show<&L::internalTemperature, [](int8_t t) { return Signed(t); }>},
    {C::Text1, Show<&L::thermometers, Temperature>, 0},
    {C::Text2, Show<&L::thermometers, Temperature>, 1},
    {C::Text3, Show<&L::thermometers, Temperature>, 2},
    {C::Text4, Show<&L::thermometers, Temperature>, 3},
};
static_assert(std::size(kRows) + std::size(kStatusBoxes) == static_cast<size_t>(InfoControl::Count));

// The status boxes first, every other control a value label.
constexpr auto kTraits = [] {
    std::array<ControlTraits, static_cast<size_t>(InfoControl::Count)> traits{};
    for (size_t i = 0; i < traits.size(); ++i)
        traits[i].kind = i < std::size(kStatusBoxes) ? ControlKind::Check : ControlKind::Label;
    return traits;
}();

}  // namespace

CInfoForm::CInfoForm(CDataServer& data, IPageHost& host) : CForm(data, host, kTraits) {}

void CInfoForm::Fill() {
    m_live = ReadLiveStatus(m_data);
    for (int bit = 0; bit < static_cast<int>(std::size(kStatusBoxes)); ++bit) {
        ControlView& box = ViewOf(bit);
        box.checked = (m_live.flags >> bit) & 1u;
        box.enabled = true;
        box.visible = !kStatusBoxes[bit].hidden;
    }
    for (const Row& row : kRows) {
        ControlView& view = ViewOf(ControlIndex(row.control));
        view.visible = !row.hidden;
        if (const Text text = row.text(m_live, row.at)) {
            view.text = *text;
            view.enabled = true;
        } else {
            ShowNotAvailable(ControlIndex(row.control));
        }
    }
}

bool CInfoForm::Hidden(InfoControl c) {
    if (ControlIndex(c) < static_cast<int>(std::size(kStatusBoxes)))
        return kStatusBoxes[ControlIndex(c)].hidden;
    for (const Row& row : kRows)
        if (row.control == c)
            return row.hidden;
    return false;
}

std::optional<std::string> CInfoForm::Coordinates() const {
    if (!Initialised() || !m_live.gnss || !(m_live.gnss->state & (kGnssFix | kGnssLastValid)))
        return std::nullopt;
    return Fmt("%.6f, %.6f", DecimalDegrees(m_live.gnss->latitude), DecimalDegrees(m_live.gnss->longitude));
}

namespace InfoText {

std::string Duration(uint32_t seconds) {
    const double v = seconds;
    if (seconds > 86400)
        return Fmt("%.1f d", v / 86400);
    if (seconds > 3600)
        return Fmt("%.1f h", v / 3600);
    if (seconds > 60)
        return Fmt("%.1f m", v / 60);
    return WithUnit(seconds, " s");
}

std::string ModeName(int32_t mode) {
    static const char* const kNames[] = {"Online", "Periodic", "Parking", "Stealth", "Logger", "OFF"};
    return mode >= 1 && mode <= 6 ? kNames[mode - 1] : "Unknown";
}

std::string GnssState(uint8_t state) {
    static constexpr StateText kTexts[] = {
        {kGnssFix, "FIX"}, {kGnssLastValid, "Last Valid"}, {kGnssSearching, "Searching..."}, {kGnssOff, "OFF"}};
    return FirstSet(state, kTexts);
}

std::string GsmState(uint8_t state) {
    static constexpr StateText kTexts[] = {{kGsmConnected, "Connected"},
                                           {kGsmRegistered, "Registered"},
                                           {kGsmRegistering, "Registering..."},
                                           {kGsmOff, "OFF"}};
    return FirstSet(state, kTexts);
}

std::string Coordinate(const ::Coordinate& c, int degreeDigits) {
    const std::string hemisphere = DeviceToUtf8(&c.hemisphere, 1, 1);
    return hemisphere + Fmt(" %0*d°%02d.%04d", degreeDigits, c.degrees, c.minutes, c.fraction);
}

std::string Signed(long long value) { return (value >= 0 ? "+" : "") + Number(value); }

}  // namespace InfoText
