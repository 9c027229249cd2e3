#include "pages/gui/infopage.h"

#include "model/dataserver.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using C = InfoControl;

class InfoPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        data.ResetToDefaults(70);
        page = std::make_unique<CInfoPage>(data, host);
        page->show();
    }

    QLabel* Value(C c) { return qobject_cast<QLabel*>(page->Control(c)); }
    QCheckBox* Box(C c) { return qobject_cast<QCheckBox*>(page->Control(c)); }
    QWidget* Named(const QString& name) {
        for (QWidget* w : page->findChildren<QWidget*>())
            if (w->accessibleName() == name)
                return w;
        return nullptr;
    }

    CDataServer data;
    FakePageHost host;
    std::unique_ptr<CInfoPage> page;
};

TEST_F(InfoPageTest, ActivationReportsTheInfoCodeFillsAndRefreshesUntilDeactivated) {
    data.Set(DI_MODE, int32_t{3});
    page->OnSetActive();
    EXPECT_EQ(host.activeCode, PageCode::Info);
    EXPECT_TRUE(page->TimerRunning());
    EXPECT_EQ(Value(C::Mode)->text(), QStringLiteral("Parking"));

    // The next tick shows what the poll wrote meanwhile, with no refresh flag set.
    data.Set(DI_MODE, int32_t{1});
    EXPECT_TRUE(QTest::qWaitFor([&] { return Value(C::Mode)->text() == QStringLiteral("Online"); }, 2000));

    page->OnKillActive();
    EXPECT_FALSE(page->TimerRunning());
}

TEST_F(InfoPageTest, MissingHardwareIsNaAndDisabledHiddenControlsExistButAreNotVisible) {
    page->OnSetActive();
    EXPECT_EQ(Value(C::Lls0Code)->text(), QStringLiteral("NA"));
    EXPECT_FALSE(Value(C::Lls0Code)->isEnabled());
    EXPECT_EQ(Value(C::Text3)->text(), QStringLiteral("NA"));
    EXPECT_TRUE(Value(C::Text1)->isEnabled());
    for (C c : {C::Bal, C::Rmg, C::Sec, C::Ibt, C::Eco, C::Operator, C::Balance}) {
        ASSERT_NE(page->Control(c), nullptr);
        EXPECT_FALSE(page->Control(c)->isVisible()) << static_cast<int>(c);
    }
    EXPECT_TRUE(Box(C::Int)->isVisible());
    // A hidden value takes its caption with it.
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->buddy() == page->Control(C::Operator) || label->buddy() == page->Control(C::Balance)) {
            EXPECT_FALSE(label->isVisible()) << label->text().toStdString();
        }
    }
}

TEST_F(InfoPageTest, StatusBoxesShowTheWordAndIgnoreClicks) {
    data.Set(DI_STATUS_FLAGS, uint16_t{0x0004});
    page->OnSetActive();
    EXPECT_TRUE(Box(C::Ign)->isChecked());
    QTest::mouseClick(Box(C::Mov), Qt::LeftButton);
    QTest::mouseClick(Box(C::Ign), Qt::LeftButton);
    EXPECT_FALSE(Box(C::Mov)->isChecked());
    EXPECT_TRUE(Box(C::Ign)->isChecked());
    EXPECT_EQ(host.modified, 0);
}

TEST_F(InfoPageTest, ControlsAndGroupsCarryTheCaptionsOnTheScreen) {
    for (const char* group : {"Статус утсройства", "Питание", "Статистика", "GNSS", "GSM", "Входы", "iButton", "ДУТ",
                              "Выход", "Акселерометр", "Наклон", "Температура"}) {
        bool found = false;
        for (QGroupBox* box : page->findChildren<QGroupBox*>())
            found = found || box->title() == QString::fromUtf8(group);
        EXPECT_TRUE(found) << group;
    }
    const std::pair<const char*, C> named[] = {{"LLS2 Литры", C::Lls2Litres},
                                               {"IN3 mV", C::InValue3},
                                               {"OUT1 Знач.", C::Out1},
                                               {"Курсовой угол", C::Course},
                                               {"Батарея (LiPol) mV", C::BatteryVoltage},
                                               {"Ус-во вкл.", C::DeviceOn}};
    for (auto [name, control] : named)
        EXPECT_EQ(Named(QString::fromUtf8(name)), page->Control(control)) << name;
}

TEST_F(InfoPageTest, AValueWiderThanNineCharactersIsShownWhole) {
    StatisticsRecord stats;
    data.Get(DI_STATISTICS, stats);
    stats.distance = -2147483647 - 1;
    data.Set(DI_STATISTICS, stats);
    page->OnSetActive();
    page->resize(page->minimumSizeHint());
    QApplication::processEvents();
    QLabel* distance = Value(C::Distance);
    EXPECT_EQ(distance->text(), QStringLiteral("-2147483648"));
    EXPECT_GE(distance->contentsRect().width(), distance->fontMetrics().horizontalAdvance(distance->text()));
}

TEST_F(InfoPageTest, TheContextMenuCopiesTheCoordinatesOnceAPositionIsKnown) {
    page->OnSetActive();
    QAction* copy = page->ContextMenu()->actions().value(0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), QString::fromUtf8("Копировать координаты"));
    EXPECT_FALSE(copy->isEnabled());  // the defaults hold no position

    GnssRecord gnss;
    data.Get(DI_GNSS, gnss);
    gnss.state = 0x04;
    gnss.latitude = {55, 45, 4321, 'N'};
    gnss.longitude = {37, 37, 5678, 'E'};
    data.Set(DI_GNSS, gnss);
    page->OnSetActive();
    ASSERT_TRUE(page->ContextMenu()->actions().value(0)->isEnabled());
    QApplication::clipboard()->clear();
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("55.757202, 37.626130"));
}

// A screen reader says a value's caption and then its text ("Режим, Online").
TEST_F(InfoPageTest, EveryValueIsReadableOverTheAccessibilityInterfaceAndFollowsItsText) {
    data.Set(DI_MODE, int32_t{1});
    page->OnSetActive();
    QAccessibleInterface* mode = QAccessible::queryAccessibleInterface(Value(C::Mode));
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->text(QAccessible::Name), QString::fromUtf8("Режим"));
    EXPECT_EQ(mode->text(QAccessible::Description), QStringLiteral("Online"));
    int values = 0;
    for (int c = 0; c < static_cast<int>(C::Count); ++c) {
        QLabel* value = Value(static_cast<C>(c));
        if (!value)
            continue;
        ++values;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(value);
        EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << c;
        EXPECT_EQ(face->text(QAccessible::Description), value->text().trimmed()) << c;
    }
    EXPECT_GT(values, 50) << "the labels were found";
    data.Set(DI_MODE, int32_t{3});
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return mode->text(QAccessible::Description) == QStringLiteral("Parking"); }, 2000));
    page->OnKillActive();
}

}  // namespace
