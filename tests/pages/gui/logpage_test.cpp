#include "pages/gui/logpage.h"

#include "model/dataserver.h"
#include "tests/support/fake_host.h"
#include "tests/support/qtapp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Sent {
    RequestType type;
    std::string keyword;
};

enum Box { kSys, kGsm, kGps, kOw, k485h, k485a };

class LogPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        host.onSend = [this](RequestType type, const std::string& keyword) {
            sent.push_back({type, keyword});
            uint8_t log = 0;
            data.Get(DI_LOG, log);
            logAtSend.push_back(log);
        };
        page = std::make_unique<CLogPage>(data, host);
        page->SetAttached(true);
        page->show();
    }

    void SetCaps(uint32_t comm, uint32_t periph) {
        DeviceTypeRecord type;
        data.Get(DI_DEV_TYPE, type);
        type.capsComm = comm;
        type.capsPeriph = periph;
        data.Set(DI_DEV_TYPE, type);
    }

    uint8_t Log() {
        uint8_t log = 0;
        data.Get(DI_LOG, log);
        return log;
    }

    std::vector<int> Checked() const {
        std::vector<int> checked;
        for (int i = 0; i < CLogPage::kSources; ++i)
            if (page->SourceBox(i)->isChecked())
                checked.push_back(i);
        return checked;
    }

    CDataServer data;
    FakePageHost host;
    std::vector<Sent> sent;
    std::vector<uint8_t> logAtSend;
    std::unique_ptr<CLogPage> page;
};

TEST_F(LogPageTest, ViewIsEmptiedWhenALineWouldPassTheLimit) {
    const std::string line(1000, 'x');
    const std::string full = line + "\n";
    for (int i = 0; i < 10; ++i)
        page->AppendLine(full.c_str());
    EXPECT_EQ(page->View()->document()->characterCount() - 1, 10010);
    page->AppendLine(">> $VER\r\n");  // the view keeps no carriage returns: 10018
    EXPECT_EQ(page->View()->toPlainText().size(), 10018);
    page->AppendLine(full.c_str());  // would take it to 11019
    EXPECT_EQ(page->View()->toPlainText(), QString::fromStdString(full));
}

TEST(LogPageFirstDisplay, LinesBeforeTheFirstDisplayAreNotShown) {
    TestApp();
    CDataServer data;
    FakePageHost host;
    CLogPage page(data, host);
    page.SetAttached(true);
    page.AppendLine(">> $HWCFG\r\n");
    page.show();
    EXPECT_TRUE(page.View()->toPlainText().isEmpty());
    page.AppendLine("<< $VER;01.02\r\n");
    page.hide();
    page.show();  // only the first display empties the view
    EXPECT_EQ(page.View()->toPlainText(), QStringLiteral("<< $VER;01.02\n"));
}

TEST_F(LogPageTest, LinesAreCutToTheLineLimitAndIgnoredWhileDetached) {
    const std::string longLine(2000, 'a');
    page->AppendLine(longLine.c_str());
    EXPECT_EQ(page->View()->toPlainText().size(), CLogPage::kLineLimit);
    page->ClearButton()->click();
    EXPECT_TRUE(page->View()->toPlainText().isEmpty());
    page->SetAttached(false);
    page->AppendLine("<< $VER;01.02\r\n");
    EXPECT_TRUE(page->View()->toPlainText().isEmpty());
}

TEST_F(LogPageTest, ActivationGatesBoxesByCapabilitiesAndChecksTheSource) {
    struct Case {
        const char* name;
        uint32_t comm, periph;
        uint8_t log;
        std::vector<bool> enabled;  // SYS GSM GPS OW 485h 485a
        std::vector<int> checked;
    };
    const Case cases[] = {
        {"everything, GPS source", 0x01000001u, 1u << 17, 3 << 1, {true, true, true, true, true, true}, {kGps}},
        {"no GNSS", 0x00000001u, 0, 2 << 1, {true, true, false, true, false, false}, {kGsm}},
        {"source 4 has no box", 0x01000001u, 1u << 17, 4 << 1, {true, true, true, true, true, true}, {}},
        {"bits 0 and 7 ignored", 0, 0, 0x81 | (9 << 1), {true, false, false, true, false, false}, {k485a}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCaps(c.comm, c.periph);
        data.Set(DI_LOG, c.log);
        page->OnSetActive();
        EXPECT_EQ(host.activeCode, PageCode::Log);
        for (int i = 0; i < CLogPage::kSources; ++i)
            EXPECT_EQ(page->SourceBox(i)->isEnabled(), c.enabled[i]) << i;
        EXPECT_EQ(Checked(), c.checked);
    }
    EXPECT_TRUE(sent.empty());
}

TEST_F(LogPageTest, ClickingABoxSetsTheSourceKeepsOtherBitsAndWritesLog) {
    SetCaps(0x01000001u, 1u << 17);
    data.Set(DI_LOG, uint8_t{0x81 | (3 << 1)});  // GPS checked, bits 0 and 7 set
    page->OnSetActive();
    page->SourceBox(kSys)->click();
    EXPECT_EQ(Checked(), std::vector<int>{kSys});
    EXPECT_EQ(Log(), 0x81 | (1 << 1));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, RequestType::Write);
    EXPECT_EQ(sent[0].keyword, "LOG");
    EXPECT_EQ(logAtSend[0], 0x81 | (1 << 1));  // the record is stored before the write

    page->SourceBox(kSys)->click();  // unchecking clears the source
    EXPECT_TRUE(Checked().empty());
    EXPECT_EQ(Log(), 0x81);
    EXPECT_EQ(sent.size(), 2u);

    page->SourceBox(k485a)->click();
    EXPECT_EQ(Log(), 0x81 | (9 << 1));
    EXPECT_EQ(Checked(), std::vector<int>{k485a});
}

TEST_F(LogPageTest, EnterInTheCommandFieldSendsLikeTheButton) {
    page->CommandField()->setText(QStringLiteral("$VER"));
    QTest::keyClick(page->CommandField(), Qt::Key_Return);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, RequestType::Raw);
    EXPECT_EQ(sent[0].keyword, "$VER");
}

TEST_F(LogPageTest, SendTakesAtMost510CharactersAsARawLine) {
    EXPECT_EQ(page->CommandField()->maxLength(), 511);
    page->SendButton()->click();
    EXPECT_TRUE(sent.empty());  // an empty field sends nothing

    page->CommandField()->setText(QString(511, 'Q'));
    page->SendButton()->click();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, RequestType::Raw);
    EXPECT_EQ(sent[0].keyword, std::string(510, 'Q'));
    EXPECT_EQ(page->CommandField()->text().size(), 511);  // the field keeps its text

    page->CommandField()->setText(QStringLiteral("$VER"));
    page->SendButton()->click();
    EXPECT_EQ(sent.back().keyword, "$VER");
}

}  // namespace
