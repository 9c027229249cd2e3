// "Информация" without its widgets: the device's live state as texts, for
// display only. Each fill reads the live values once; what the device type
// lacks shows "NA" and is disabled.
#pragma once

#include "pages/core/form.h"
#include "shell/livestatus.h"

#include <optional>
#include <string>

enum class InfoControl : int {
    // The status word, one box per bit from bit 0.
    Mov,
    Pwr,
    Ign,
    Sos,
    Lbt,
    Tmp,
    Shk,
    Tlt,
    Gfs,
    Nfx,
    Bal,
    Rmg,
    Sec,
    Ibt,
    Int,
    Eco,
    Mode,
    BatteryPercent,
    BatteryVoltage,
    ExtPower,
    DeviceOn,
    EngineOn,
    Moving,
    Idle,
    Distance,
    AverageSpeed,
    GnssStatus,
    GnssDate,
    GnssTime,
    Latitude,
    Longitude,
    Altitude,
    Satellites,
    Course,
    Speed,
    Hdop,
    GsmStatus,
    Rssi,
    Mcc,
    Mnc,
    Lac,
    Cid,
    Operator,
    Balance,
    InMode1,
    InValue1,
    InMode2,
    InValue2,
    InMode3,
    InValue3,
    InMode4,
    InValue4,
    Key,
    Lls0Code,
    Lls0Litres,
    Lls1Code,
    Lls1Litres,
    Lls2Code,
    Lls2Litres,
    Lls3Code,
    Lls3Litres,
    Lls4Code,
    Lls4Litres,
    Out1,
    AccelX,
    AccelY,
    AccelZ,
    AccelTotal,
    TiltX,
    TiltY,
    Tint,
    Text1,
    Text2,
    Text3,
    Text4,
    Count,
};

// The boxes of the status word, bit 0 first.
struct StatusBox {
    const char* caption;
    bool hidden;
};
inline constexpr StatusBox kStatusBoxes[] = {
    {"MOV", false}, {"PWR", false}, {"IGN", false}, {"SOS", false}, {"LBT", false}, {"TMP", false},
    {"SHK", false}, {"TLT", false}, {"GFS", false}, {"NFX", false}, {"BAL", true},  {"RMG", true},
    {"SEC", true},  {"IBT", true},  {"INT", false}, {"ECO", true},
};

class CInfoForm : public CForm {
public:
    CInfoForm(CDataServer& data, IPageHost& host);

    PageCode Code() const override { return PageCode::Info; }

    const ControlView& View(InfoControl c) const { return CForm::View(ControlIndex(c)); }
    // Controls that exist on the page but are never visible, with their captions.
    static bool Hidden(InfoControl c);
    // The position of the last fill as "latitude, longitude" in decimal
    // degrees; nothing without a receiver or before a position is known.
    std::optional<std::string> Coordinates() const;

private:
    void Fill() override;
    bool CollectChanges() override { return false; }
    // The status boxes only show the device's word.
    Verdict OnCheck(int, bool) override { return Verdict::Refuse; }

    LiveStatus m_live;
};

// The texts of the page, each one pure function.
namespace InfoText {
// Seconds, minutes, hours or days by size: "60 s", "1.0 m", "1.0 h", "1.0 d".
std::string Duration(uint32_t seconds);
std::string ModeName(int32_t mode);
std::string GnssState(uint8_t state);
std::string GsmState(uint8_t state);
// "N 55°45.4321" (latitude, two degree digits) or "E 037°37.5678" (three).
std::string Coordinate(const ::Coordinate& coordinate, int degreeDigits);
std::string Signed(long long value);
}  // namespace InfoText
