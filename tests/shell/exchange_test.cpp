// The result message table and the status pass, without a device.
#include "shell/exchange.h"

#include "model/dataserver.h"
#include "shell/ports.h"
#include "shell/shellstate.h"
#include "shell/statuspoll.h"
#include "tests/support/fake_ui.h"
#include "transport/zracli.h"
#include "transport/zraqueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using RR = ResultReaction;

struct JudgeCase {
    int result;
    RequestType type;
    const char* parameter;
    bool connected;
    int failures;
    RR::Box box;
    RR::Follow follow;
    const char* text;
    ResultCause cause = ResultCause::None;
};

const JudgeCase kJudgeCases[] = {
    {kResultOk, RequestType::Read, nullptr, true, 0, RR::kNoBox, RR::kNothing, ""},
    {kResultPassChanged, RequestType::Write, nullptr, true, 0, RR::kNoBox, RR::kNothing, ""},
    {kResultNoAnswer, RequestType::Read, nullptr, true, 1, RR::kNoBox, RR::kNothing, ""},
    {kResultNoAnswer, RequestType::Read, nullptr, true, 2, RR::kErrorBox, RR::kPostConnect,
     "Время ожидания истекло.\r\nОтвет не получен!"},
    {kResultWrongPassword, RequestType::Read, nullptr, true, 1, RR::kNoBox, RR::kNothing, ""},
    {kResultWrongPassword, RequestType::Read, nullptr, true, 3, RR::kErrorBox, RR::kPostConnect,
     "Соединение разорвано.\r\n Неверный пароль!"},
    {kResultWrongPassword, RequestType::Read, nullptr, false, 0, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nНеверный пароль!"},
    {kResultNoAnswer, RequestType::Read, nullptr, false, 5, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nНеверный запрос!"},
    {kResultLost, RequestType::Read, nullptr, false, 0, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nНеверный запрос!"},
    {kResultLost, RequestType::Read, nullptr, true, 0, RR::kNoBox, RR::kPortRecheck, ""},
    {kResultRefused, RequestType::Write, "SET", true, 0, RR::kInfoBox, RR::kNothing,
     "Неверный запрос: SERVER1;SET\r\nДанные не сохранены!!!\r\nПроверить команду, формат или параметры!"},
    {kResultInvalid, RequestType::Read, nullptr, false, 0, RR::kInfoBox, RR::kNothing,
     "Неверный запрос: SERVER1;\r\nПроверить команду, формат или параметры!"},
    {kResultOther, RequestType::Raw, nullptr, true, 0, RR::kNoBox, RR::kNothing, ""},
    // A garbled answer is no refusal: it says what went wrong on the line.
    {kResultNotBuilt, RequestType::Read, "GET", true, 0, RR::kErrorBox, RR::kNothing,
     "Неверная контрольная сумма ответа: SERVER1;GET", ResultCause::BadChecksum},
    {kResultNotBuilt, RequestType::Read, nullptr, false, 0, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nНеверная контрольная сумма ответа!", ResultCause::BadChecksum},
    {kResultNotBuilt, RequestType::Raw, nullptr, true, 0, RR::kNoBox, RR::kNothing, "", ResultCause::BadChecksum},
    {kResultNotBuilt, RequestType::Read, "GET", true, 0, RR::kInfoBox, RR::kNothing,
     "Неверный запрос: SERVER1;GET\r\nПроверить команду, формат или параметры!", ResultCause::Refused},
    {11, RequestType::Read, nullptr, true, 0, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nПринят неверный ответ!"},
    {-1, RequestType::Read, nullptr, false, 0, RR::kErrorBox, RR::kNothing,
     "Соединение не установлено.\r\nПринят неверный ответ!"},
};

TEST(JudgeResult, MessageTable) {
    for (const JudgeCase& c : kJudgeCases) {
        const RR reaction = JudgeResult(c.result, c.type, "SERVER1", c.parameter, c.connected, c.failures, c.cause);
        SCOPED_TRACE(testing::Message() << "result " << c.result << " connected " << c.connected << " failures "
                                        << c.failures);
        EXPECT_EQ(reaction.box, c.box);
        EXPECT_EQ(reaction.follow, c.follow);
        EXPECT_EQ(reaction.text, c.text);
    }
}

// Without a running worker nothing is queued and the caller does not wait.
TEST(Exchange, NoWorkerNoWait) {
    CZRAQueue requests;
    requests.Reset();
    CShellState state;
    FakeUi ui;
    CExchange exchange(requests, state, ui, ui);
    state.connected = true;
    EXPECT_EQ(exchange.SendCommand(RequestType::Read, "GNSS", nullptr), kResultNoAnswer);
    state.connected = false;
    EXPECT_EQ(exchange.SendCommand(RequestType::Read, "GNSS", nullptr), kResultNoAnswer);
    EXPECT_TRUE(ui.Errors().empty());
    char text[34], parameter[34];
    QueueItem item{RequestType::None, text, sizeof text, parameter, sizeof parameter};
    EXPECT_EQ(requests.Get(item), 0);
}

// A request completed by the worker's callback returns that code, also when
// the callback comes on another thread.
TEST(Exchange, WaitsForTheCallback) {
    CZRAQueue requests;
    requests.Reset();
    CShellState state;
    state.connected = true;
    FakeUi ui;
    CExchange exchange(requests, state, ui, ui);
    exchange.WorkerStarted();
    std::thread worker;
    exchange.SetWakeWorker([&] {
        worker = std::thread([&] {
            char text[CZRAQueue::kTextSize], parameter[CZRAQueue::kParameterSize];
            QueueItem item{RequestType::None, text, sizeof text, parameter, sizeof parameter};
            ASSERT_EQ(requests.Get(item), 1);
            item.callback(item.user, kResultPassChanged, 0);
        });
    });
    EXPECT_EQ(exchange.SendCommand(RequestType::Write, "PASS", nullptr), kResultPassChanged);
    worker.join();
}

// Status pass tests: a scripted send, no thread.
struct PollFixture : testing::Test {
    CDataServer data;
    CShellState state;
    FakeUi ui;
    CZRAQueue service;
    std::vector<std::string> sent;
    int answer = kResultOk;
    CStatusPoll poll{
        state, data, service, ui, [this](RequestType, const char* keyword, const char* parameter) {
            sent.push_back(std::string(keyword) + (parameter && *parameter ? ";" : "") + (parameter ? parameter : ""));
            return answer;
        }};

    void SetUp() override {
        service.Reset();
        state.connected = true;
    }
    void Pass(int type, PageCode page) {
        data.Set(DI_DEV_TYPE, LookupModel(type).caps);
        state.activePageCode = page;
        sent.clear();
        poll.PollDeviceStatus(poll.Generation());
    }
};

TEST_F(PollFixture, InfoPageReadsGatedGroupsAndFourThermometers) {
    Pass(11, PageCode::Info);
    const std::vector<std::string> expected = {
        "STATIST;GET", "REP",  "EKEY", "LLS0", "LLS1", "LLS2", "LLS3",    "LLS4",    "MSENS",   "TILT",
        "TSENS",       "GNSS", "GSM",  "WIFI", "IN",   "OUT",  "THERMO1", "THERMO2", "THERMO3", "THERMO4"};
    EXPECT_EQ(sent, expected);
}

TEST_F(PollFixture, KeyReadOnlyWithAKeyReader) {
    Pass(30, PageCode::Info);  // no key reader
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "EKEY"), 0);
    Pass(20, PageCode::Info);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "EKEY"), 1);
}

TEST_F(PollFixture, PageCodesAndIdleStates) {
    Pass(11, PageCode::Main);
    EXPECT_EQ(sent, std::vector<std::string>{"GNSS"});
    Pass(11, PageCode::Settings);
    EXPECT_EQ(sent, std::vector<std::string>{"GNSS"});
    Pass(11, PageCode::Log);
    EXPECT_TRUE(sent.empty());
    state.busy = true;
    Pass(11, PageCode::Main);
    EXPECT_TRUE(sent.empty());
    state.busy = false;
    state.connected = false;
    Pass(11, PageCode::Main);
    EXPECT_TRUE(sent.empty());
}

TEST_F(PollFixture, ServiceRequestsFirstAndNoAnswerEndsThePass) {
    service.Put(RequestType::Write, "DEFAULT", "", nullptr, nullptr);
    service.Put(RequestType::Write, "STATIST", "RESET", nullptr, nullptr);
    answer = kResultNoAnswer;
    Pass(11, PageCode::Info);
    EXPECT_EQ(sent, (std::vector<std::string>{"DEFAULT", "STATIST;RESET", "STATIST;GET"}));
}

TEST_F(PollFixture, StatusBitNineChangeReportsState) {
    uint16_t flags = 1u << 9;
    data.Set(DI_STATUS_FLAGS, flags);
    Pass(11, PageCode::Main);
    EXPECT_EQ(ui.stateChanges, 0);  // taken as set before the first pass
    flags = 0;
    data.Set(DI_STATUS_FLAGS, flags);
    Pass(11, PageCode::Main);
    Pass(11, PageCode::Main);
    EXPECT_EQ(ui.stateChanges, 1);
}

TEST(Ports, NaturalOrderAndHints) {
    std::vector<std::string> ports = {"/dev/ttyUSB10", "/dev/ttyACM1", "/dev/ttyUSB2", "/dev/ttyS0", "/tmp/demo"};
    std::sort(ports.begin(), ports.end(), PortPathLess);
    EXPECT_EQ(ports,
              (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/tmp/demo"}));
    EXPECT_EQ(PortAccessHint("/dev/ttyNOSUCHPORT7"), "");
    EXPECT_TRUE(ListSerialPorts({"/dev/ttyNOSUCHPORT7"}).size() < 1000);
}

}  // namespace

namespace {

// A request the stopped worker never took does not hold its caller.
TEST(Exchange, WorkerStopReleasesAWaitingCaller) {
    CZRAQueue requests;
    requests.Reset();
    CShellState state;
    state.connected = true;
    FakeUi ui;
    CExchange exchange(requests, state, ui, ui);
    exchange.WorkerStarted();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        exchange.WorkerStopped();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange.SendCommand(RequestType::Read, "GNSS", nullptr), kResultNoAnswer);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    stopper.join();
}

}  // namespace
