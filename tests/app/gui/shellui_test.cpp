#include "app/core/pageset.h"
#include "app/gui/mainsheets.h"
#include "app/gui/portcombo.h"
#include "app/gui/qtshellui.h"
#include "model/dataserver.h"
#include "pages/gui/logpage.h"
#include "tests/pages/core/fake_host.h"
#include "tests/support/qtapp.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class ShellUiTest : public ::testing::Test {
protected:
    ShellUiTest() { window.InstallPages(host, pages); }

    // Runs call on a worker thread while this thread serves the event loop.
    void FromWorker(const std::function<void()>& call) { window.RunBusy(call); }

    QApplication& app = TestApp();  // before any widget
    CDataServer data;
    FakePageHost host;
    CPageSet pages;
    CMainSheets window{data};
    CQtShellUi ui{window, data};
};

TEST_F(ShellUiTest, BoxesFromAnotherThreadShowOnTheGuiThreadWithTheProgramsName) {
    struct Case {
        const char* button;
        bool expected;
    };
    for (const Case& c : {Case{"Yes", true}, Case{"No", false}}) {
        QString caption, text;
        CloseNextModal(QString::fromLatin1(c.button), &caption, &text);
        bool answer = !c.expected;
        FromWorker([&] { answer = ui.AskYesNo("Вы действительно хотите перезагрузить устройство?"); });
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(caption, QString::fromUtf8("ORVENA Конфигуратор"));
        EXPECT_EQ(text, QString::fromUtf8("Вы действительно хотите перезагрузить устройство?"));
    }
    QString text;
    CloseNextModal({}, nullptr, &text);
    FromWorker([&] { ui.ShowError("Время ожидания истекло.\r\nОтвет не получен!"); });
    EXPECT_EQ(text, QString::fromUtf8("Время ожидания истекло.\nОтвет не получен!"));
}

TEST_F(ShellUiTest, LogLinesFromAnotherThreadReachTheAttachedPage) {
    ShellFlags connected;
    connected.connected = true;
    window.SetFlags(connected);
    window.show();
    window.LogPage()->show();  // its first display
    FromWorker([&] {
        ui.AppendLogLine(">> $VER\r\n");
        ui.AppendLogLine("<< $VER;1.0\r\n");
    });
    EXPECT_EQ(window.LogPage()->View()->toPlainText(), QStringLiteral(">> $VER\n<< $VER;1.0\n"));
}

TEST_F(ShellUiTest, ConnectionDialogFromAnotherThreadReturnsAfterTheSequence) {
    std::atomic<int> runs{0};
    FromWorker([&] {
        ui.RunConnectionDialog(ConnectionMode::ReadAll, [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ++runs;
        });
        EXPECT_EQ(runs.load(), 1);
    });
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(ShellUiTest, PostedConnectCommandRunsLaterOnTheGuiThread) {
    int connects = 0;
    ShellActions actions;
    actions.connectOrDisconnect = [&] { ++connects; };
    window.SetActions(actions);
    ui.PostConnectCommand();
    EXPECT_EQ(connects, 0);
    QTRY_COMPARE(connects, 1);
}

struct PortCase {
    const char* name;
    std::vector<std::string> scanned;
    std::string pinned;
    QStringList listed;
};

TEST(PortListTest, ListsPinnedPortFirstThenTheScannedOnesOrSaysNoneFound) {
    TestApp();
    const PortCase cases[] = {
        {"none", {}, "", {"COM порт не найден"}},
        {"scanned", {"/dev/ttyACM0", "/dev/ttyUSB2"}, "", {"/dev/ttyACM0", "/dev/ttyUSB2"}},
        {"pinned first, no duplicate", {"/dev/ttyACM0", "/tmp/demo"}, "/tmp/demo", {"/tmp/demo", "/dev/ttyACM0"}},
    };
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.name);
        CPortComboBox ports;
        ports.SetScanner([&] { return PortScanResult{c.scanned, ""}; });
        ports.SetPinnedPort(c.pinned);
        ports.showPopup();
        QStringList listed;
        for (int i = 0; i < ports.count(); ++i)
            listed << ports.itemText(i);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(ports.PortFound(), !c.scanned.empty());
        ports.hidePopup();
    }
}

TEST(PortListTest, ClosingWithoutAChoiceAsksToChooseAndAChoiceNamesThePort) {
    TestApp();
    CPortComboBox ports;
    ports.SetScanner([] { return PortScanResult{{"/dev/ttyUSB0", "/dev/ttyUSB12"}, "hint"}; });
    ports.showPopup();
    ports.hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(ports.count(), 1);
    EXPECT_EQ(ports.currentText(), QString::fromUtf8("Выбрать COM"));
    EXPECT_FALSE(ports.PortChosen());

    ports.showPopup();
    ports.hidePopup();
    ports.setCurrentIndex(1);
    emit ports.activated(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ports.PortChosen());
    EXPECT_EQ(ports.ChosenPort(), "/dev/ttyUSB12");
    EXPECT_EQ(ports.currentText(), QStringLiteral("/dev/ttyUSB12"));

    CPortComboBox empty;
    empty.showPopup();
    empty.hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(empty.currentText(), QString::fromUtf8("COM порт не найден"));
    emit empty.activated(0);
    EXPECT_FALSE(empty.PortChosen());
}

}  // namespace
