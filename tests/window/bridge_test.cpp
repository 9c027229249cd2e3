#include "model/dataserver.h"
#include "pages/gui/infopage.h"
#include "pages/gui/logpage.h"
#include "pages/gui/wizardpage.h"
#include "sim/devsim.h"
#include "tests/support/qtapp.h"
#include "tests/window/window_fixture.h"
#include "window/mainsheets.h"
#include "window/shellbridge.h"
#include "window/sidepanel.h"
#include "window/windowset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// Runs the event loop itself (not in slices, as QTRY does) until done holds or
// the time is up: the log thread hands over one line per turn of the loop.
bool RunEventsUntil(const std::function<bool()>& done, int boundMs) {
    QEventLoop loop;
    QElapsedTimer clock;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > boundMs)
            loop.quit();
    });
    clock.start();
    poll.start(20);
    if (!done())
        loop.exec();
    return done();
}

class BridgeTest : public WindowFixture {
protected:
    void SetUp() override { StartWindow(); }
};

TEST_F(BridgeTest, ConnectReadsTheDeviceAndDisconnectReturnsToTheIdleWindow) {
    // The demo device is named and chosen from the start: one click connects.
    const QString demo = QString::fromStdString(sim->PortPath()) + QString::fromUtf8(" (демо-устройство)");
    EXPECT_EQ(window->Panel()->PortList()->currentText(), demo);
    ASSERT_TRUE(window->Panel()->ConnectButton()->isEnabled());
    ChooseDemoPort();
    EXPECT_EQ(window->Panel()->PortList()->itemText(0), demo);

    window->Panel()->ConnectButton()->click();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    ASSERT_TRUE(bridge->State().connected);
    EXPECT_EQ(window->Panel()->ConnectButton()->text(), QString::fromUtf8("Отключить"));
    EXPECT_EQ(TabCaptions(), (QStringList{"Главная", "Связь", "Информация", "Настройки", "Журнал", "О Программе"}));
    EXPECT_TRUE(window->windowTitle().startsWith(QString::fromUtf8("ORVENA Конфигуратор - ") +
                                                 QString::fromLatin1(ModelName(bridge->State().connectedType))));
    const std::vector<std::string> lines = sim->ReceivedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().find("HWCFG"), std::string::npos);
    EXPECT_GT(lines.size(), 10u);  // read-all followed identification

    window->Panel()->ConnectButton()->click();
    EXPECT_FALSE(bridge->State().connected);
    EXPECT_EQ(TabCaptions(), (QStringList{"Главная", "О Программе"}));
    EXPECT_EQ(window->Panel()->ConnectButton()->text(), QString::fromUtf8("Подключить"));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

// The page shows what the status poll reads while it is the active tab: the
// statistics are cleared in the record, and the device's own come back.
TEST_F(BridgeTest, TheInfoPageShowsLiveValuesFromTheDeviceWithinTwoSeconds) {
    ChooseDemoPort();
    window->Panel()->ConnectButton()->click();
    ASSERT_TRUE(bridge->State().connected);
    data.Set(DI_STATISTICS, StatisticsRecord{});
    auto* info = window->findChild<CInfoPage*>();
    ASSERT_NE(info, nullptr);
    window->Tabs()->setCurrentWidget(info);
    EXPECT_EQ(bridge->State().activePageCode, PageCode::Info);
    auto* onTime = qobject_cast<QLabel*>(info->Control(InfoControl::DeviceOn));
    // The simulated device counts its on time from an hour.
    EXPECT_TRUE(RunEventsUntil([&] { return onTime->text() != QStringLiteral("0 s"); }, 2000));
    EXPECT_TRUE(onTime->text() == QStringLiteral("60.0 m") || onTime->text().endsWith(QStringLiteral(" h")))
        << onTime->text().toStdString();
    // The window leaves the filled page the room it needs: no value or caption is cut.
    window->show();
    QApplication::processEvents();
    EXPECT_GE(info->width(), info->minimumSizeHint().width());
    EXPECT_GE(info->height(), info->minimumSizeHint().height());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

TEST_F(BridgeTest, TheLogPageShowsSentAndReceivedLines) {
    ChooseDemoPort();
    window->Panel()->ConnectButton()->click();
    ASSERT_TRUE(bridge->State().connected);
    // The page shows lines from its first display on. The log thread is let
    // catch up with the unpaced read-all first: its queue holds 1 KB, and
    // bytes fed while it is full are lost.
    window->show();
    window->Tabs()->setCurrentWidget(window->LogPage());
    RunEventsUntil([] { return false; }, 500);
    window->LogPage()->CommandField()->setText(QStringLiteral("$VER"));
    window->LogPage()->SendButton()->click();
    // The raw line goes out as typed (the read-all's VER carries the password)
    // and its answer follows it in the view.
    const QRegularExpression sentThenAnswered(QStringLiteral(">> \\$VER\n<< \\$VER;"));
    EXPECT_TRUE(
        RunEventsUntil([&] { return window->LogPage()->View()->toPlainText().contains(sentThenAnswered); }, 5000));
}

// The second raw line in a row without an answer shows the time-out box and
// disconnects as soon as the send has ended, not at the next command.
TEST_F(BridgeTest, TheTimeOutDisconnectIsCarriedOutAtOnce) {
    ChooseDemoPort();
    window->Panel()->ConnectButton()->click();
    ASSERT_TRUE(bridge->State().connected);
    window->Tabs()->setCurrentWidget(window->LogPage());  // the status poll reads nothing for this page
    window->LogPage()->CommandField()->setText(QStringLiteral("hello"));
    window->LogPage()->SendButton()->click();
    EXPECT_TRUE(bridge->State().connected);
    window->LogPage()->SendButton()->click();
    EXPECT_EQ(boxes, QStringList{QString::fromUtf8("Время ожидания истекло.\nОтвет не получен!")});
    EXPECT_FALSE(bridge->State().connected);
    EXPECT_EQ(window->Panel()->ConnectButton()->text(), QString::fromUtf8("Подключить"));
}

// After the port was not found again, the window shows the disconnected state:
// no device in the title, the defaults in the banner and the IMEI text.
TEST_F(BridgeTest, AFailedRecheckLeavesNoDeviceInTheTitle) {
    ChooseDemoPort();
    window->Panel()->ConnectButton()->click();
    ASSERT_TRUE(bridge->State().connected);
    ASSERT_TRUE(window->windowTitle().contains(QStringLiteral(" : ")));
    bridge->Session().SetRecheckTiming({std::chrono::milliseconds(50)});
    sim->Unplug();
    window->Panel()->ReadButton()->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return boxes.contains(QString::fromUtf8("Ошибка соединения.\nСоединение не найдено!")); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Busy(); }, 5000));
    EXPECT_FALSE(bridge->State().connected);
    EXPECT_FALSE(bridge->State().deviceDataLoaded);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ORVENA Конфигуратор"));
    CDataServer defaults;
    char imei[16] = {};
    defaults.Get(DI_IMEI, imei);
    EXPECT_EQ(window->Strip()->ImeiLabel()->text(), QStringLiteral("| IMEI: ") + QString::fromLatin1(imei));
    char version[6] = {};
    defaults.Get(DI_FW_VERSION, version);
    EXPECT_EQ(window->Panel()->BannerValue(1)->text(), QStringLiteral(" ") + QString::fromLatin1(version));
}

// An edit on "Главная" reaches the device with "Записать", and only the
// groups that changed are written.
TEST_F(BridgeTest, EditsOnTheMainPageReachTheDeviceWithWrite) {
    ChooseDemoPort();
    window->Panel()->ConnectButton()->click();
    ASSERT_TRUE(bridge->State().connected);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !bridge->State().refreshMain; }, 3000));  // the page reloaded from the device
    sim->ClearReceived();

    CWizardPage& page = windows->MainPage();
    const auto type = [&](MainControl control, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(page.Control(control));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);  // completes the entry, like leaving the field
    };
    type(MainControl::ServerPort, QStringLiteral("5055"));
    type(MainControl::ServerIp, QStringLiteral("10.0.0.5"));
    type(MainControl::Sms1, QStringLiteral("+79001234567"));
    type(MainControl::Angle, QStringLiteral("45"));
    EXPECT_TRUE(window->Panel()->WriteButton()->isEnabled());
    window->Panel()->WriteButton()->click();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();

    std::vector<std::string> keywords;
    for (const std::string& request : SentRequests())
        keywords.push_back(request.substr(0, request.find(';')));
    // In the registry's order, each once; the load after connecting put the
    // sensors' protocol bits right, and only the half that holds them goes.
    EXPECT_EQ(keywords, (std::vector<std::string>{"SMS1", "FILTER", "SERVER1", "PRSET10"}))
        << ::testing::PrintToString(sim->ReceivedLines());
    EXPECT_NE(sim->Setting("SERVER1").find("010.000.000.005"), std::string::npos) << sim->Setting("SERVER1");
    EXPECT_NE(sim->Setting("SERVER1").find("5055"), std::string::npos) << sim->Setting("SERVER1");
    EXPECT_NE(sim->Setting("SMS1").find("+79001234567"), std::string::npos) << sim->Setting("SMS1");
    EXPECT_NE(sim->Setting("FILTER").find(";1,45;"), std::string::npos) << sim->Setting("FILTER");
}

}  // namespace
