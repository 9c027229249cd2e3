// "Главная" and "Настройки" both edit the inputs: each page writes back only
// what the user changed on it since its last load, in either collect order.
#include "pages/core/mainform.h"
#include "tests/pages/core/settings_fixture.h"

namespace {

constexpr int kIn1 = ItemBase::Input + 1;

class SharedRecordTest : public SettingsFixture {
protected:
    void LoadBoth() {
        main.Load();
        Load();
    }
    // The page set's order: every page but the active one first.
    void CollectWithActive(CForm& active) {
        CForm& other = &active == &main ? static_cast<CForm&>(form) : static_cast<CForm&>(main);
        other.Collect();
        active.Collect();
    }

    CMainForm main{data, host};
};

TEST_F(SharedRecordTest, AModeChangedOnTheMainPageSurvivesTheSettingsPagesCollect) {
    for (bool settingsActive : {false, true}) {
        SCOPED_TRACE(settingsActive ? "settings active" : "main active");
        Change<InputRecord>(kIn1, [](InputRecord& r) { r.mode = 0; });
        LoadBoth();
        main.Choose(MainControl::Mode1, 3);
        CollectWithActive(settingsActive ? static_cast<CForm&>(form) : static_cast<CForm&>(main));
        EXPECT_EQ(Item<InputRecord>(kIn1).mode, 3);
        EXPECT_EQ(host.Pending(), Strings{"IN1"}) << "the settings page has nothing of its own to write";
        // A later write without a reload of the settings page still leaves it.
        host.ClearRequests();
        form.Collect();
        EXPECT_EQ(Item<InputRecord>(kIn1).mode, 3);
        EXPECT_TRUE(host.Pending().empty());
    }
}

TEST_F(SharedRecordTest, AModeChangedOnTheSettingsPageSurvivesTheMainPagesCollect) {
    for (bool settingsActive : {false, true}) {
        SCOPED_TRACE(settingsActive ? "settings active" : "main active");
        Change<InputRecord>(kIn1, [](InputRecord& r) { r.mode = 0; });
        LoadBoth();
        form.Choose(InputControl(1, InputColumn::Mode), 2);
        CollectWithActive(settingsActive ? static_cast<CForm&>(form) : static_cast<CForm&>(main));
        EXPECT_EQ(Item<InputRecord>(kIn1).mode, 2);
        EXPECT_EQ(host.Pending(), Strings{"IN1"});
    }
}

TEST_F(SharedRecordTest, EditsOfOneInputOnBothPagesAreAllKept) {
    LoadBoth();
    main.Choose(MainControl::Mode1, 3);
    form.Edit(InputControl(1, InputColumn::Upper1), "32000");
    form.Choose(SettingsControl::IgnSource, 3);
    CollectWithActive(form);
    const InputRecord in1 = Item<InputRecord>(kIn1);
    EXPECT_EQ(in1.mode, 3);
    EXPECT_EQ(in1.bounds.upper1, 32000);
    EXPECT_EQ(Item<IgnitionRecord>(DI_IGN).source, 3);
}

TEST_F(SharedRecordTest, AProtocolBitChangedOnTheMainPageSurvivesTheSettingsPage) {
    LoadBoth();
    const bool in3 = main.View(MainControl::In3).checked;
    main.Check(MainControl::In3, !in3);
    form.Edit(SettingsControl::Tilt, "15");
    CollectWithActive(form);
    EXPECT_EQ(((Item<ProtocolSetRecord>(DI_PRSET_1).set[0][5] >> 2) & 1) != 0, !in3);
}

TEST_F(SharedRecordTest, AnEditHandedOverIsNotWrittenAgainByALaterCollect) {
    LoadBoth();
    main.Choose(MainControl::Mode1, 3);
    main.Collect();
    Load();  // "Настройки" shows the mode the main page wrote
    form.Choose(InputControl(1, InputColumn::Mode), 1);
    form.Collect();
    host.ClearRequests();
    main.Collect();  // not loaded again since its own collect
    EXPECT_EQ(Item<InputRecord>(kIn1).mode, 1);
    EXPECT_TRUE(host.Pending().empty());
}

}  // namespace
