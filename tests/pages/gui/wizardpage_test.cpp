#include "pages/gui/wizardpage.h"

#include "model/dataserver.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using C = MainControl;

class WizardPageTest : public testing::Test {
protected:
    void SetUp() override {
        data.ResetToDefaults(70);
        page.show();
        page.OnSetActive();
        host.ClearRequests();  // the load's own corrections
    }
    template <class W> W* Control(C control) { return qobject_cast<W*>(page.Control(control)); }
    // The control of a group box that the screen names so.
    template <class W> W* Named(const char* group, const char* name) {
        for (QGroupBox* box : page.findChildren<QGroupBox*>())
            if (box->title() == QString::fromUtf8(group))
                for (W* widget : page.findChildren<W*>())
                    if (widget->accessibleName() == QString::fromUtf8(name) && box->isAncestorOf(widget))
                        return widget;
        return nullptr;
    }

    QApplication& app = TestApp();  // before any widget
    CDataServer data;
    FakePageHost host;
    CWizardPage page{data, host};
};

TEST_F(WizardPageTest, ARefusedEntryBeepsAndTheFieldGetsTheModelsValueBack) {
    QSignalSpy refused(&page, &CFormPage::EntryRefused);
    QLineEdit* angle = Control<QLineEdit>(C::Angle);
    ASSERT_TRUE(angle);
    EXPECT_EQ(angle->text(), QStringLiteral("10"));
    angle->selectAll();
    QTest::keyClicks(angle, QStringLiteral("181"));
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(angle->text(), QStringLiteral("10"));
    EXPECT_FALSE(angle->toolTip().isEmpty()) << "the tooltip names what is accepted";
    angle->selectAll();
    QTest::keyClicks(angle, QStringLiteral("180"));
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(angle->text(), QStringLiteral("180"));
    EXPECT_GE(host.modified, 1);
}

TEST_F(WizardPageTest, EditsSurviveAChangeOfTabInTheRecord) {
    EXPECT_EQ(host.activeCode, PageCode::Main);
    EXPECT_TRUE(page.TimerRunning());
    QLineEdit* distance = Control<QLineEdit>(C::Distance);
    distance->selectAll();
    QTest::keyClicks(distance, QStringLiteral("250"));
    page.OnKillActive();
    EXPECT_FALSE(page.TimerRunning());
    TrackFilterRecord filter;
    data.Get(DI_TRACK_FILTER, filter);
    EXPECT_EQ(filter.distance, 250) << "leaving the page hands the edit to the record";
    page.OnSetActive();
    EXPECT_EQ(distance->text(), QStringLiteral("250")) << "now from the record";
    page.CollectChanges();
    data.Get(DI_TRACK_FILTER, filter);
    EXPECT_EQ(filter.distance, 250);
}

TEST_F(WizardPageTest, TheTimerReloadsWhenTheWindowAsksForIt) {
    TrackFilterRecord filter;
    data.Get(DI_TRACK_FILTER, filter);
    filter.angle = 33;
    data.Set(DI_TRACK_FILTER, filter);
    host.refresh[static_cast<int>(RefreshedPage::Main)] = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Control<QLineEdit>(C::Angle)->text() == QStringLiteral("33"); }, 3000));
}

TEST_F(WizardPageTest, ControlsCarryTheirCaptionsAsAccessibleNames) {
    EXPECT_EQ(Named<QLineEdit>("Сервер", "Порт"), Control<QLineEdit>(C::ServerPort));
    EXPECT_EQ(Named<QLineEdit>("Точка доступа (GPRS)", "Логин"), Control<QLineEdit>(C::ApnLogin));
    EXPECT_EQ(Named<QComboBox>("Входы", "IN2"), Control<QComboBox>(C::Mode2));
    EXPECT_EQ(Named<QCheckBox>("Входы", "IN2"), Control<QCheckBox>(C::In2));
    EXPECT_EQ(Named<QLineEdit>("RS-485", "Адрес ДУТ 3"), Control<QLineEdit>(C::Address3));
    EXPECT_EQ(Named<QLineEdit>("GSM", "SMS Номер 1"), Control<QLineEdit>(C::Sms1));
}

TEST_F(WizardPageTest, TheAddressControlTakesFourOctetsOfAtMost255) {
    QLineEdit* ip = Control<QLineEdit>(C::ServerIp);
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(ip->text(), QStringLiteral("10.0.0.5"));
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("256"));
    EXPECT_EQ(ip->text(), QStringLiteral("25"));
    EXPECT_TRUE(page.CollectChanges());
    ServerRecord server;
    data.Get(DI_SERVER_1, server);
    EXPECT_STREQ(server.ip, "025.000.000.000");
}

}  // namespace
