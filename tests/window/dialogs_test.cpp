#include "model/dataserver.h"
#include "tests/support/qtapp.h"
#include "window/connectiondlg.h"
#include "window/hwtypedlg.h"
#include "window/passworddlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }

    void StorePassword(uint8_t flags, const char* current) {
        PasswordRecord record;
        record.flags = flags;
        std::strncpy(record.current, current, sizeof record.current - 1);
        std::strcpy(record.next, "next");
        data.Set(DI_PASSWORD, record);
    }

    PasswordRecord StoredPassword() {
        PasswordRecord record;
        data.Get(DI_PASSWORD, record);
        return record;
    }

    CDataServer data;
};

TEST_F(DialogTest, PasswordDialogStartsFromTheStoredRecord) {
    for (uint8_t flags : {uint8_t{0x01}, uint8_t{0x00}, uint8_t{0x03}}) {
        StorePassword(flags, "1234");
        CPasswordDlg dialog(data);
        const bool on = flags & 1;
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Ввести пароль"));
        EXPECT_EQ(dialog.PasswordEdit()->text(), QStringLiteral("1234"));
        EXPECT_EQ(dialog.PasswordEdit()->maxLength(), 8);
        EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog.OnBox()->isChecked(), on);
        EXPECT_FALSE(dialog.ShowBox()->isChecked());
        EXPECT_EQ(dialog.PasswordEdit()->isEnabled(), on);
        EXPECT_EQ(dialog.ShowBox()->isEnabled(), on);
    }
}

TEST_F(DialogTest, PasswordDialogTogglesEnableAndMask) {
    StorePassword(0x01, "1234");
    CPasswordDlg dialog(data);
    dialog.ShowBox()->click();
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Normal);
    dialog.ShowBox()->click();
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
    dialog.OnBox()->click();
    EXPECT_FALSE(dialog.PasswordEdit()->isEnabled());
    EXPECT_FALSE(dialog.ShowBox()->isEnabled());
    dialog.OnBox()->click();
    EXPECT_TRUE(dialog.PasswordEdit()->isEnabled());
}

struct PasswordOkCase {
    const char* name;
    uint8_t flags;
    const char* typed;
    bool toggleOn;
    uint8_t expectedFlags;
    const char* expectedCurrent;
};

// A stored password the edit would refuse is not sent on by OK.
TEST_F(DialogTest, PasswordDialogOkRefusesAStoredPasswordThatSplitsTheLine) {
    StorePassword(0x01, "12;4");
    CPasswordDlg dialog(data);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_STREQ(StoredPassword().current, "12;4");
}

TEST_F(DialogTest, PasswordDialogOkStoresTextAndProtectionBit) {
    const PasswordOkCase cases[] = {
        {"new password", 0x01, "5555", false, 0x01, "5555"},
        {"empty keeps stored", 0x01, "", false, 0x01, "1234"},
        {"switch off keeps bit 1", 0x03, "1234", true, 0x02, "1234"},
        {"switch on", 0x00, "1234", true, 0x01, "1234"},
        {"typing stops at eight", 0x01, "123456789", false, 0x01, "12345678"},
        {"characters that split the line are not taken", 0x01, "7;3^9$1", false, 0x01, "7391"},
    };
    for (const PasswordOkCase& c : cases) {
        SCOPED_TRACE(c.name);
        StorePassword(c.flags, "1234");
        CPasswordDlg dialog(data);
        if (c.toggleOn)
            dialog.OnBox()->click();
        dialog.PasswordEdit()->setEnabled(true);
        dialog.PasswordEdit()->clear();
        QTest::keyClicks(dialog.PasswordEdit(), QString::fromLatin1(c.typed));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        const PasswordRecord stored = StoredPassword();
        EXPECT_EQ(stored.flags, c.expectedFlags);
        EXPECT_STREQ(stored.current, c.expectedCurrent);
        EXPECT_STREQ(stored.next, "next");
    }
}

TEST_F(DialogTest, PasswordDialogComesUpWithItsTextSelectedAndRussianButtons) {
    StorePassword(0x01, "1234");
    CPasswordDlg dialog(data);
    EXPECT_EQ(dialog.PasswordEdit()->selectedText(), QStringLiteral("1234")) << "typing replaces it";
    QStringList buttons;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        buttons << button->text().remove('&');
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Отмена"))) << buttons.join('|').toStdString();
}

TEST_F(DialogTest, PasswordDialogCancelStoresNothing) {
    StorePassword(0x01, "1234");
    CPasswordDlg dialog(data);
    dialog.PasswordEdit()->setText(QStringLiteral("9999"));
    dialog.OnBox()->click();
    dialog.reject();
    EXPECT_EQ(StoredPassword().flags, 0x01);
    EXPECT_STREQ(StoredPassword().current, "1234");
}

TEST_F(DialogTest, ConnectionDialogShowsTheTextsOfItsMode) {
    struct ModeCase {
        ConnectionMode mode;
        const char* title;
        const char* text;
    };
    const ModeCase cases[] = {
        {ConnectionMode::Recheck, "Соединяем...", "Соединяем..."},
        {ConnectionMode::WriteAll, "Загрузка настроек...", "Загрузка настроек в устройство..."},
        {ConnectionMode::ReadAll, "Выгрузка настроек...", "Выгрузка настроек из устройства..."},
    };
    for (const ModeCase& c : cases) {
        CConnectionDlg dialog(c.mode, [] {});
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(dialog.TextLine()->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(dialog.Progress()->minimum(), 0);
        EXPECT_EQ(dialog.Progress()->maximum(), 60);
    }
}

// The sequences below wait for the test to let them end, not for a fixed time: on a loaded
// machine the dialog may take longer to show than any sleep would last.
class SequenceRelease {
public:
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_wake.notify_all();
    }

    void Wait() {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_open = false;
};

// Checks `ready` on the GUI thread every 20 ms and opens `release` once it holds.
void ReleaseWhen(QObject* owner, SequenceRelease& release, std::function<bool()> ready) {
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, owner, [poll, &release, ready = std::move(ready)] {
        if (!ready())
            return;
        poll->stop();
        release.Open();
    });
    poll->start(20);
}

TEST_F(DialogTest, ConnectionDialogRunsItsSequenceOnceAndClosesWhenItEnds) {
    std::atomic<int> runs{0};
    std::atomic<bool> offGui{false};
    std::atomic<bool> ended{false};
    SequenceRelease release;
    const auto gui = std::this_thread::get_id();
    CConnectionDlg dialog(ConnectionMode::ReadAll, [&] {
        ++runs;
        offGui = std::this_thread::get_id() != gui;
        release.Wait();
        ended = true;
    });
    // Ends once the 200 ms timer has advanced the bar twice.
    ReleaseWhen(&dialog, release, [&] { return dialog.Progress()->value() >= 2; });
    dialog.RunModal();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(offGui);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(dialog.SequenceFinished());
    EXPECT_GE(dialog.Progress()->value(), 2);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DialogTest, ConnectionDialogReturnsOnlyAfterTheSequenceEvenWhenEscWasPressed) {
    std::atomic<int> runs{0};
    std::atomic<bool> ended{false};
    SequenceRelease release;
    CConnectionDlg dialog(ConnectionMode::WriteAll, [&] {
        ++runs;
        release.Wait();
        ended = true;
    });
    bool closedEarly = false;
    QTimer::singleShot(100, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        closedEarly = !dialog.isVisible() && !ended;
        release.Open();
    });
    dialog.RunModal();
    EXPECT_TRUE(closedEarly);
    EXPECT_TRUE(ended);
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(DialogTest, ConnectionDialogCloseBoxWaitsForTheSequence) {
    std::atomic<bool> ended{false};
    SequenceRelease release;
    CConnectionDlg dialog(ConnectionMode::Recheck, [&] {
        release.Wait();
        ended = true;
    });
    bool stillOpen = false;
    QTimer::singleShot(100, &dialog, [&] {
        dialog.close();
        stillOpen = dialog.isVisible();
        release.Open();
    });
    dialog.RunModal();
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(ended);
}

TEST_F(DialogTest, ConnectionDialogProgressWrapsAfterSixty) {
    SequenceRelease release;
    CConnectionDlg second(ConnectionMode::ReadAll, [&] { release.Wait(); });
    second.Progress()->setValue(60);
    ReleaseWhen(&second, release, [&] { return second.Progress()->value() != 60; });
    second.RunModal();
    EXPECT_LT(second.Progress()->value(), 60);
}

TEST_F(DialogTest, DeviceTypeDialogOffersOneTypeAndKeepsTheOldOneWithoutAChoice) {
    CHWTypeDlg dialog(0);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Тип устройства"));
    EXPECT_EQ(dialog.TypeList()->currentText(), QString::fromUtf8("Выбрать тип ус-ва"));
    ASSERT_EQ(dialog.TypeList()->count(), 1);
    EXPECT_EQ(dialog.TypeList()->itemText(0), QStringLiteral("ORVENA QUIL, GSM/GPS/GLONASS"));
    dialog.accept();
    EXPECT_EQ(dialog.NewFileType(), 0);

    CHWTypeDlg chosen(0);
    emit chosen.TypeList()->activated(0);
    EXPECT_EQ(chosen.NewFileType(), 70);
}

}  // namespace
