#include "model/dataserver.h"
#include "pages/gui/logpage.h"
#include "shell/pageset.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"
#include "window/mainsheets.h"
#include "window/portcombo.h"
#include "window/qtshellui.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
    for (const Case& c : {Case{"Да", true}, Case{"Нет", false}}) {
        QString caption, text;
        CloseNextModal(QString::fromUtf8(c.button), &caption, &text);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 1; }, 5000));
}

PortEntry Port(const char* device, const char* description = "", const char* stable = "") {
    return {*stable ? stable : device, device, description};
}

struct PortCase {
    const char* name;
    std::vector<PortEntry> scanned;
    std::string demo;
    QStringList listed;
    bool chosen;  // a port is chosen before the user picks one
};

TEST(PortListTest, ListsTheDemoPortFirstThenTheScannedOnesOrSaysNoneFound) {
    TestApp();
    const PortCase cases[] = {
        {"none", {}, "", {"COM порт не найден"}, false},
        {"scanned",
         {Port("/dev/ttyACM0"), Port("/dev/ttyUSB2", "FTDI FT232R (A1)", "/dev/serial/by-id/usb-FTDI-A1")},
         "",
         {"/dev/ttyACM0", "FTDI FT232R (A1) — /dev/ttyUSB2"},
         false},
        {"demo first and chosen, no duplicate",
         {Port("/dev/ttyACM0"), Port("/tmp/demo")},
         "/tmp/demo",
         {"/tmp/demo (демо-устройство)", "/dev/ttyACM0"},
         true},
    };
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.name);
        CPortComboBox ports;
        ports.SetScanner([&] { return PortScanResult{c.scanned, ""}; });
        ports.SetDemoPort(c.demo);
        EXPECT_EQ(ports.PortChosen(), c.chosen);
        ports.showPopup();
        QStringList listed;
        for (int i = 0; i < ports.count(); ++i)
            listed << ports.itemText(i);
        EXPECT_EQ(listed, c.listed);
        ports.hidePopup();
    }
}

TEST(PortListTest, ClosingWithoutAChoiceAsksToChooseAndAChoiceOpensTheStableName) {
    TestApp();
    CPortComboBox ports;
    ports.SetScanner([] {
        return PortScanResult{{Port("/dev/ttyUSB0"), Port("/dev/ttyUSB12", "Tracker", "/dev/serial/by-id/usb-T-12")},
                              "hint"};
    });
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
    EXPECT_EQ(ports.ChosenPort(), "/dev/serial/by-id/usb-T-12");
    EXPECT_EQ(ports.currentText(), QString::fromUtf8("Tracker — /dev/ttyUSB12"));
}

}  // namespace

namespace {

QStringList ButtonTexts(QDialog* dialog) {
    QStringList texts;
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << button->text().remove('&');
    return texts;
}

TEST_F(ShellUiTest, QuestionsSpeakRussianAndAStrayEnterAnswersNo) {
    QStringList buttons;
    QString defaultButton;
    LookAtNextModal([&](QDialog* dialog) {
        buttons = ButtonTexts(dialog);
        if (auto* box = qobject_cast<QMessageBox*>(dialog); box && box->defaultButton())
            defaultButton = box->defaultButton()->text().remove('&');
    });
    EXPECT_FALSE(ui.AskYesNo("Вы действительно хотите удалить все репорты?"));
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Да"))) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Нет"))) << buttons.join('|').toStdString();
    EXPECT_EQ(defaultButton, QString::fromUtf8("Нет"));
}

TEST_F(ShellUiTest, TheFileDialogSpeaksRussian) {
    QStringList buttons;
    LookAtNextModal([&](QDialog* dialog) { buttons = ButtonTexts(dialog); });
    EXPECT_FALSE(ui.ChooseFile(true, QDir::tempPath().toStdString(), "device.kvs"));
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Отмена"))) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Сохранить"))) << buttons.join('|').toStdString();
}

}  // namespace
