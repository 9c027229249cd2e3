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

TEST_F(ConnectionFormTest, TheButtonsAreHiddenAndDeletingTheMainServerAppendsNothing) {
    ServerRecord server;
    server.flags = 0x0F;
    std::strcpy(server.ip, "192.168.001.002");
    std::strcpy(server.port, "7000");
    data.Set(DI_SERVER_1, server);
    Load();
    for (C c : {C::Server1Delete, C::Server2Delete, C::Apn1Clear, C::Apn2Clear, C::Wifi1Delete, C::Wifi2Delete})
        EXPECT_FALSE(form.View(c).visible);
    EXPECT_TRUE(form.View(C::Server1Delete).enabled);
    EXPECT_EQ(form.View(C::Server1Ip).text, "192.168.1.2");

    form.Edit(C::Apn1Name, "kept");
    host.answerYes = false;
    form.Press(C::Server1Delete);
    EXPECT_EQ(host.Questions(), Strings{CConnectionForm::kDeleteServer});
    EXPECT_STREQ(Item<ServerRecord>(DI_SERVER_1).port, "7000");

    host.answerYes = true;
    form.Press(C::Server1Delete);
    EXPECT_EQ(Item<ServerRecord>(DI_SERVER_1).flags, 0);
    EXPECT_EQ(form.View(C::Server1Ip).text, "");
    EXPECT_EQ(form.View(C::Server1Port).text, "NO INFO");
    EXPECT_FALSE(form.View(C::Server1Delete).enabled);
    EXPECT_EQ(form.View(C::Apn1Name).text, "kept") << "other edits stay";
    EXPECT_TRUE(form.Modified());
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"APN1"}) << "the deletion itself appends nothing";
}

}  // namespace
