// "Связь" in the real window against the simulated dual-SIM WiFi device: its
// edits and buttons reach the device, and server 1 and APN1, which "Главная"
// shows too, stay one setting on both pages.
#include "model/dataserver.h"
#include "pages/gui/connectionpage.h"
#include "pages/gui/wizardpage.h"
#include "tests/support/qtapp.h"
#include "tests/window/window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using C = ConnectionControl;
using M = MainControl;

class ConnectionsDeviceTest : public WindowFixture {
protected:
    void SetUp() override {
        StartWindow();  // type 11: GSM with two SIMs, WiFi
        connections = window->findChild<CConnectionPage*>();
        ASSERT_NE(connections, nullptr);
        Connect();
        Show(connections);
    }

    void Show(QWidget* page) { window->Tabs()->setCurrentWidget(page); }
    static void TypeInto(QWidget* widget, const char* text) {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        edit->setText(QString::fromUtf8(text));
        emit edit->textEdited(edit->text());
    }
    void Type(C control, const char* text) { TypeInto(connections->Control(control), text); }
    void Type(M control, const char* text) { TypeInto(windows->MainPage().Control(control), text); }
    QString Text(QWidget* widget) const { return qobject_cast<QLineEdit*>(widget)->text(); }
    QString Text(C control) const { return Text(connections->Control(control)); }
    QString Text(M control) const { return Text(windows->MainPage().Control(control)); }
    void Write() {
        sim->ClearReceived();
        window->Panel()->WriteButton()->click();
    }
    bool Stores(const char* keyword, const char* text) const {
        return sim->Setting(keyword).find(text) != std::string::npos;
    }
    int Sent(const std::string& request) const {
        const std::vector<std::string> sent = SentRequests();
        return static_cast<int>(std::count_if(sent.begin(), sent.end(),
                                              [&](const std::string& line) { return line.rfind(request, 0) == 0; }));
    }
    // Reads every group back from the device into the record and the pages.
    void ReadBack() {
        window->Panel()->ReadButton()->click();
        Show(&windows->MainPage());
        Show(connections);
    }

    CConnectionPage* connections = nullptr;
};

TEST_F(ConnectionsDeviceTest, TheSecondServerSimModeSecondApnAndBothNetworksReachTheDeviceAndComeBack) {
    Type(C::Server2Ip, "10.1.2.3");
    Type(C::Server2Port, "9100");
    auto* sims = qobject_cast<QComboBox*>(connections->Control(C::SimControl));
    sims->setCurrentIndex(3);
    emit sims->activated(3);
    Type(C::Apn2Name, "apn.two");
    Type(C::Wifi1Ssid, "depot");
    Type(C::Wifi1Password, "key-one");
    Type(C::Wifi2Password, "key-two");
    Write();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_TRUE(Stores("SERVER2", "9100")) << sim->Setting("SERVER2");
    EXPECT_TRUE(Stores("SERVER2", "10.1.2.3") || Stores("SERVER2", "010.001.002.003")) << sim->Setting("SERVER2");
    EXPECT_EQ(sim->Setting("SIMS"), "4");
    EXPECT_TRUE(Stores("APN2", "apn.two")) << sim->Setting("APN2");
    EXPECT_TRUE(Stores("WIFINET1", "depot") && Stores("WIFINET1", "key-one")) << sim->Setting("WIFINET1");
    EXPECT_TRUE(Stores("WIFINET2", "key-two")) << sim->Setting("WIFINET2");

    data.ResetToDefaults(11);
    ReadBack();
    EXPECT_EQ(Text(C::Server2Port), QStringLiteral("9100"));
    EXPECT_EQ(Text(C::Server2Ip), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(sims->currentIndex(), 3);
    EXPECT_EQ(Text(C::Apn2Name), QStringLiteral("apn.two"));
    EXPECT_EQ(Text(C::Wifi1Ssid), QStringLiteral("depot"));
    EXPECT_EQ(Text(C::Wifi2Password), QStringLiteral("key-two"));
    EXPECT_EQ(Text(M::ApnName), QStringLiteral("apn.two")) << "the main page shows the SIM in use";
}

TEST_F(ConnectionsDeviceTest, ServerOneIsOneSettingOnBothPagesAndOneWriteSendsItOnce) {
    Type(C::Server1Ip, "10.0.0.9");
    Type(C::Server1Port, "7001");
    Show(&windows->MainPage());
    EXPECT_EQ(Text(M::ServerPort), QStringLiteral("7001")) << "the edit shows on the other page";
    Type(M::ServerLogin, "fleet-1");
    Show(connections);
    EXPECT_EQ(Text(C::Server1Login), QStringLiteral("fleet-1"));
    EXPECT_EQ(Text(C::Server1Port), QStringLiteral("7001")) << "neither page overwrote the other's edit";
    Write();
    EXPECT_EQ(Sent("SERVER1;SET"), 1);
    EXPECT_TRUE(Stores("SERVER1", "7001") && Stores("SERVER1", "fleet-1")) << sim->Setting("SERVER1");
    ServerRecord server;
    data.Get(DI_SERVER_1, server);
    EXPECT_STREQ(server.port, "7001");
    EXPECT_STREQ(server.login, "fleet-1");
}

TEST_F(ConnectionsDeviceTest, DeletingTheSecondServerAsksAndOnYesSwitchesItOffOnTheDevice) {
    Type(C::Server2Ip, "10.1.2.3");
    Type(C::Server2Port, "9100");
    Write();
    ASSERT_TRUE(Stores("SERVER2", "9100"));
    auto* remove = qobject_cast<QPushButton*>(connections->Control(C::Server2Delete));
    // The refresh after the write shows the slot in use.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !remove->isHidden() && remove->isEnabled(); }, 3000));

    remove->click();  // the fixture answers "Нет"
    EXPECT_EQ(boxes, QStringList{QString::fromUtf8(CConnectionForm::kDeleteServer)});
    EXPECT_EQ(Text(C::Server2Port), QStringLiteral("9100"));

    boxWatch.stop();
    CloseNextModal(QString::fromUtf8("Да"));
    remove->click();
    boxWatch.start();
    EXPECT_EQ(Text(C::Server2Port), QStringLiteral("NO INFO"));
    Write();
    EXPECT_EQ(Sent("SERVER2;SET"), 1);
    data.ResetToDefaults(11);
    ReadBack();
    EXPECT_EQ(Text(C::Server2Port), QStringLiteral("NO INFO")) << sim->Setting("SERVER2");
}

}  // namespace
