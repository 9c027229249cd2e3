#include "pages/core/connectionform.h"

#include "tests/pages/core/form_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using C = ConnectionControl;

constexpr uint32_t kGsm = 0x1, kWifi = 1u << 16;
constexpr int kServer2 = ItemBase::Server + 2;
constexpr int kWifiNet2 = ItemBase::WifiNet + 2;

using ConnectionFormTest = FormFixture<CConnectionForm>;

TEST_F(ConnectionFormTest, WithoutGsmAndWifiEveryBoxShowsNaAndNothingIsAppended) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm = 0; });
    Load();
    for (C c : {C::Server1Port, C::Server1Login, C::Server2Password, C::Apn1Name, C::Apn2Login, C::Wifi1Ssid,
                C::Wifi2Password}) {
        EXPECT_EQ(form.View(c).text, "NA") << static_cast<int>(c);
        EXPECT_FALSE(form.View(c).enabled) << static_cast<int>(c);
    }
    EXPECT_EQ(form.View(C::Server1Ip).text, "");
    EXPECT_EQ(form.View(C::SimControl).choices, Strings{"NA"});
    form.Edit(C::Server1Ip, "10.0.0.1");
    form.Edit(C::Apn1Name, "x");
    EXPECT_FALSE(form.Collect());
    EXPECT_TRUE(host.Pending().empty());
}

TEST_F(ConnectionFormTest, WithWifiAloneTheServersExist) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm = kWifi; });
    Load();
    EXPECT_EQ(form.View(C::Server1Port).text, "NO INFO");
    EXPECT_TRUE(form.View(C::Server1Port).enabled);
    EXPECT_EQ(form.View(C::Apn1Name).text, "NA");
}

TEST_F(ConnectionFormTest, OneSimShowsNaForTheSecondAccessPointAndNeverAppendsIt) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm = kGsm | kWifi; });
    Load();
    EXPECT_EQ(form.View(C::Apn2Name).text, "NA");
    EXPECT_EQ(form.View(C::SimControl).choices, Strings{"NA"});
    EXPECT_EQ(form.View(C::Apn1Name).text, "internet.orv");
    form.Edit(C::Apn2Name, "other");
    form.Edit(C::Apn1Login, "me");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"APN1"});
    EXPECT_STREQ(Item<AccessPointRecord>(DI_APN_1).login, "me");
}

TEST_F(ConnectionFormTest, TypingOnlyAnAddressIntoAFreeSlotSwitchesTheServerOn) {
    Load();
    for (C c : {C::Server1Port, C::Server1Login, C::Server1Password})
        EXPECT_EQ(form.View(c).text, "NO INFO");
    EXPECT_EQ(form.View(C::Server1Ip).text, "");
    EXPECT_FALSE(form.Collect());

    Load();
    form.Edit(C::Server1Ip, "10.0.0.1");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"SERVER1;SET"});
    const ServerRecord server = Item<ServerRecord>(DI_SERVER_1);
    EXPECT_STREQ(server.ip, "010.000.000.001");
    EXPECT_EQ(server.flags & 0x0F, 0x0F);
    EXPECT_EQ(server.protocol & 0x01, 0x01);
    EXPECT_STREQ(server.port, "");

    Load();
    form.Edit(C::Server2Port, "9000");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"SERVER2;SET"});
    EXPECT_STREQ(Item<ServerRecord>(kServer2).port, "9000");
}

TEST_F(ConnectionFormTest, EachWifiNetworkIsWrittenOnlyWhenItsOwnTextsChanged) {
    Load();
    EXPECT_EQ(form.View(C::Wifi2Ssid).text, "ORVENA-SERVICE");
    form.Edit(C::Wifi2Password, "secret-2");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"WIFINET2;SET"});
    EXPECT_STREQ(Item<WifiNetworkRecord>(kWifiNet2).key, "secret-2");

    Load();
    form.Edit(C::Wifi1Ssid, "depot");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"WIFINET1;SET"});

    WifiNetworkRecord unknown = Item<WifiNetworkRecord>(kWifiNet2);
    unknown.flags = 0;
    data.Set(kWifiNet2, unknown);
    Load();
    EXPECT_EQ(form.View(C::Wifi2Ssid).text, "NO INFO");
    form.Edit(C::Wifi2Ssid, "yard");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(Item<WifiNetworkRecord>(kWifiNet2).flags & 0x01, 0x01) << "the network counts as received";
}

TEST_F(ConnectionFormTest, SimControlStoresTheEntryPlusOne) {
    Load();
    EXPECT_EQ(form.View(C::SimControl).choices, (Strings{"SIM1", "SIM2", "SIM1/SIM2", "SIM2/SIM1"}));
    EXPECT_EQ(form.View(C::SimControl).selection, 2);
    form.Choose(C::SimControl, 3);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"SIMS"});
    EXPECT_EQ(Item<int32_t>(DI_SIM_CONTROL), 4);
}

struct SlotCase {
    const char* name;
    C button;
    C text;  // a text of the slot: "NO INFO" or empty after the button
    int item;
    const char* question;
    const char* emptied;  // what the text shows afterwards
};

// Every slot filled: both servers in use, both access points and networks named.
class SlotButtonTest : public ConnectionFormTest {
protected:
    void SetUp() override {
        ConnectionFormTest::SetUp();
        for (int item : {static_cast<int>(DI_SERVER_1), kServer2})
            Change<ServerRecord>(item, [](ServerRecord& s) {
                s.flags = 0x0F;
                std::strcpy(s.ip, "192.168.001.002");
                std::strcpy(s.port, "7000");
                std::strcpy(s.login, "fleet");
            });
        Change<AccessPointRecord>(DI_APN_2, [](AccessPointRecord& a) { std::strcpy(a.apn, "second.apn"); });
        Change<WifiNetworkRecord>(DI_WIFINET_1, [](WifiNetworkRecord& w) {
            w.flags |= 0x01;
            std::strcpy(w.ssid, "depot");
        });
    }
};

const SlotCase kSlots[] = {
    {"main server", C::Server1Delete, C::Server1Port, DI_SERVER_1, CConnectionForm::kDeleteServer, "NO INFO"},
    {"reserve server", C::Server2Delete, C::Server2Login, kServer2, CConnectionForm::kDeleteServer, "NO INFO"},
    {"first access point", C::Apn1Clear, C::Apn1Name, DI_APN_1, CConnectionForm::kClearAccessPoint, ""},
    {"second access point", C::Apn2Clear, C::Apn2Name, DI_APN_2, CConnectionForm::kClearAccessPoint, ""},
    {"main network", C::Wifi1Delete, C::Wifi1Ssid, DI_WIFINET_1, CConnectionForm::kDeleteNetwork, "NO INFO"},
    {"reserve network", C::Wifi2Delete, C::Wifi2Ssid, kWifiNet2, CConnectionForm::kDeleteNetwork, "NO INFO"},
};

// Only what the record holds afterwards tells whether the slot was emptied.
bool SlotEmpty(CDataServer& data, int item) {
    if (item == DI_SERVER_1 || item == kServer2) {
        ServerRecord s;
        data.Get(item, s);
        return (s.flags & 0x01) == 0;
    }
    if (item == DI_APN_1 || item == DI_APN_2) {
        AccessPointRecord a;
        data.Get(item, a);
        return !a.apn[0] && !a.login[0] && !a.password[0];
    }
    WifiNetworkRecord w;
    data.Get(item, w);
    return (w.flags & 0x01) == 0 && !w.ssid[0] && !w.key[0];
}

TEST_F(SlotButtonTest, EachButtonAsksEmptiesOnlyItsSlotOnYesAndHasItWritten) {
    for (const SlotCase& c : kSlots) {
        SCOPED_TRACE(c.name);
        SetUp();
        Load();
        ASSERT_TRUE(form.View(c.button).visible);
        ASSERT_TRUE(form.View(c.button).enabled);
        host.answerYes = false;
        form.Press(c.button);
        EXPECT_EQ(host.Questions().back(), c.question);
        EXPECT_FALSE(SlotEmpty(data, c.item)) << "no keeps the slot";

        form.Edit(C::Wifi2Password, "kept-2");
        host.answerYes = true;
        form.Press(c.button);
        EXPECT_TRUE(SlotEmpty(data, c.item));
        for (const SlotCase& other : kSlots)
            if (other.item != c.item) {
                EXPECT_FALSE(SlotEmpty(data, other.item)) << other.name;
            }
        EXPECT_EQ(form.View(c.text).text, c.emptied);
        EXPECT_FALSE(form.View(c.button).enabled) << "nothing left to empty";
        EXPECT_TRUE(form.Modified());
        form.Collect();
        EXPECT_TRUE(SlotEmpty(data, c.item)) << "the collect keeps the emptied slot";
        if (c.item != kWifiNet2) {
            EXPECT_STREQ(Item<WifiNetworkRecord>(kWifiNet2).key, "kept-2") << "another slot's edit stays";
        }
        host.answerYes = false;
    }
}

TEST_F(SlotButtonTest, ButtonsAreDisabledWithoutTheirHardwareOrWithoutADeviceOrFile) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm = kGsm; });
    Load();
    for (C c : {C::Apn2Clear, C::Wifi1Delete, C::Wifi2Delete})
        EXPECT_FALSE(form.View(c).enabled) << static_cast<int>(c);
    EXPECT_TRUE(form.View(C::Server1Delete).enabled);
    host.connected = false;
    Load();
    for (const SlotCase& c : kSlots)
        EXPECT_FALSE(form.View(c.button).enabled) << c.name;
    form.Press(C::Server1Delete);
    EXPECT_TRUE(host.Questions().empty());
    EXPECT_FALSE(SlotEmpty(data, DI_SERVER_1));
}

}  // namespace
