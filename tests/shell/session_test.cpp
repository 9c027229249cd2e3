// The shell against the simulated device on a pseudo-terminal: connecting,
// identification with its password roads, read-all and write-all on the wire,
// losing the port, control commands and shutdown.
#include "shell/session.h"

#include "model/dataserver.h"
#include "shell/shellstate.h"
#include "sim/devsim.h"
#include "tests/support/fake_ui.h"
#include "tests/support/received.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const char kWrongPassword[] = "Соединение не установлено.\r\nНеверный пароль!";
const char kTimeout[] = "Время ожидания истекло.\r\nОтвет не получен!";
const char kPortNotFound[] = "Ошибка соединения.\r\nСоединение не найдено!";

struct ShellFixture : testing::Test {
    CDataServer data;
    CShellState state;
    FakeUi ui;
    std::unique_ptr<CDevSim> sim;
    CPageSet pages;
    std::unique_ptr<CSession> session;

    void StartDevice(DevSimOptions options) {
        static std::atomic<int> serial{0};
        options.pacing = false;
        options.link = "/tmp/orvena-app-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
        sim = std::make_unique<CDevSim>(options);
        ASSERT_TRUE(sim->Start());
        session = std::make_unique<CSession>(data, state, ui.SessionRoles(), pages);
        session->SetPortPath(sim->PortPath());
        ui.onConnectCommand = [this] { session->OnConnectCommand(); };
    }
    void StartDevice(int type) {
        DevSimOptions options;
        options.type = type;
        StartDevice(options);
    }
    void TearDown() override {
        session.reset();
        sim.reset();
    }
    // The connect button, then whatever it posted (the automatic second attempt).
    void PressConnect() {
        session->OnConnectCommand();
        ui.RunPosted();
    }
    // "KEYWORD" or "KEYWORD;PARAMETER" of every line the device received.
    std::vector<std::string> Received(const std::string& password = "7391") const {
        return ReceivedRequests(*sim, password);
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool HasError(const char* text) { return Has(ui.Errors(), text); }
};

TEST_F(ShellFixture, ConnectReadsEveryGroupOfType11WithFourThermometers) {
    StartDevice(11);
    PressConnect();
    ASSERT_TRUE(state.connected);
    EXPECT_TRUE(state.deviceDataLoaded);
    const std::vector<std::string> expected = {
        "HWCFG",       "GSM",          "HWCFG",        "VER",         "BOOTVER",     "DEV",         "PASS",
        "DATE",        "MODE",         "LOG",          "REP",         "STATIST;GET", "GNSS",        "GSM",
        "SMS",         "SMS1;GET",     "SMS2;GET",     "SMS3;GET",    "PHONE",       "PHONE1;GET",  "PHONE2;GET",
        "PHONE3;GET",  "SIMS",         "SIM1",         "APN1",        "SIM2",        "APN2",        "WIFI",
        "WIFINET",     "WIFINET1;GET", "WIFINET2;GET", "FILTER",      "SERVER",      "SERVER1;GET", "SERVER2;GET",
        "IGN",         "SOS",          "IN1",          "IN2",         "IN3",         "IN4",         "IN5",
        "IN6",         "IN7",          "IN8",          "INTRSHD1",    "INTRSHD2",    "INTRSHD3",    "INTRSHD4",
        "INTRSHD5",    "INTRSHD6",     "INTRSHD7",     "INTRSHD8",    "OUT1",        "OUT2",        "OUT3",
        "OUT4",        "RS232",        "LLS",          "LLS0;GET",    "RS485",       "LLS",         "LLS1;GET",
        "LLS2;GET",    "LLS3;GET",     "LLS4;GET",     "MSENS;GET",   "TILT;GET",    "TSENS;GET",   "THERMOID",
        "THERMO1;GET", "THERMO2;GET",  "THERMO3;GET",  "THERMO4;GET", "PRSET10;GET", "PRSET11;GET"};
    EXPECT_EQ(Received(), expected);
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    EXPECT_EQ(type.type, 11);
    EXPECT_EQ(state.connectedType, 11);
}

struct WireCase {
    int type;
    std::vector<std::string> asked;
    std::vector<std::string> notAsked;
};

TEST_F(ShellFixture, ReadAllOnTheWireFollowsTheType) {
    const WireCase cases[] = {
        {20, {"RS232B", "RS485A", "THERMO1;GET"}, {"RS232", "RS485", "THERMO2;GET", "SIM2"}},
        {3, {"WIFI", "IN4", "RS485"}, {"GSM", "SMS", "PHONE", "SIMS", "SIM1", "APN1", "RS232"}},
        {41, {"GSM", "SIM2"}, {"IGN", "SOS", "IN1", "INTRSHD1", "OUT1", "THERMOID"}},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.type);
        session.reset();
        StartDevice(c.type);
        PressConnect();
        ASSERT_TRUE(state.connected);
        const std::vector<std::string> sent = Received();
        for (const std::string& line : c.asked)
            EXPECT_TRUE(Has(sent, line)) << line;
        for (const std::string& line : c.notAsked)
            EXPECT_FALSE(Has(sent, line)) << line;
        session->OnConnectCommand();  // disconnects
        EXPECT_FALSE(state.connected);
    }
}

TEST_F(ShellFixture, WrongStoredPasswordThenDialogConnects) {
    DevSimOptions options;
    options.password = "1234";
    options.protection = true;
    StartDevice(options);
    ui.passwordDialog = [this] {
        PasswordRecord password;
        data.Get(DI_PASSWORD, password);
        std::snprintf(password.current, sizeof password.current, "1234");
        password.flags |= 1;
        data.Set(DI_PASSWORD, password);
        return true;
    };
    PressConnect();
    EXPECT_TRUE(state.connected);
    EXPECT_EQ(ui.passwordDialogs, 1);
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{kWrongPassword});
    EXPECT_EQ(Received("1234").back(), "PRSET11;GET");
}

TEST_F(ShellFixture, CancellingThePasswordTwiceRestoresTheDefaultPassword) {
    DevSimOptions options;
    options.password = "1234";
    options.protection = true;
    StartDevice(options);
    PasswordRecord stored;
    std::snprintf(stored.current, sizeof stored.current, "5555");
    stored.flags = 2;
    data.Set(DI_PASSWORD, stored);
    PressConnect();  // the first failure posts the second attempt, which fails too
    EXPECT_FALSE(state.connected);
    EXPECT_EQ(ui.passwordDialogs, 2);
    EXPECT_EQ(state.connectFailures, 0);
    PasswordRecord password;
    data.Get(DI_PASSWORD, password);
    EXPECT_STREQ(password.current, "7391");
    EXPECT_EQ(password.flags & 3, 1);
}

TEST_F(ShellFixture, SecondFailureInARowShowsTimeoutAndDisconnects) {
    StartDevice(11);
    PressConnect();
    ASSERT_TRUE(state.connected);
    sim->SetSilent(true);
    state.consecutiveFailures = 1;  // the exchange before failed as well
    EXPECT_EQ(session->SendCommand(RequestType::Read, "GNSS", nullptr), kResultNoAnswer);
    EXPECT_EQ(ui.Errors(), std::vector<std::string>{kTimeout});
    ui.RunPosted();
    EXPECT_FALSE(state.connected);
    EXPECT_FALSE(state.deviceDataLoaded);
}

// "PC" answers a password write: a success, so it ends a run of failures and
// the next lost reply is a first failure again, not a broken connection.
TEST_F(ShellFixture, ChangedPasswordEndsARunOfFailures) {
    DevSimOptions options;
    options.type = 11;
    options.password = "1234";
    StartDevice(options);
    PressConnect();
    ASSERT_TRUE(state.connected);
    PasswordRecord password;
    data.Get(DI_PASSWORD, password);
    std::snprintf(password.current, sizeof password.current, "1234");
    std::snprintf(password.next, sizeof password.next, "2468");
    data.Set(DI_PASSWORD, password);
    state.consecutiveFailures = 1;
    ASSERT_EQ(session->SendCommand(RequestType::Write, "PASS", nullptr), kResultPassChanged);
    EXPECT_EQ(state.consecutiveFailures, 0);
    sim->SetSilent(true);
    EXPECT_EQ(session->SendCommand(RequestType::Read, "GNSS", nullptr), kResultNoAnswer);
    EXPECT_TRUE(ui.Errors().empty());
    ui.RunPosted();
    EXPECT_TRUE(state.connected);
}

TEST_F(ShellFixture, PortBackInTimeReconnectsWithAFreshReadAll) {
    StartDevice(11);
    session->SetRecheckTiming({std::chrono::milliseconds(200)});
    PressConnect();
    ASSERT_TRUE(state.connected);
    state.activePageCode = PageCode::Main;
    sim->Unplug();
    ASSERT_TRUE(ui.PumpUntil([this] { return !state.connected; }, 15s));
    sim->ClearReceived();
    sim->Replug();
    ASSERT_TRUE(ui.PumpUntil([this] { return state.connected && Has(Received(), "PRSET11;GET"); }, 15s));
    EXPECT_EQ(Received().front(), "HWCFG");
    EXPECT_FALSE(HasError(kPortNotFound));
    EXPECT_TRUE(Has(ui.Dialogs(), std::to_string(static_cast<int>(ConnectionMode::Recheck))));
}

TEST_F(ShellFixture, PortGoneForGoodReportsIt) {
    StartDevice(11);
    session->SetRecheckTiming({std::chrono::milliseconds(50)});
    PressConnect();
    ASSERT_TRUE(state.connected);
    state.activePageCode = PageCode::Main;
    sim->Unplug();
    ASSERT_TRUE(ui.PumpUntil([this] { return HasError(kPortNotFound); }, 20s));
    EXPECT_FALSE(state.connected);
}

TEST_F(ShellFixture, ControlCommandsAskFirst) {
    StartDevice(11);
    PressConnect();
    ASSERT_TRUE(state.connected);
    sim->ClearReceived();
    ui.answerYes = false;
    session->OnControlCommand(ControlCommand::Restart);
    EXPECT_EQ(ui.Questions(), std::vector<std::string>{"Вы действительно хотите перезагрузить устройство?"});
    EXPECT_TRUE(Received().empty());
    ui.answerYes = true;
    session->OnControlCommand(ControlCommand::Defaults);
    EXPECT_EQ(Received(), std::vector<std::string>{"DEFAULT"});
}

TEST_F(ShellFixture, WriteAllSetsTheDeviceClockToNow) {
    StartDevice(11);
    PressConnect();
    ASSERT_TRUE(state.connected);
    sim->ClearReceived();
    const std::time_t now = std::time(nullptr);
    session->WriteAllSettings();
    std::vector<std::string> sent;
    for (const std::string& line : Received())
        sent.push_back(line.substr(0, line.find(';')));
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "DEV");
    EXPECT_TRUE(Has(sent, "RS232") && Has(sent, "THERMO4") && !Has(sent, "THERMO5"));
    EXPECT_FALSE(Has(sent, "HWCFG") || Has(sent, "PASS") || Has(sent, "SIMS"));
    std::tm local{};
    localtime_r(&now, &local);
    char date[40];
    std::snprintf(date, sizeof date, "%02d%02d%02d", local.tm_mday, local.tm_mon + 1, local.tm_year % 100);
    const std::string stored = sim->Setting("DATE");
    EXPECT_EQ(stored.substr(0, 6), date) << stored;
    const int hh = std::stoi(stored.substr(7, 2)), mm = std::stoi(stored.substr(9, 2)),
              ss = std::stoi(stored.substr(11, 2));
    const int nowSeconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_LE(std::abs(hh * 3600 + mm * 60 + ss - nowSeconds), 5) << stored;
}

TEST_F(ShellFixture, ShutdownWhilePollingEndsPromptly) {
    StartDevice(11);
    PressConnect();
    ASSERT_TRUE(state.connected);
    state.activePageCode = PageCode::Info;
    sim->ClearReceived();
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(Has(Received(), "STATIST;GET"));
    const auto start = std::chrono::steady_clock::now();
    session.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_FALSE(state.connected);
}

}  // namespace
