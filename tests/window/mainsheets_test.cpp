#include "window/mainsheets.h"

#include "model/dataserver.h"
#include "pages/gui/logpage.h"
#include "pages/gui/shellpage.h"
#include "shell/pageset.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"
#include "window/sidepanel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

class MainSheetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        window = std::make_unique<CMainSheets>(data);
        window->InstallPages(host, pages);
        mainPage = new CShellPage;
        window->SetMainPage(mainPage);
    }

    QStringList TabCaptions() const {
        QStringList captions;
        for (int i = 0; i < window->Tabs()->count(); ++i)
            captions << window->Tabs()->tabText(i);
        return captions;
    }

    QString ModelText(int item) {
        char buffer[64] = {};
        data.Get(item, buffer, CDataServer::ItemSize(item));
        return QString::fromLatin1(buffer);
    }

    CDataServer data;
    FakePageHost host;
    CPageSet pages;
    std::unique_ptr<CMainSheets> window;
    CShellPage* mainPage = nullptr;
};

TEST_F(MainSheetsTest, StartsWithMainAndAboutTabsAndOnlyPortListOpenCreateEnabled) {
    EXPECT_EQ(TabCaptions(), (QStringList{"Главная", "О Программе"}));
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(" ORVENA Конфигуратор"));

    CSidePanel* p = window->Panel();
    EXPECT_TRUE(p->PortList()->isEnabled());
    EXPECT_EQ(p->PortList()->currentText(), QString::fromUtf8("COM порт"));
    EXPECT_EQ(p->PortList()->count(), 1);
    EXPECT_TRUE(p->OpenButton()->isEnabled());
    EXPECT_TRUE(p->CreateButton()->isEnabled());
    for (QPushButton* off : {p->ConnectButton(), p->WriteButton(), p->ReadButton(), p->SaveButton(), p->RebootButton(),
                             p->DefaultsButton()})
        EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
    EXPECT_EQ(p->ConnectButton()->text(), QString::fromUtf8("Подключить"));
    EXPECT_EQ(p->OpenButton()->text(), QString::fromUtf8("Открыть"));
    for (QPushButton* button : {p->ConnectButton(), p->OpenButton(), p->RebootButton()})
        EXPECT_EQ(button->size(), QSize(120, 20));
    EXPECT_EQ(p->width(), 150);
}

TEST_F(MainSheetsTest, BannerAndStatusStripShowTheDefaultRecord) {
    const int items[] = {DI_HW_VERSION, DI_FW_VERSION, DI_BOOT_VERSION, DI_PLATFORM_VERSION, DI_FW_DATE};
    for (int row = 0; row < CSidePanel::kBannerRows; ++row)
        EXPECT_EQ(window->Panel()->BannerValue(row)->text(), QStringLiteral(" ") + ModelText(items[row]));
    EXPECT_EQ(window->Strip()->ImeiLabel()->text(), QStringLiteral("| IMEI: ") + ModelText(DI_IMEI));
    EXPECT_EQ(window->Strip()->VersionLabel()->text(), QStringLiteral(" VER: 01.24 |"));
}

TEST_F(MainSheetsTest, BannerRowsShowModelTextCutTo19Characters) {
    char version[6] = "1.2.3";
    data.Set(DI_HW_VERSION, version, sizeof version);
    char empty[6] = {};
    data.Set(DI_FW_VERSION, empty, sizeof empty);
    char imei[16] = "356000000000001";
    data.Set(DI_IMEI, imei, sizeof imei);
    window->UpdateBanner();
    window->UpdateImeiLabel();
    EXPECT_EQ(window->Panel()->BannerValue(0)->text(), QStringLiteral(" 1.2.3"));
    EXPECT_EQ(window->Panel()->BannerValue(1)->text(), QStringLiteral(" "));
    EXPECT_EQ(window->Strip()->ImeiLabel()->text(), QStringLiteral("| IMEI: 356000000000001"));
}

// The rules themselves are tested without widgets; here the panel shows
// what they computed, for two states that differ in every control.
TEST_F(MainSheetsTest, ThePanelShowsTheComputedControlStates) {
    ShellFlags connectedWithModifiedFile;
    connectedWithModifiedFile.connected = true;
    connectedWithModifiedFile.fileOpen = true;
    connectedWithModifiedFile.fileModified = true;
    CSidePanel* p = window->Panel();
    for (const ShellFlags& flags : {ShellFlags{}, connectedWithModifiedFile}) {
        window->SetFlags(flags);
        const ControlStates e = ComputeControls(flags, false, false);
        EXPECT_EQ(p->RebootButton()->isEnabled(), e.reboot);
        EXPECT_EQ(p->DefaultsButton()->isEnabled(), e.defaults);
        EXPECT_EQ(p->ConnectButton()->isEnabled(), e.connectEnabled);
        EXPECT_EQ(p->ConnectButton()->text(), QString::fromUtf8(e.connectShowsDisconnect ? "Отключить" : "Подключить"));
        EXPECT_EQ(p->PortList()->isEnabled(), e.portList);
        EXPECT_EQ(p->WriteButton()->isEnabled(), e.writeRead);
        EXPECT_EQ(p->ReadButton()->isEnabled(), e.writeRead);
        EXPECT_EQ(p->OpenButton()->text(), QString::fromUtf8(e.openShowsClose ? "Закрыть" : "Открыть"));
        EXPECT_TRUE(p->OpenButton()->isEnabled());
        EXPECT_EQ(p->CreateButton()->isEnabled(), e.create);
        EXPECT_EQ(p->SaveButton()->isEnabled(), e.save);
    }
}

TEST_F(MainSheetsTest, ConnectNeedsAChosenPortWhileDisconnected) {
    window->SetActions(ShellActions{.scanPorts = [] {
        return PortScanResult{{PortEntry{"/dev/ttyUSB0", "/dev/ttyUSB0", ""}}, ""};
    }});
    CPortComboBox* ports = window->Panel()->PortList();
    ports->showPopup();
    ports->hidePopup();
    emit ports->activated(0);
    EXPECT_TRUE(window->Panel()->ConnectButton()->isEnabled());
    ports->showPopup();  // a new scan forgets the choice
    EXPECT_FALSE(window->Panel()->ConnectButton()->isEnabled());
    ports->hidePopup();
}

TEST_F(MainSheetsTest, TabRowFollowsConnectedOrFileOpen) {
    const QStringList full{"Главная", "Связь", "Информация", "Настройки", "Журнал", "О Программе"};
    const QStringList idle{"Главная", "О Программе"};
    ShellFlags f;
    f.connected = true;
    window->SetFlags(f);
    EXPECT_EQ(TabCaptions(), full);
    EXPECT_TRUE(window->LogPage()->Attached());
    f.fileOpen = true;
    window->SetFlags(f);
    EXPECT_EQ(TabCaptions(), full);
    f.connected = false;  // disconnecting with the file still open keeps the tabs
    window->SetFlags(f);
    EXPECT_EQ(TabCaptions(), full);
    // "Связь" follows the device type: it needs GSM or WiFi.
    for (uint32_t comm : {0u, 1u << 16, 1u}) {
        DeviceTypeRecord type;
        data.Get(DI_DEV_TYPE, type);
        type.capsComm = comm;
        data.Set(DI_DEV_TYPE, type);
        window->SetFlags(f);
        EXPECT_EQ(window->Tabs()->tabText(1) == QString::fromUtf8("Связь"), comm != 0) << comm;
        EXPECT_EQ(window->Tabs()->count(), comm != 0 ? 6 : 5) << comm;
    }
    f.fileOpen = false;
    window->SetFlags(f);
    EXPECT_EQ(TabCaptions(), idle);
    EXPECT_FALSE(window->LogPage()->Attached());
    window->LogPage()->AppendLine(">> $VER\r\n");
    EXPECT_TRUE(window->LogPage()->View()->toPlainText().isEmpty());
}

TEST_F(MainSheetsTest, TitleNamesTheDeviceOrTheFile) {
    char imei[16] = "356000000000042";
    data.Set(DI_IMEI, imei, sizeof imei);
    ShellFlags f;
    f.connected = true;
    f.connectedType = 20;
    f.deviceDataLoaded = true;
    window->SetFlags(f);
    EXPECT_EQ(window->windowTitle(),
              QString::fromUtf8("ORVENA Конфигуратор - ") + QString::fromLatin1(ModelName(20)) + " : 356000000000042");

    f = ShellFlags{};
    f.fileOpen = true;
    f.fileDataShown = true;
    f.filePath = "/work/Settings/a.kvs";
    window->SetFlags(f);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ORVENA Конфигуратор - /work/Settings/a.kvs"));

    window->SetFlags(ShellFlags{});
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ORVENA Конфигуратор"));
}

TEST_F(MainSheetsTest, UnlistedDeviceTypeIsTitledQuil) {
    ShellFlags f;
    f.connected = true;
    f.connectedType = 8;
    f.deviceDataLoaded = true;
    window->SetFlags(f);
    EXPECT_TRUE(window->windowTitle().startsWith(QString::fromUtf8("ORVENA Конфигуратор - Quil : ")));
}

TEST_F(MainSheetsTest, EnterAndEscDoNotCloseTheWindow) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (QWidget* target : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->Panel()->OpenButton()),
                            static_cast<QWidget*>(mainPage)}) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window->isVisible());
    }
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainSheetsTest, CommandsRunOffTheGuiThreadAndRefreshTheState) {
    ShellFlags state;
    std::atomic<bool> ranOffGui{false};
    const Qt::HANDLE gui = QThread::currentThreadId();
    ShellActions actions;
    actions.flags = [&] { return state; };
    actions.openOrClose = [&] {
        ranOffGui = QThread::currentThreadId() != gui;
        state.fileOpen = true;
        state.fileDataShown = true;
        state.filePath = "/tmp/x.kvs";
    };
    window->SetActions(actions);
    QTest::mouseClick(window->Panel()->OpenButton(), Qt::LeftButton);
    EXPECT_TRUE(ranOffGui);
    EXPECT_EQ(window->Panel()->OpenButton()->text(), QString::fromUtf8("Закрыть"));
    EXPECT_EQ(window->Tabs()->count(), 6);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" - /tmp/x.kvs")));
}

TEST_F(MainSheetsTest, ClicksDuringABusyCommandAreIgnored) {
    std::atomic<int> opens{0};
    ShellActions actions;
    actions.openOrClose = [&] { ++opens; };
    window->SetActions(actions);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->RunBusy([&] { QThread::msleep(20); });
    bool clickedWhileBusy = false;
    window->RunBusy([&] {
        QMetaObject::invokeMethod(
            window.get(),
            [&] {
                QTest::mouseClick(window->Panel()->OpenButton(), Qt::LeftButton);
                clickedWhileBusy = true;
            },
            Qt::BlockingQueuedConnection);
    });
    EXPECT_TRUE(clickedWhileBusy);
    EXPECT_EQ(opens.load(), 0);
    QTest::mouseClick(window->Panel()->OpenButton(), Qt::LeftButton);
    EXPECT_EQ(opens.load(), 1);
}

TEST_F(MainSheetsTest, ConnectCommandsPostedDuringABusyCommandRunAfterIt) {
    int connects = 0;
    int connectsSeenInside = -1;
    ShellActions actions;
    actions.connectOrDisconnect = [&] { ++connects; };
    actions.openOrClose = [&] {
        QMetaObject::invokeMethod(window.get(), &CMainSheets::OnConnectCommand, Qt::BlockingQueuedConnection);
        connectsSeenInside = connects;
    };
    window->SetActions(actions);
    QTest::mouseClick(window->Panel()->OpenButton(), Qt::LeftButton);
    EXPECT_EQ(connectsSeenInside, 0);
    EXPECT_EQ(connects, 1);
}

}  // namespace

namespace {

TEST_F(MainSheetsTest, TheWindowFitsAllSixTabsWithoutScrollArrows) {
    window->FitToPages();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ShellFlags connected;
    connected.connected = true;
    window->SetFlags(connected);
    ASSERT_EQ(window->Tabs()->count(), 6);
    QTabBar* row = window->Tabs()->tabBar();
    EXPECT_LE(row->sizeHint().width(), row->width());
    EXPECT_LE(row->tabRect(row->count() - 1).right(), row->width());
}

}  // namespace
