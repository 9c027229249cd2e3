// "Настройки" in the real window against the in-process simulator: edits and
// "Записать" reach the device group by group; the immediate buttons send at once.
#include "model/dataserver.h"
#include "pages/gui/connectionpage.h"
#include "pages/gui/intrshddlg.h"
#include "pages/gui/settingspage.h"
#include "pages/gui/wizardpage.h"
#include "sim/devsim.h"
#include "tests/support/qtapp.h"
#include "tests/support/received.h"
#include "tests/window/window_fixture.h"
#include "window/mainsheets.h"
#include "window/shellbridge.h"
#include "window/sidepanel.h"
#include "window/windowset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using SC = SettingsControl;
using Strings = std::vector<std::string>;

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at; (at = text.find(';', start)) != std::string::npos; start = at + 1)
        fields.push_back(text.substr(start, at - start));
    fields.push_back(text.substr(start));
    return fields;
}

Strings Keywords(const Strings& lines) {
    Strings keywords;
    for (const std::string& line : lines)
        keywords.push_back(line.substr(0, line.find(';')));
    return keywords;
}

class SettingsDeviceTest : public WindowFixture {
protected:
    void SetUp() override {
        StartWindow();  // type 11: eight inputs, outputs, every sensor
        settings = window->findChild<CSettingsPage*>();
        ASSERT_NE(settings, nullptr);
        Connect();
    }

    void Show(QWidget* page) { window->Tabs()->setCurrentWidget(page); }
    void Write() {
        sim->ClearReceived();
        window->Panel()->WriteButton()->click();
    }
    Strings Received() const { return SentRequests(); }
    std::vector<std::string> Stored(const char* keyword) const { return Split(sim->Setting(keyword)); }

    QWidget* Control(SC control) const { return settings->Control(control); }
    void Type(SC control, const char* text) {
        auto* edit = qobject_cast<QLineEdit*>(Control(control));
        edit->setText(QString::fromUtf8(text));
        edit->setModified(true);
        emit edit->editingFinished();
    }
    static void Choose(QWidget* widget, int index) {
        auto* list = qobject_cast<QComboBox*>(widget);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void Click(SC control) { qobject_cast<QPushButton*>(Control(control))->click(); }

    CSettingsPage* settings = nullptr;
};

TEST_F(SettingsDeviceTest, TheSettingsAndConnectionsPagesAreTabs) {
    EXPECT_GE(window->Tabs()->indexOf(settings), 0);
    auto* connections = window->findChild<CConnectionPage*>();
    ASSERT_NE(connections, nullptr);
    EXPECT_EQ(window->Tabs()->indexOf(connections), 1) << "right after the main page";
}

TEST_F(SettingsDeviceTest, EditsAndTheThresholdsDialogReachTheDeviceGroupByGroup) {
    Show(settings);
    // A first write hands over what the loads corrected (the protocol bits of
    // the sensors and thermometers), so that the second carries only the edits.
    Type(SC::Motion, "7");
    Write();
    ASSERT_EQ(Stored("MSENS")[1], "7");

    Choose(Control(InputControl(2, InputColumn::Mode)), 2);
    Type(InputControl(2, InputColumn::Filter), "6");
    Type(InputControl(2, InputColumn::Upper1), "30000");
    Type(SC::Tilt, "20");
    Type(ThermoControl(2, ThermoColumn::Upper), "55");
    ActOnNextModal([](QDialog* modal) {
        auto* dialog = qobject_cast<CInTrshdDlg*>(modal);
        if (!dialog)
            return modal->reject();                          // another dialog: the checks below fail
        dialog->Value(1)->setText(QStringLiteral("12000"));  // voltage upper
        dialog->Switch(1)->setChecked(true);
        dialog->accept();
    });
    Click(InputControl(3, InputColumn::Alarm));
    Write();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();

    Strings received = Keywords(Received());
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, (Strings{"IN2", "INTRSHD3", "THERMO2", "TILT"}));
    const Strings in2 = Stored("IN2");  // mode; analog filter; bounds upper 1 ... lower 0; C; D; pulse filter; E
    ASSERT_GE(in2.size(), 6u);
    EXPECT_EQ(in2[0], "2");
    EXPECT_EQ(in2[2], "30000");
    EXPECT_EQ(Stored("TILT")[1], "20");
    EXPECT_EQ(Stored("THERMO2")[4], "55");
    const Strings alarms = Stored("INTRSHD3");
    EXPECT_EQ(alarms[0], "02");
    EXPECT_EQ(alarms[2], "12000");
    // The frequency filter is not carried by the input's line: it stays in the record.
    InputRecord input;
    data.Get(ItemBase::Input + 2, input);
    EXPECT_EQ(input.freqFilter, 6);
}

TEST_F(SettingsDeviceTest, TheCounterResetInPulseModeAndTheOutputButtonSendAtOnce) {
    Show(settings);
    Choose(Control(InputControl(4, InputColumn::Mode)), 3);
    ASSERT_TRUE(Control(InputControl(4, InputColumn::Reset))->isEnabled());
    sim->ClearReceived();
    Click(InputControl(4, InputColumn::Reset));
    EXPECT_EQ(Received(), Strings{"COUNTER4;RESET"});

    sim->ClearReceived();
    const QString before = qobject_cast<QPushButton*>(Control(SC::Output))->text();
    Click(SC::Output);
    const Strings received = Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].substr(0, 5), "OUT1;");
    EXPECT_NE(qobject_cast<QPushButton*>(Control(SC::Output))->text(), before);
    EXPECT_EQ(Stored("OUT1")[1], before == QString::fromUtf8(CSettingsForm::kOutputOff) ? "1" : "0");
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

TEST_F(SettingsDeviceTest, AModeChangedOnEitherPageSurvivesTheOtherPagesCollect) {
    CWizardPage& main = windows->MainPage();
    struct Road {
        const char* name;
        bool onMain;         // where the mode is changed
        bool writeFromMain;  // the active tab at "Записать"
        int mode;
    } roads[] = {
        {"main page, back to it", true, true, 3},
        {"main page, written from the settings page", true, false, 2},
        {"settings page, written from the main page", false, true, 1},
        {"settings page, written from it", false, false, 3},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        Show(&main);
        if (road.onMain)
            Choose(main.Control(MainControl::Mode1), road.mode);
        Show(settings);
        if (!road.onMain)
            Choose(Control(InputControl(1, InputColumn::Mode)), road.mode);
        Show(road.writeFromMain ? static_cast<QWidget*>(&main) : settings);
        Write();
        EXPECT_EQ(Stored("IN1")[0], std::to_string(road.mode));
        const Strings keywords = Keywords(Received());
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), "IN1"), keywords.end());
    }
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

}  // namespace
