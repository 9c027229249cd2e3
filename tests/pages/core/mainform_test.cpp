#include "pages/core/mainform.h"

#include "model/dataserver.h"
#include "tests/support/fake_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using C = MainControl;
using Strings = std::vector<std::string>;

AccessPointRecord AccessPointRecordOfDefaults() {
    CDataServer defaults;
    defaults.ResetToDefaults(70);
    AccessPointRecord apn;
    defaults.Get(DI_APN_1, apn);
    return apn;
}

class MainFormTest : public testing::Test {
protected:
    // A type 70 device (GSM, four inputs, RS-485) unless a test changes the capabilities.
    void SetUp() override { data.ResetToDefaults(70); }

    void SetCaps(uint32_t comm, uint32_t io, uint32_t periph) {
        DeviceTypeRecord type;
        data.Get(DI_DEV_TYPE, type);
        type.capsComm = comm;
        type.capsIo = io;
        type.capsPeriph = periph;
        data.Set(DI_DEV_TYPE, type);
    }
    template <class R> R Item(int item) {
        R record;
        data.Get(item, record);
        return record;
    }
    void Load() {
        form.Load();
        host.ClearRequests();
    }

    CDataServer data;
    FakePageHost host;
    CMainForm form{data, host};
};

constexpr uint32_t kGsm = 0x1, kSecondSim = 0x2;
constexpr uint32_t kRs485 = 1u << 17;
constexpr uint32_t Inputs(int n) { return (1u << 16) | (static_cast<uint32_t>(n) << 17); }

TEST_F(MainFormTest, WithoutGsmTheNetworkControlsShowNaAndAreNeverCollected) {
    SetCaps(0, Inputs(4), kRs485);
    Load();
    for (C c : {C::ApnName, C::ApnLogin, C::ApnPassword, C::Sms1, C::Sms2, C::ServerPort, C::ServerLogin,
                C::ServerPassword}) {
        EXPECT_EQ(form.View(c).text, "NA") << static_cast<int>(c);
        EXPECT_FALSE(form.View(c).enabled) << static_cast<int>(c);
    }
    EXPECT_EQ(form.View(C::ServerIp).text, "");
    EXPECT_FALSE(form.View(C::ServerIp).enabled);
    EXPECT_TRUE(form.View(C::Imei).enabled);
    form.Edit(C::ApnName, "internet");
    form.Edit(C::ServerIp, "10.0.0.5");
    EXPECT_FALSE(form.Collect());
    EXPECT_TRUE(host.Pending().empty());
}

TEST_F(MainFormTest, ATwoSimTypeInMode4ShowsAndWritesTheSecondAccessPoint) {
    SetCaps(kGsm | kSecondSim, Inputs(4), kRs485);
    data.Set(DI_SIM_CONTROL, int32_t{4});
    AccessPointRecord second;
    std::strcpy(second.apn, "second.apn");
    data.Set(DI_APN_2, second);
    Load();
    EXPECT_EQ(form.View(C::ApnName).text, "second.apn");
    EXPECT_EQ(form.Edit(C::ApnName, "third.apn"), Verdict::Accept);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"APN2"});
    EXPECT_STREQ(Item<AccessPointRecord>(DI_APN_2).apn, "third.apn");
    EXPECT_STREQ(Item<AccessPointRecord>(DI_APN_1).apn, AccessPointRecordOfDefaults().apn);
}

TEST_F(MainFormTest, InputRowsPastTheTypesCountShowNaAndTheIgnitionListOffersItsInputs) {
    SetCaps(kGsm, Inputs(2), 0);
    Load();
    EXPECT_EQ(form.View(C::IgnSource).choices, (Strings{"NONE", "IN1", "IN2"}));
    for (C c : {C::Mode3, C::Mode4}) {
        EXPECT_EQ(form.View(c).choices, Strings{"NA"});
        EXPECT_FALSE(form.View(c).enabled);
    }
    for (C c : {C::In3, C::In4}) {
        EXPECT_FALSE(form.View(c).checked);
        EXPECT_FALSE(form.View(c).enabled);
    }
    EXPECT_EQ(form.View(C::Mode2).choices.size(), 4u);
    EXPECT_TRUE(form.View(C::Mode2).enabled);
    // No RS-485: the speed list and the addresses show NA.
    EXPECT_EQ(form.View(C::Rs485Speed).choices, Strings{"NA"});
    EXPECT_EQ(form.View(C::Address1).text, "NA");
    EXPECT_FALSE(form.View(C::Lls1).enabled);
}

TEST_F(MainFormTest, AnEnteredAddressIsStoredZeroPaddedAndSwitchesTheServerOn) {
    Load();  // the defaults hold no server: its texts show NO INFO
    for (C c : {C::ServerPort, C::ServerLogin, C::ServerPassword})
        EXPECT_EQ(form.View(c).text, "NO INFO");
    EXPECT_EQ(form.View(C::ServerIp).text, "");
    EXPECT_FALSE(form.Collect()) << "untouched NO INFO texts change nothing";

    Load();
    for (C c : {C::ServerPort, C::ServerLogin, C::ServerPassword})
        form.Edit(c, "");
    EXPECT_FALSE(form.Collect()) << "an emptied NO INFO text empties nothing";
    EXPECT_EQ(Item<ServerRecord>(DI_SERVER_1).flags & 0x01, 0) << "the slot stays off";

    Load();
    form.Edit(C::ServerIp, "192.168.1.7");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"SERVER1;SET"});
    const ServerRecord server = Item<ServerRecord>(DI_SERVER_1);
    EXPECT_STREQ(server.ip, "192.168.001.007");
    EXPECT_EQ(server.flags & 0x0F, 0x0F);
    EXPECT_EQ(server.protocol & 0x01, 0x01);
    EXPECT_STREQ(server.port, "") << "NO INFO is never stored";

    Load();
    EXPECT_EQ(form.View(C::ServerIp).text, "192.168.1.7");
}

struct EntryCase {
    const char* name;
    C control;
    const char* text;
    Verdict verdict;
    const char* shown;  // what the control shows afterwards
};

TEST_F(MainFormTest, RefusedEntriesGetTheModelsValueBack) {
    TrackFilterRecord filter = Item<TrackFilterRecord>(DI_TRACK_FILTER);
    filter.angle = 25;
    data.Set(DI_TRACK_FILTER, filter);
    FuelSensorRecord sensor = Item<FuelSensorRecord>(ItemBase::FuelSensor + 2);
    sensor.address = 7;
    data.Set(ItemBase::FuelSensor + 2, sensor);
    char sms[16] = "+7000";
    data.Set(ItemBase::Sms + 1, sms);
    const std::string apn = AccessPointRecordOfDefaults().apn;
    const EntryCase cases[] = {
        {"angle 180", C::Angle, "180", Verdict::Accept, "180"},
        {"angle 181", C::Angle, "181", Verdict::Refuse, "25"},
        {"address 255", C::Address2, "255", Verdict::Accept, "255"},
        {"address 256", C::Address2, "256", Verdict::Refuse, "7"},
        {"sms with a leading plus", C::Sms1, "+79121234567", Verdict::Accept, "+79121234567"},
        {"sms with a plus inside", C::Sms1, "79+121", Verdict::Refuse, "+7000"},
        {"sms NO INFO", C::Sms1, "NO INFO", Verdict::Accept, "NO INFO"},
        {"sms letters", C::Sms1, "7912a", Verdict::Refuse, "+7000"},
        {"a field separator", C::ApnName, "inter;net", Verdict::Refuse, apn.c_str()},
        {"a character without a device byte", C::ServerLogin, "логин", Verdict::Refuse, "NO INFO"},
        {"a Latin-1 letter", C::ApnLogin, "caf\xc3\xa9", Verdict::Accept, "caf\xc3\xa9"},
    };
    for (const EntryCase& c : cases) {
        Load();
        EXPECT_EQ(form.Edit(c.control, c.text), c.verdict) << c.name;
        EXPECT_EQ(form.View(c.control).text, c.shown) << c.name;
    }
}

TEST_F(MainFormTest, EditsCountOnlyWhileEditingIsPossible) {
    Load();
    form.Edit(C::Distance, "250");
    EXPECT_EQ(host.modified, 1);
    EXPECT_TRUE(form.Modified());
    EXPECT_TRUE(form.Collect());
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(host.Pending(), Strings{"FILTER"});
    EXPECT_EQ(Item<TrackFilterRecord>(DI_TRACK_FILTER).distance, 250);

    host.connected = false;
    form.Edit(C::Distance, "300");
    EXPECT_EQ(host.modified, 1);
    EXPECT_FALSE(form.Modified());
}

TEST_F(MainFormTest, ClearingAnInputsBoxClearsItsProtocolBitAndWritesTheHalfThatHoldsIt) {
    Load();
    ASSERT_TRUE(form.View(C::In2).checked == ((Item<ProtocolSetRecord>(DI_PRSET_1).set[0][5] >> 1) & 1));
    form.Check(C::In2, true);
    form.Collect();
    Load();
    form.Check(C::In2, false);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"PRSET10;SET"}));
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[0][5] & 0x2, 0);
}

TEST_F(MainFormTest, ModesAndSourcesAreWrittenOnlyWhenChangedAndStoredValuesWithoutAnEntryStay) {
    InputRecord in3 = Item<InputRecord>(ItemBase::Input + 3);
    in3.mode = 7;
    data.Set(ItemBase::Input + 3, in3);
    Load();
    EXPECT_EQ(form.View(C::Mode3).selection, -1);
    form.Choose(C::Mode1, 3);
    ASSERT_NE(Item<IgnitionRecord>(DI_IGN).source, 1);
    form.Choose(C::IgnSource, 1);
    form.Choose(C::Rs485Speed, 4);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"IGN", "IN1", "RS485"}));
    EXPECT_EQ(Item<InputRecord>(ItemBase::Input + 1).mode, 3);
    EXPECT_EQ(Item<IgnitionRecord>(DI_IGN).source, 1);
    EXPECT_EQ(Item<SerialInterfaceRecord>(DI_RS485).r[2], 115200);
    EXPECT_EQ(Item<InputRecord>(ItemBase::Input + 3).mode, 7);
}

TEST_F(MainFormTest, LoadingCorrectsSensorBitsThatDisagreeWithTheInUseFlags) {
    FuelSensorRecord sensor = Item<FuelSensorRecord>(ItemBase::FuelSensor + 3);
    sensor.flags |= 0x01;
    data.Set(ItemBase::FuelSensor + 3, sensor);
    ProtocolSetRecord prset = Item<ProtocolSetRecord>(DI_PRSET_1);
    prset.set[0][7] = 0;
    data.Set(DI_PRSET_1, prset);
    form.Load();
    EXPECT_EQ(host.Pending(), (Strings{"PRSET10;SET"}));
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[0][7] & (1u << 3), 1u << 3);
    host.ClearRequests();
    form.Load();
    EXPECT_TRUE(host.Pending().empty()) << "once agreed, a load appends nothing";

    form.Check(C::Lls3, false);
    form.Edit(C::Address1, "12");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"LLS1;SET", "LLS3;SET", "PRSET10;SET"}));
    EXPECT_EQ(Item<FuelSensorRecord>(ItemBase::FuelSensor + 3).flags & 0x01, 0);
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[0][7] & (1u << 3), 0u);
    EXPECT_EQ(Item<FuelSensorRecord>(ItemBase::FuelSensor + 1).address, 12);
}

struct PasswordCase {
    const char* name;
    uint8_t flags;  // in the record before
    bool on;        // "Вкл." when "Изменить" is pressed
    const char* text;
    const char* error;  // the box, or nullptr when accepted
};

TEST_F(MainFormTest, ThePasswordRoadRefusesAnEmptyOrUnchangedPasswordAndTakesTheOnOffSwitch) {
    const PasswordCase cases[] = {
        {"on, empty", PasswordFlag::kBoth, true, "", CMainForm::kPasswordEmpty},
        {"on, unchanged", PasswordFlag::kBoth, true, "7391", CMainForm::kPasswordSame},
        {"on, new", PasswordFlag::kBoth, true, "1234", nullptr},
        {"switched off, empty", PasswordFlag::kBoth, false, "", nullptr},
        {"switched on, unchanged", 0, true, "7391", nullptr},
    };
    for (const PasswordCase& c : cases) {
        SCOPED_TRACE(c.name);
        PasswordRecord password;
        password.flags = c.flags;
        std::strcpy(password.current, "7391");
        data.Set(DI_PASSWORD, password);
        Load();
        EXPECT_EQ(form.View(C::Password).text, "7391");
        EXPECT_FALSE(form.View(C::Password).masked);
        form.Check(C::PasswordOn, c.on);
        form.Edit(C::Password, c.text);
        const int errorsBefore = static_cast<int>(host.Errors().size());
        form.Press(C::PasswordChange);
        const PasswordRecord after = Item<PasswordRecord>(DI_PASSWORD);
        if (c.error) {
            ASSERT_EQ(host.Errors().size(), static_cast<size_t>(errorsBefore + 1));
            EXPECT_EQ(host.Errors().back(), c.error);
            EXPECT_EQ(form.View(C::Password).text, "7391");
            EXPECT_EQ(after.flags, c.flags);
            EXPECT_FALSE(form.Collect());
            EXPECT_TRUE(host.Pending().empty());
        } else {
            EXPECT_STREQ(after.next, c.text);
            EXPECT_EQ((after.flags & PasswordFlag::kWanted) != 0, c.on);
            EXPECT_TRUE(form.Collect());
            EXPECT_EQ(host.Pending(), Strings{"PASS"});
        }
    }
}

TEST_F(MainFormTest, SwitchingProtectionOffMasksAndDisablesThePasswordEdit) {
    PasswordRecord password;
    password.flags = PasswordFlag::kBoth;
    data.Set(DI_PASSWORD, password);
    Load();
    EXPECT_TRUE(form.View(C::Password).enabled);
    form.Check(C::PasswordOn, false);
    EXPECT_FALSE(form.View(C::Password).enabled);
    EXPECT_TRUE(form.View(C::Password).masked);
    form.Check(C::PasswordOn, true);
    EXPECT_TRUE(form.View(C::Password).enabled);
    EXPECT_FALSE(form.View(C::Password).masked);
}

TEST_F(MainFormTest, ImeiGoesIntoTheServerLogin) {
    char imei[16] = "356000000000001";
    data.Set(DI_IMEI, imei);
    Load();
    form.Press(C::Imei);
    EXPECT_EQ(form.View(C::ServerLogin).text, "356000000000001");
    EXPECT_TRUE(form.Collect());
    EXPECT_STREQ(Item<ServerRecord>(DI_SERVER_1).login, "356000000000001");
}

TEST_F(MainFormTest, ACollectBeforeTheFirstLoadAppendsNothing) {
    form.Edit(C::Distance, "5");
    EXPECT_FALSE(form.Collect());
    EXPECT_TRUE(host.Pending().empty());
}

struct FieldCase {
    const char* name;
    C control;
    const char* text;  // an edit's text, or nullptr for a check box
    bool checked;
    int64_t (*stored)(CDataServer&);  // the field in the record
    int64_t expected;
};

template <class R> R Read(CDataServer& data, int item) {
    R record;
    data.Get(item, record);
    return record;
}
int64_t FilterFlags(CDataServer& d) { return Read<TrackFilterRecord>(d, DI_TRACK_FILTER).flags & 0x0E; }
int64_t RestTime(CDataServer& d) { return Read<TrackFilterRecord>(d, DI_TRACK_FILTER).timeRest; }
int64_t MotionTime(CDataServer& d) { return Read<TrackFilterRecord>(d, DI_TRACK_FILTER).timeMoving; }
int64_t IgnitionBit(CDataServer& d) { return (Read<ProtocolSetRecord>(d, DI_PRSET_1).set[0][2] >> 7) & 1; }

// Each case starts from a filter with every flag clear and the ignition bit clear.
TEST_F(MainFormTest, TrackFilterBoxesTimesAndTheIgnitionBoxLandInTheirFields) {
    const FieldCase cases[] = {
        {"distance box", C::DistanceOn, nullptr, true, FilterFlags, 1 << 1},
        {"angle box", C::AngleOn, nullptr, true, FilterFlags, 1 << 2},
        {"speed box", C::SpeedOn, nullptr, true, FilterFlags, 1 << 3},
        {"time at rest", C::RestTime, "3600", false, RestTime, 3600},
        {"time in motion", C::MotionTime, "45", false, MotionTime, 45},
        {"time at rest emptied", C::RestTime, "", false, RestTime, 0},
        {"IGN box", C::IgnOn, nullptr, true, IgnitionBit, 1},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackFilterRecord filter = Item<TrackFilterRecord>(DI_TRACK_FILTER);
        filter.flags = 0;
        filter.timeRest = 120;
        filter.timeMoving = 30;
        data.Set(DI_TRACK_FILTER, filter);
        ProtocolSetRecord prset = Item<ProtocolSetRecord>(DI_PRSET_1);
        prset.set[0][2] = static_cast<uint16_t>(prset.set[0][2] & ~(1u << 7));
        data.Set(DI_PRSET_1, prset);
        Load();
        EXPECT_FALSE(form.View(c.control).checked);
        if (c.text)
            form.Edit(c.control, c.text);
        else
            form.Check(c.control, c.checked);
        EXPECT_TRUE(form.Collect());
        EXPECT_EQ(c.stored(data), c.expected);
        Load();
        if (c.text)
            EXPECT_EQ(form.View(c.control).text, std::to_string(c.expected));
        else
            EXPECT_TRUE(form.View(c.control).checked) << "the load shows what was stored";
        if (!c.text) {
            form.Check(c.control, false);
            form.Collect();
            EXPECT_EQ(c.stored(data), 0) << "cleared again";
        }
    }
}

TEST_F(MainFormTest, AChangedSmsNumberIsStoredAndAnUnchangedOneIsLeftAlone) {
    char second[16] = "+7111";
    data.Set(ItemBase::Sms + 2, second);
    Load();
    EXPECT_EQ(form.Edit(C::Sms1, "+79120000001"), Verdict::Accept);
    EXPECT_TRUE(form.Collect());
    char number[16] = {};
    data.Get(ItemBase::Sms + 1, number, sizeof number);
    EXPECT_STREQ(number, "+79120000001");
    data.Get(ItemBase::Sms + 2, number, sizeof number);
    EXPECT_STREQ(number, "+7111");
    EXPECT_FALSE(form.Collect()) << "handed over once";
}

TEST_F(MainFormTest, AStoredRateOutsideTheFiveShowsNoSelectionAndIsNeverOverwritten) {
    SerialInterfaceRecord rs485 = Item<SerialInterfaceRecord>(DI_RS485);
    rs485.r[2] = 4800;
    data.Set(DI_RS485, rs485);
    Load();
    EXPECT_EQ(form.View(C::Rs485Speed).selection, -1);
    EXPECT_TRUE(form.View(C::Rs485Speed).enabled);
    form.Edit(C::Distance, "77");
    form.Collect();
    EXPECT_EQ(Item<SerialInterfaceRecord>(DI_RS485).r[2], 4800) << "an edit elsewhere leaves the rate";
    Load();
    form.Choose(C::Rs485Speed, 1);
    form.Collect();
    EXPECT_EQ(Item<SerialInterfaceRecord>(DI_RS485).r[2], 4800) << "a rate without an entry is kept";
}

}  // namespace
