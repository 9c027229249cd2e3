#include "pages/core/infoform.h"

#include "tests/pages/core/form_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using C = InfoControl;

constexpr int I(InfoControl c) { return static_cast<int>(c); }

class InfoFormTest : public FormFixture<CInfoForm> {
protected:
    // A type 70 device unless a test picks another: GSM, GNSS, four inputs,
    // one output, RS-485 without RS-232, iButton, two thermometers.
    void SetUp() override { data.ResetToDefaults(70); }

    const std::string& Text(InfoControl c) { return form.View(c).text; }
    bool Enabled(InfoControl c) { return form.View(c).enabled; }
    void ExpectTexts(std::initializer_list<std::pair<InfoControl, const char*>> texts) {
        for (auto [c, text] : texts)
            EXPECT_EQ(Text(c), text) << I(c);
    }
    void ExpectNotAvailable(std::initializer_list<InfoControl> controls) {
        for (C c : controls) {
            EXPECT_EQ(Text(c), "NA") << I(c);
            EXPECT_FALSE(Enabled(c)) << I(c);
        }
    }
};

// Which blocks a device type has, as the model table gives them.
struct TypeCase {
    int type;
    bool gsm, battery, extPower, motion, tint, key, lls0, lls1to4;
    int inputs;  // shown, at most four
    bool output;
    int thermometers;
};

const TypeCase kTypes[] = {
    {70, true, true, true, true, true, true, false, true, 4, true, 2},
    {11, true, true, true, true, true, true, true, true, 4, true, 4},
    {3, false, false, true, true, true, true, false, true, 4, true, 2},
    {30, true, false, true, true, false, false, false, true, 4, true, 0},
    {41, true, true, false, true, true, false, false, false, 0, false, 0},
};

TEST_F(InfoFormTest, EachDeviceTypeShowsTheBlocksItHasAndNaForTheRest) {
    for (const TypeCase& t : kTypes) {
        SCOPED_TRACE(t.type);
        data.ResetToDefaults(t.type);
        form.Load();
        const auto expect = [&](bool present, std::initializer_list<C> controls) {
            for (C c : controls) {
                EXPECT_EQ(Enabled(c), present) << I(c);
                EXPECT_EQ(Text(c) == "NA", !present) << I(c) << " " << Text(c);
            }
        };
        // (The status texts may read "NA" with the hardware present: no state bit set.)
        expect(true, {C::Mode, C::DeviceOn, C::Distance, C::AverageSpeed, C::Latitude, C::Hdop});
        EXPECT_TRUE(Enabled(C::GnssStatus));
        EXPECT_EQ(Enabled(C::GsmStatus), t.gsm);
        expect(t.gsm, {C::Rssi, C::Mcc, C::Mnc, C::Lac, C::Cid, C::Operator, C::Balance});
        expect(t.battery, {C::BatteryPercent, C::BatteryVoltage});
        expect(t.extPower, {C::ExtPower});
        expect(t.motion, {C::AccelX, C::AccelY, C::AccelZ, C::AccelTotal, C::TiltX, C::TiltY});
        expect(t.tint, {C::Tint});
        expect(t.key, {C::Key});
        expect(t.lls0, {C::Lls0Code, C::Lls0Litres});
        expect(t.lls1to4, {C::Lls1Code, C::Lls1Litres, C::Lls4Code, C::Lls4Litres});
        expect(t.output, {C::Out1});
        for (int n = 1; n <= 4; ++n) {
            expect(n <= t.inputs,
                   {static_cast<C>(I(C::InMode1) + 2 * (n - 1)), static_cast<C>(I(C::InValue1) + 2 * (n - 1))});
            expect(n <= t.thermometers, {static_cast<C>(I(C::Text1) + n - 1)});
        }
    }
}

TEST_F(InfoFormTest, WithoutAReceiverTheTenGnssFieldsShowNa) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm &= ~(1u << 24); });
    form.Load();
    ExpectNotAvailable({C::GnssStatus, C::GnssDate, C::GnssTime, C::Latitude, C::Longitude, C::Altitude, C::Satellites,
                        C::Course, C::Speed, C::Hdop});
    EXPECT_FALSE(form.Coordinates());
}

TEST_F(InfoFormTest, TwoInputsLeaveRowsThreeAndFourNa) {
    ChangeType([](DeviceTypeRecord& t) { t.capsIo = (t.capsIo & ~(0xFu << 17)) | (2u << 17); });
    form.Load();
    EXPECT_TRUE(Enabled(C::InMode2));
    ExpectNotAvailable({C::InMode3, C::InValue3, C::InMode4, C::InValue4});
}

TEST_F(InfoFormTest, DurationsChangeUnitPastAMinuteAnHourAndADay) {
    const struct {
        uint32_t seconds;
        const char* text;
    } cases[] = {
        {0, "0 s"},        {60, "60 s"},     {61, "1.0 m"},
        {90, "1.5 m"},     {3600, "60.0 m"}, {3601, "1.0 h"},
        {86400, "24.0 h"}, {86401, "1.0 d"}, {4294967295u, "49710.3 d"},
    };
    for (const auto& c : cases) {
        Change<StatisticsRecord>(DI_STATISTICS,
                                 [&](StatisticsRecord& s) { s.deviceOn = s.engineOn = s.moving = s.idle = c.seconds; });
        form.Load();
        for (C field : {C::DeviceOn, C::EngineOn, C::Moving, C::Idle})
            EXPECT_EQ(Text(field), c.text) << c.seconds << " in " << I(field);
    }
}

TEST_F(InfoFormTest, ModeNamesAndUnknownModes) {
    const std::vector<std::pair<int32_t, const char*>> cases = {
        {1, "Online"}, {2, "Periodic"}, {3, "Parking"}, {4, "Stealth"},  {5, "Logger"},
        {6, "OFF"},    {0, "Unknown"},  {7, "Unknown"}, {-1, "Unknown"},
    };
    for (auto [mode, text] : cases) {
        data.Set(DI_MODE, mode);
        form.Load();
        EXPECT_EQ(Text(C::Mode), text) << mode;
    }
}

TEST_F(InfoFormTest, GnssAndGsmStatesTakeTheirHighestBit) {
    const struct {
        uint8_t bits;
        const char* gnss;
        const char* gsm;
    } cases[] = {
        {0x00, "NA", "NA"},         {0x01, "OFF", "OFF"},        {0x03, "Searching...", "Registering..."},
        {0x0C, "FIX", "Connected"}, {0x04, "FIX", "Registered"}, {0x08, "Last Valid", "Connected"},
        {0xF0, "NA", "NA"},
    };
    for (const auto& c : cases) {
        Change<GnssRecord>(DI_GNSS, [&](GnssRecord& g) { g.state = c.bits; });
        data.Set(DI_GSM_STATE, c.bits);
        form.Load();
        EXPECT_EQ(Text(C::GnssStatus), c.gnss) << int{c.bits};
        EXPECT_EQ(Text(C::GsmStatus), c.gsm) << int{c.bits};
        EXPECT_TRUE(Enabled(C::GsmStatus));
    }
}

TEST_F(InfoFormTest, GnssFieldsAsTheReceiverGivesThem) {
    Change<GnssRecord>(DI_GNSS, [](GnssRecord& g) {
        g.time = {5, 3, 24, 9, 7, 3};
        g.latitude = {55, 45, 21, 'S'};
        g.longitude = {7, 37, 5678, 'E'};
        g.altitude = -12;
        g.satellites = 9;
        g.course = 359;
        g.speed = 255;
        g.hdop = 0.9f;
    });
    form.Load();
    ExpectTexts({{C::GnssDate, "05/03/24"},
                 {C::GnssTime, "09:07:03"},
                 {C::Latitude, "S 55°45.0021"},
                 {C::Longitude, "E 007°37.5678"},
                 {C::Altitude, "-12"},
                 {C::Satellites, "9"},
                 {C::Course, "359"},
                 {C::Speed, "255"},
                 {C::Hdop, "0.90"}});
}

TEST_F(InfoFormTest, GsmCellOperatorAndBalance) {
    data.Set(DI_RSSI, uint8_t{23});
    data.Set(DI_CELL, CellRecord{250, 1, 6699, 15437});
    char name[9] = "Bil\xE9ine";  // Latin-1 é
    data.Set(DI_OPERATOR, name);
    data.Set(DI_BALANCE, int16_t{-150});
    form.Load();
    ExpectTexts({{C::Rssi, "23"},
                 {C::Mcc, "250"},
                 {C::Mnc, "1"},
                 {C::Lac, "6699"},
                 {C::Cid, "15437"},
                 {C::Operator, "Biléine"},
                 {C::Balance, "-150"}});
    EXPECT_FALSE(form.View(C::Operator).visible);
    EXPECT_FALSE(form.View(C::Balance).visible);
    EXPECT_TRUE(form.View(C::Rssi).visible);
}

TEST_F(InfoFormTest, PowerWithUnits) {
    data.Set(DI_BATTERY, PowerRecord{3950, 87});
    data.Set(DI_EXT_POWER, PowerRecord{12600, 0});
    form.Load();
    ExpectTexts({{C::BatteryPercent, "87 %"}, {C::BatteryVoltage, "3950 mV"}, {C::ExtPower, "12600 mV"}});
}

TEST_F(InfoFormTest, StatusBoxesFollowTheWordAndFiveAreHidden) {
    data.Set(DI_STATUS_FLAGS, uint16_t{0x8403});  // MOV, PWR, BAL, ECO
    form.Load();
    const std::vector<int> hidden = {10, 11, 12, 13, 15};
    for (int bit = 0; bit < 16; ++bit) {
        const ControlView& box = form.View(static_cast<C>(bit));
        EXPECT_EQ(box.checked, bit == 0 || bit == 1 || bit == 10 || bit == 15) << bit;
        EXPECT_EQ(box.visible, std::find(hidden.begin(), hidden.end(), bit) == hidden.end()) << bit;
        EXPECT_EQ(CInfoForm::Hidden(static_cast<C>(bit)), !box.visible) << bit;
    }
}

TEST_F(InfoFormTest, InputsShowTheValueOfTheirMode) {
    const struct {
        int32_t mode;
        const char* modeText;
        const char* value;
    } cases[] = {
        {0, "DIN", "ON"}, {1, "AIN", "12000"}, {2, "FRQ", "550"}, {3, "IMP", "2147483647"}, {9, "IMP", "2147483647"},
    };
    for (const auto& c : cases) {
        Change<InputRecord>(DI_INPUT_1, [&](InputRecord& in) {
            in.mode = c.mode;
            in.value0 = 1;
            in.value1 = 12000;
            in.value2 = 550;
            in.value3 = 2147483647;
        });
        form.Load();
        EXPECT_EQ(Text(C::InMode1), c.modeText) << c.mode;
        EXPECT_EQ(Text(C::InValue1), c.value) << c.mode;
    }
    Change<InputRecord>(DI_INPUT_1, [](InputRecord& in) {
        in.mode = 0;
        in.value0 = 2;
    });
    form.Load();
    EXPECT_EQ(Text(C::InValue1), "OFF");
}

TEST_F(InfoFormTest, FuelSensorsShowReadingsOnlyWhenInUseAndValid) {
    const struct {
        uint8_t flags, liveFlags;
        const char* code;
        const char* litres;
    } cases[] = {
        {0x01, 0x02, "1034", "412"},
        {0x01, 0x00, "---", "---"},
        {0x00, 0x02, "---", "---"},
    };
    for (const auto& c : cases) {
        Change<FuelSensorRecord>(ItemBase::FuelSensor + 2, [&](FuelSensorRecord& s) {
            s.flags = c.flags;
            s.liveFlags = c.liveFlags;
            s.level = 1034;
            s.volume = 412;
        });
        form.Load();
        EXPECT_EQ(Text(C::Lls2Code), c.code);
        EXPECT_EQ(Text(C::Lls2Litres), c.litres);
        EXPECT_TRUE(Enabled(C::Lls2Code));
    }
    ExpectNotAvailable({C::Lls0Code, C::Lls0Litres});  // type 70 has no RS-232
}

TEST_F(InfoFormTest, OutputByMode) {
    const struct {
        int32_t mode, state;
        const char* text;
    } cases[] = {{0, 1, "ON"}, {0, 0, "OFF"}, {1, 1, "Freq"}, {2, 0, "Pulse"}, {-3, 0, "Pulse"}};
    for (const auto& c : cases) {
        Change<OutputRecord>(DI_OUTPUT_1, [&](OutputRecord& o) {
            o.mode = c.mode;
            o.liveState = c.state;
        });
        form.Load();
        EXPECT_EQ(Text(C::Out1), c.text) << c.mode << "," << c.state;
    }
}

TEST_F(InfoFormTest, AccelerationSignsAndTotal) {
    const struct {
        int16_t x, y, z;
        const char *tx, *ty, *tz, *total;
    } cases[] = {
        {3, 4, 0, "+3", "+4", "+0", "5"},
        {-1, -1, -1, "-1", "-1", "-1", "1"},
        // The squares overflow 32 bits: the total must not.
        {-32768, -32768, -32768, "-32768", "-32768", "-32768", "56755"},
    };
    for (const auto& c : cases) {
        data.Set(DI_ACCEL, AccelRecord{c.x, c.y, c.z});
        data.Set(DI_TILT, TiltLive{-5, 0});
        form.Load();
        ExpectTexts({{C::AccelX, c.tx},
                     {C::AccelY, c.ty},
                     {C::AccelZ, c.tz},
                     {C::AccelTotal, c.total},
                     {C::TiltX, "-5"},
                     {C::TiltY, "+0"}});
    }
}

TEST_F(InfoFormTest, ThermometersBeyondTheCountOrSwitchedOffShowNa) {
    data.Set(DI_TINT, int8_t{-7});
    Change<ThermometerRecord>(ItemBase::Thermometer + 1, [](ThermometerRecord& t) {
        t.liveFlags = 0x02;
        t.temperature = 21;
    });
    Change<ThermometerRecord>(ItemBase::Thermometer + 2, [](ThermometerRecord& t) { t.liveFlags = 0; });
    form.Load();
    EXPECT_EQ(Text(C::Tint), "-7");
    EXPECT_EQ(Text(C::Text1), "+21");
    EXPECT_EQ(Text(C::Text2), "---");
    EXPECT_TRUE(Enabled(C::Text2));
    ExpectNotAvailable({C::Text3, C::Text4});

    Change<ThermometerRecord>(ItemBase::Thermometer + 1, [](ThermometerRecord& t) { t.flags = 0; });
    form.Load();
    ExpectNotAvailable({C::Text1});
}

TEST_F(InfoFormTest, WideNumbersAndTheKeyAreShownWhole) {
    Change<StatisticsRecord>(DI_STATISTICS, [](StatisticsRecord& s) {
        s.distance = -2147483647 - 1;
        s.averageSpeed = 255;
    });
    data.Set(DI_EKEY, uint64_t{0xFFFF0123456789ABull});
    form.Load();
    ExpectTexts({{C::Distance, "-2147483648"}, {C::AverageSpeed, "255"}, {C::Key, "0123456789AB"}});
}

TEST_F(InfoFormTest, CoordinatesInDecimalDegreesOnceAPositionIsKnown) {
    EXPECT_FALSE(form.Coordinates());  // nothing loaded yet
    const struct {
        uint8_t state;
        char latHemisphere, lonHemisphere;
        const char* text;
    } cases[] = {
        {0x04, 'N', 'E', "55.757202, 37.626130"},
        {0x08, 'S', 'W', "-55.757202, -37.626130"},
        {0x02, 'N', 'E', nullptr},  // still searching
        {0x01, 'N', 'E', nullptr},
    };
    for (const auto& c : cases) {
        Change<GnssRecord>(DI_GNSS, [&](GnssRecord& g) {
            g.state = c.state;
            g.latitude = {55, 45, 4321, c.latHemisphere};
            g.longitude = {37, 37, 5678, c.lonHemisphere};
        });
        form.Load();
        const std::optional<std::string> coordinates = form.Coordinates();
        if (c.text)
            EXPECT_EQ(coordinates, std::string(c.text)) << int{c.state};
        else
            EXPECT_FALSE(coordinates) << int{c.state};
    }
}

TEST_F(InfoFormTest, NothingIsEverEditedOrCollected) {
    form.Load();
    EXPECT_EQ(form.Code(), PageCode::Info);
    EXPECT_EQ(form.EditCheck(I(C::Mov), true), Verdict::Refuse);
    EXPECT_FALSE(form.View(C::Mov).checked);
    EXPECT_FALSE(form.Modified());
    EXPECT_FALSE(form.Collect());
    EXPECT_EQ(host.modified, 0);
    EXPECT_TRUE(host.Pending().empty());
    EXPECT_TRUE(host.Sent().empty());
}

}  // namespace
