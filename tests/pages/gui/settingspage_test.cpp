#include "pages/gui/settingspage.h"

#include "model/dataserver.h"
#include "pages/core/thresholdtable.h"
#include "pages/gui/connectionpage.h"
#include "pages/gui/intrshddlg.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using SC = SettingsControl;

class SettingsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        data.ResetToDefaults(11);
        page = std::make_unique<CSettingsPage>(data, host);
        page->OnSetActive();
        host.ClearRequests();  // the load's thermometer bit correction
    }

    QLineEdit* Edit(SC control) const { return qobject_cast<QLineEdit*>(page->Control(control)); }

    template <class W> W* Named(const QString& name) const {
        for (W* widget : page->findChildren<W*>())
            if (widget->accessibleName() == name)
                return widget;
        return nullptr;
    }
    // An edit left after typing: the form sees it on focus loss.
    static void Type(QWidget* widget, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        edit->setText(text);
        edit->setModified(true);
        emit edit->editingFinished();
    }

    CDataServer data;
    FakePageHost host;
    std::unique_ptr<CSettingsPage> page;
};

TEST_F(SettingsPageTest, GridControlsAreNamedByTheirRowAndColumn) {
    const std::pair<const char*, SC> names[] = {
        {"IN2 Ниж.\"0\"", InputControl(2, InputColumn::Lower0)},
        {"IN4 Верх.\"1\"", InputControl(4, InputColumn::Upper1)},
        {"IN2 Настр", InputControl(2, InputColumn::Alarm)},
        {"IN1 Сброс", InputControl(1, InputColumn::Reset)},
        {"IN3 Режим", InputControl(3, InputColumn::Mode)},
        {"SOS Уровень", SC::SosLevel},
        {"IGN Вход #", SC::IgnSource},
        {"SOS Верх.\"0\"", SC::SosUpper0},
        {"T3 Сенсор ID", ThermoControl(3, ThermoColumn::Id)},
        {"T1 Ниж.", ThermoControl(1, ThermoColumn::Lower)},
        {"GSM RSSI", ProtocolControl(10)},
        {"Калибровать", SC::Calibrate},
    };
    for (auto [name, control] : names)
        EXPECT_EQ(Named<QWidget>(QString::fromUtf8(name)), page->Control(control)) << name;
    for (const char* caption :
         {"Входы", "Выходы", "Акселерометр", "Внутр. терм-р", "Внешний терм-р", "Протокол", "Очистка / Сброс"})
        EXPECT_NE(Named<QGroupBox>(QString::fromUtf8(caption)), nullptr) << caption;
}

TEST_F(SettingsPageTest, ARefusedThresholdResetsTheRowInTheEdits) {
    Type(page->Control(InputControl(1, InputColumn::Upper0)), QStringLiteral("5000"));
    EXPECT_EQ(Edit(InputControl(1, InputColumn::Lower0))->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit(InputControl(1, InputColumn::Upper0))->text(), QStringLiteral("3000"));
    EXPECT_EQ(Edit(InputControl(1, InputColumn::Lower1))->text(), QStringLiteral("8000"));
    EXPECT_EQ(Edit(InputControl(1, InputColumn::Upper1))->text(), QStringLiteral("33000"));
}

TEST_F(SettingsPageTest, TheThresholdsDialogShowsTheInputsRecordAndOkWritesIt) {
    QString title;
    QStringList columns;
    QStringList groups;
    ActOnNextModal([&](QDialog* modal) {
        auto* dialog = qobject_cast<CInTrshdDlg*>(modal);
        if (!dialog)
            return modal->reject();  // another dialog: the checks below fail
        title = dialog->windowTitle();
        for (QGroupBox* box : dialog->findChildren<QGroupBox*>())
            (box->parentWidget() == dialog ? columns : groups) << box->title();
        const size_t voltageUpper = 1, pulseLower = 8;
        EXPECT_EQ(dialog->Value(voltageUpper)->text(), QStringLiteral("33000"));
        EXPECT_EQ(dialog->Value(pulseLower)->maxLength(), 10);
        dialog->Value(voltageUpper)->setText(QStringLiteral("12000"));
        dialog->Switch(voltageUpper)->setChecked(true);
        dialog->Value(pulseLower)->setText(QStringLiteral("1000000001"));
        dialog->accept();
    });
    qobject_cast<QPushButton*>(page->Control(InputControl(2, InputColumn::Alarm)))->click();
    EXPECT_EQ(title, QString::fromUtf8("Установка порогов - IN2"));
    EXPECT_EQ(columns, (QStringList{"Напряжение (mV)", "Частота (Hz)", "Импульсы"}));
    const QStringList perColumn = {"Нижний порог", "Верхний порог", "Порог изменения"};
    EXPECT_EQ(groups, perColumn + perColumn + perColumn);
    ThresholdRecord record;
    data.Get(ItemBase::Threshold + 2, record);
    EXPECT_EQ(record.voltage.upper, 12000);
    EXPECT_EQ(record.voltage.flags, 0x02);
    EXPECT_EQ(record.pulses.lower, 0u) << "out of range: kept";
    EXPECT_EQ(host.Pending(), std::vector<std::string>{"INTRSHD2"});
}

TEST_F(SettingsPageTest, CancelLeavesTheRecordAlone) {
    ActOnNextModal([](QDialog* modal) {
        auto* dialog = qobject_cast<CInTrshdDlg*>(modal);
        if (!dialog)
            return modal->reject();  // another dialog: the checks below fail
        dialog->Value(0)->setText(QStringLiteral("100"));
        dialog->reject();
    });
    qobject_cast<QPushButton*>(page->Control(InputControl(1, InputColumn::Alarm)))->click();
    ThresholdRecord record;
    data.Get(ItemBase::Threshold + 1, record);
    EXPECT_EQ(record.voltage.lower, 0);
    EXPECT_TRUE(host.Pending().empty());
}

TEST(ConnectionPageTest, ItsCaptionsAreRussianAndItsSixButtonsShow) {
    TestApp();
    CDataServer data;
    data.ResetToDefaults(11);
    FakePageHost host;
    CConnectionPage page(data, host);
    page.show();
    page.OnSetActive();
    EXPECT_EQ(page.windowTitle(), QString::fromUtf8("Связь"));
    QStringList buttons;
    for (QPushButton* button : page.findChildren<QPushButton*>()) {
        EXPECT_TRUE(button->isVisible()) << button->accessibleName().toStdString();
        buttons << button->accessibleName();
    }
    EXPECT_EQ(buttons, QString::fromUtf8("Основной Удалить,Резервный Удалить,APN1 Очистить,APN2 Очистить,"
                                         "Основная Удалить,Резервная Удалить")
                           .split(QLatin1Char(',')));
    const std::pair<const char*, ConnectionControl> named[] = {
        {"Основной IP Адрес", ConnectionControl::Server1Ip}, {"Резервный Порт", ConnectionControl::Server2Port},
        {"SIM-карты Режим", ConnectionControl::SimControl},  {"APN2 Имя", ConnectionControl::Apn2Name},
        {"Резервная SSID", ConnectionControl::Wifi2Ssid},    {"Основная Пароль", ConnectionControl::Wifi1Password},
    };
    for (auto [name, control] : named)
        EXPECT_EQ(page.Control(control)->accessibleName(), QString::fromUtf8(name)) << name;
    EXPECT_EQ(qobject_cast<QLineEdit*>(page.Control(ConnectionControl::Apn1Name))->text(),
              QStringLiteral("internet.orv"));
}

struct RefreshCase {
    const char* name;
    std::function<std::unique_ptr<CFormPage>(CDataServer&, FakePageHost&)> make;
    RefreshedPage flag;
    PageCode code;
    int edit;  // an edit whose text a reload would replace
};

// A refresh asked for while the page was inactive is done by the activation's
// load; the first tick must not load again and drop what was typed meanwhile.
TEST(FormPageRefreshTest, ActivationReportsTheCodeAndItsReloadClearsThePagesRefreshFlag) {
    TestApp();
    const RefreshCase cases[] = {
        {"settings", [](CDataServer& d, FakePageHost& h) { return std::make_unique<CSettingsPage>(d, h); },
         RefreshedPage::Settings, PageCode::Settings, static_cast<int>(SC::Tilt)},
        {"connections", [](CDataServer& d, FakePageHost& h) { return std::make_unique<CConnectionPage>(d, h); },
         RefreshedPage::Connections, PageCode::Connections, static_cast<int>(ConnectionControl::Apn1Name)},
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDataServer data;
        data.ResetToDefaults(11);
        FakePageHost host;
        std::unique_ptr<CFormPage> page = c.make(data, host);
        page->show();
        host.refresh[static_cast<int>(c.flag)] = true;
        page->OnSetActive();
        EXPECT_EQ(static_cast<int>(host.activeCode), 3);
        EXPECT_EQ(host.activeCode, c.code);
        EXPECT_FALSE(host.refresh[static_cast<int>(c.flag)]) << "the activation's load satisfied it";
        auto* edit = qobject_cast<QLineEdit*>(page->Widget(c.edit));
        ASSERT_TRUE(edit);
        edit->setText(QStringLiteral("17"));
        edit->setModified(true);
        emit edit->textEdited(edit->text());  // forwarded on change
        emit edit->editingFinished();         // or on focus loss
        QTest::qWait(CFormPage::kTimerMs + 300);
        EXPECT_EQ(edit->text(), QStringLiteral("17")) << "the first tick left the typed text";

        host.refresh[static_cast<int>(c.flag)] = true;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !host.refresh[static_cast<int>(c.flag)]; }, 3000));
        EXPECT_NE(edit->text(), QStringLiteral("17")) << "a refresh asked for now reloads on the tick";
        page->OnKillActive();
    }
}

}  // namespace
