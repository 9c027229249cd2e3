#include "pages/core/settingsrules.h"
#include "tests/pages/core/settings_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

using IC = InputColumn;
using TC = ThermoColumn;

constexpr int kIn(int k) { return ItemBase::Input + k; }
constexpr int kThermo(int k) { return ItemBase::Thermometer + k; }
constexpr int kLls(int k) { return ItemBase::FuelSensor + k; }

// The protocol box with a caption.
SC Box(const char* caption) {
    const auto boxes = ProtocolBoxes();
    const auto at = std::find_if(boxes.begin(), boxes.end(),
                                 [caption](const ProtocolBox& b) { return std::string(b.caption) == caption; });
    return ProtocolControl(static_cast<int>(at - boxes.begin()));
}

using SettingsFormTest = SettingsFixture;

TEST_F(SettingsFormTest, ATypeWithTwoInputsShowsNaInRowsThreeAndFourAndOffersTwoSources) {
    ChangeType([](DeviceTypeRecord& t) { t.capsIo = kInputsOf(2); });
    Load();
    for (int k : {3, 4}) {
        EXPECT_EQ(form.View(InputControl(k, IC::Mode)).choices, Strings{"NA"});
        for (IC c : {IC::Mode, IC::Lower0, IC::Upper0, IC::Lower1, IC::Upper1, IC::Filter, IC::Reset, IC::Alarm})
            EXPECT_FALSE(form.View(InputControl(k, c)).enabled) << k << " " << static_cast<int>(c);
        for (IC c : {IC::Lower0, IC::Upper1, IC::Filter})
            EXPECT_EQ(form.View(InputControl(k, c)).text, "NA");
    }
    EXPECT_TRUE(form.View(InputControl(2, IC::Mode)).enabled);
    for (SC list : {SC::SosSource, SC::IgnSource})
        EXPECT_EQ(form.View(list).choices, (Strings{"NONE", "IN1", "IN2"}));
    EXPECT_EQ(form.View(SC::SosLevel).choices, (Strings{"0", "1"}));
    EXPECT_FALSE(form.Collect());
    EXPECT_TRUE(host.Pending().empty());
}

TEST_F(SettingsFormTest, ATypeWithoutInputsShowsNaInTheFirstRowAndTheSignalRows) {
    ChangeType([](DeviceTypeRecord& t) { t.capsIo = 0; });
    Load();
    for (SC list : {InputControl(1, IC::Mode), SC::SosSource, SC::IgnSource, SC::SosLevel}) {
        EXPECT_EQ(form.View(list).choices, Strings{"NA"});
        EXPECT_FALSE(form.View(list).enabled);
    }
    for (SC edit : {InputControl(1, IC::Lower0), InputControl(1, IC::Filter), SC::SosLower0, SC::IgnUpper1}) {
        EXPECT_EQ(form.View(edit).text, "NA");
        EXPECT_FALSE(form.View(edit).enabled);
    }
    EXPECT_FALSE(form.Collect());
}

TEST_F(SettingsFormTest, AThirdThermometerIsTheLastAndTheFourthIsNeverTouched) {
    ChangeType([](DeviceTypeRecord& t) { t.capsSensors = kThermometersOf(3); });
    Change<ThermometerRecord>(kThermo(4), [](ThermometerRecord& t) { t.lower = -7; });
    Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[1][0] = 0x000F; });
    form.Load();
    EXPECT_EQ(host.Pending(), (Strings{"PRSET11;SET"})) << "the fourth thermometer's bit is cleared at the load";
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[1][0], 0x0007);
    host.ClearRequests();
    EXPECT_EQ(form.View(ThermoControl(4, TC::Id)).choices, Strings{"NA"});
    for (TC c : {TC::On, TC::Id, TC::Lower, TC::Upper})
        EXPECT_FALSE(form.View(ThermoControl(4, c)).enabled);
    EXPECT_EQ(form.View(ThermoControl(4, TC::Lower)).text, "NA");
    EXPECT_TRUE(form.View(ThermoControl(3, TC::On)).enabled);

    form.Edit(ThermoControl(3, TC::Lower), "-10");
    form.Check(ThermoControl(1, TC::On), false);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"THERMO1;SET", "THERMO3;SET"}));
    EXPECT_EQ(Item<ThermometerRecord>(kThermo(3)).lower, -10);
    EXPECT_EQ(Item<ThermometerRecord>(kThermo(1)).flags & 0x01, 0);
    EXPECT_EQ(Item<ThermometerRecord>(kThermo(4)).lower, -7);
}

TEST_F(SettingsFormTest, ThermometerBitsFollowTheOnFlagsAtTheLoad) {
    Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[1][0] = 0; });
    host.connected = false;
    form.Load();
    EXPECT_TRUE(host.Pending().empty()) << "without a device or a file nothing is corrected";
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[1][0], 0);
    host.connected = true;
    form.Load();
    EXPECT_EQ(host.Pending(), (Strings{"PRSET11;SET"})) << "before any edit";
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[1][0], 0x000F);
    host.ClearRequests();
    form.Load();
    EXPECT_TRUE(host.Pending().empty()) << "once they agree, a load appends nothing";
}

TEST_F(SettingsFormTest, WithoutGsmTheGsmBoxesAreClearedAndTheNextCollectClearsTheirBits) {
    ChangeType([](DeviceTypeRecord& t) { t.capsComm = 1u << 24; });
    Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) {
        p.set[0][0] |= 1u << 2;
        p.set[0][3] |= 0x7;
    });
    Load();
    for (const char* caption : {"IMEI", "GSM Status", "GSM RSSI", "GSM LBS"}) {
        EXPECT_FALSE(form.View(Box(caption)).checked) << caption;
        EXPECT_FALSE(form.View(Box(caption)).enabled) << caption;
    }
    EXPECT_TRUE(form.View(Box("Status")).enabled);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"PRSET10;SET"}));
    const ProtocolSetRecord prset = Item<ProtocolSetRecord>(DI_PRSET_1);
    EXPECT_EQ(prset.set[0][0] & (1u << 2), 0u);
    EXPECT_EQ(prset.set[0][3] & 0x7u, 0u);
}

struct LevelCase {
    const char* name;
    SC row;  // the row's lower "0" edit
    int edited;
    const char* text;
    Verdict verdict;
    LevelRow after;  // in the edits and in the model after the collect
};

TEST_F(SettingsFormTest, ThresholdsMustRiseAndARefusalResetsTheRowFromTheEditedBound) {
    const SC in1 = InputControl(1, IC::Lower0);
    const LevelCase cases[] = {
        {"upper 0 above lower 1", in1, 1, "5000", Verdict::Refuse, {100, 3000, 8000, 33000}},
        {"lower 0 past its room, input row", in1, 0, "32998", Verdict::Refuse, {0, 3000, 8000, 33000}},
        {"lower 0 past its room, SOS row", SC::SosLower0, 0, "32998", Verdict::Refuse, {0, 2000, 3000, 33000}},
        {"lower 0 past its room, IGN row", SC::IgnLower0, 0, "32998", Verdict::Refuse, {0, 2000, 3000, 33000}},
        {"upper 1 above the maximum", in1, 3, "33001", Verdict::Refuse, {100, 2000, 4000, 33000}},
        {"lower 1 not below upper 1", SC::SosLower0, 2, "30000", Verdict::Refuse, {100, 2000, 3000, 33000}},
        {"upper 0 between its neighbours", in1, 1, "3999", Verdict::Accept, {100, 3999, 4000, 30000}},
        {"empty lower 0 is 0", in1, 0, "", Verdict::Accept, {0, 2000, 4000, 30000}},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LevelBounds start = FromLevelRow({100, 2000, 4000, 30000});
        Change<InputRecord>(kIn(1), [&](InputRecord& r) { r.bounds = start; });
        Change<IgnitionRecord>(DI_IGN, [&](IgnitionRecord& r) { r.bounds = start; });
        Change<AlarmRecord>(DI_SOS, [&](AlarmRecord& r) { r.bounds = start; });
        Load();
        const SC edit = static_cast<SC>(static_cast<int>(c.row) + c.edited);
        EXPECT_EQ(form.Edit(edit, c.text), c.verdict);
        for (int j = 0; j < 4; ++j) {
            if (j != c.edited || c.verdict == Verdict::Refuse) {
                EXPECT_EQ(form.View(static_cast<SC>(static_cast<int>(c.row) + j)).text, std::to_string(c.after[j]));
            }
        }
        form.Collect();
        const LevelBounds stored = c.row == in1             ? Item<InputRecord>(kIn(1)).bounds
                                   : c.row == SC::SosLower0 ? Item<AlarmRecord>(DI_SOS).bounds
                                                            : Item<IgnitionRecord>(DI_IGN).bounds;
        EXPECT_EQ(ToLevelRow(stored), c.after);
    }
}

struct FilterCase {
    InputMode mode;
    const char* text;
    Verdict verdict;
    const char* shown;
};

TEST_F(SettingsFormTest, TheFilterTakesOneToTheMaximumOfItsMode) {
    const FilterCase cases[] = {
        {InputMode::Frequency, "9", Verdict::Refuse, "4"}, {InputMode::Frequency, "8", Verdict::Accept, "8"},
        {InputMode::Analog, "8", Verdict::Accept, "8"},    {InputMode::Analog, "9", Verdict::Refuse, "1"},
        {InputMode::Pulse, "250", Verdict::Accept, "250"}, {InputMode::Pulse, "251", Verdict::Refuse, "50"},
        {InputMode::Digital, "2", Verdict::Refuse, "1"},   {InputMode::Digital, "0", Verdict::Refuse, "1"},
        {InputMode::Analog, "0", Verdict::Refuse, "1"},    {InputMode::Frequency, "0", Verdict::Refuse, "4"},
        {InputMode::Pulse, "0", Verdict::Refuse, "50"},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in mode " + std::to_string(static_cast<int>(c.mode)));
        Change<InputRecord>(kIn(2), [&](InputRecord& r) {
            r = InputRecord{};
            r.mode = static_cast<int32_t>(c.mode);
        });
        Load();
        EXPECT_EQ(form.View(InputControl(2, IC::Filter)).enabled, c.mode != InputMode::Digital);
        EXPECT_EQ(form.Edit(InputControl(2, IC::Filter), c.text), c.verdict);
        EXPECT_EQ(form.View(InputControl(2, IC::Filter)).text, c.shown);
        EXPECT_EQ(form.Collect(), c.verdict == Verdict::Accept);
    }
    EXPECT_EQ(Item<InputRecord>(kIn(2)).pulseFilter, 50) << "the last case was refused";
}

TEST_F(SettingsFormTest, SosAndIgnitionNeverShareASourceButBothMayBeNone) {
    Change<AlarmRecord>(DI_SOS, [](AlarmRecord& r) { r.source = 2; });
    Change<IgnitionRecord>(DI_IGN, [](IgnitionRecord& r) { r.source = 1; });
    Load();
    EXPECT_EQ(form.Choose(SC::IgnSource, 2), Verdict::Refuse);
    EXPECT_EQ(form.View(SC::IgnSource).selection, 1);
    EXPECT_EQ(host.modified, 0);
    EXPECT_EQ(form.Choose(SC::IgnSource, 0), Verdict::Accept);
    EXPECT_EQ(form.Choose(SC::SosSource, 0), Verdict::Accept);
    EXPECT_EQ(form.Choose(SC::SosLevel, 0), Verdict::Accept);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"IGN", "SOS"}));
    EXPECT_EQ(Item<IgnitionRecord>(DI_IGN).source, 0);
    EXPECT_EQ(Item<AlarmRecord>(DI_SOS).source, 0);
    EXPECT_EQ(Item<AlarmRecord>(DI_SOS).level, 0);
}

TEST_F(SettingsFormTest, SwitchingFromPulseToAnalogFollowsTheModeAndWritesTheInput) {
    Change<InputRecord>(kIn(1), [](InputRecord& r) {
        r.mode = 3;
        r.analogFilter = 6;
    });
    Load();
    EXPECT_TRUE(form.View(InputControl(1, IC::Reset)).enabled);
    EXPECT_TRUE(form.View(InputControl(1, IC::Lower0)).enabled);
    form.Choose(InputControl(1, IC::Mode), 1);
    EXPECT_FALSE(form.View(InputControl(1, IC::Reset)).enabled);
    for (IC c : {IC::Lower0, IC::Upper0, IC::Lower1, IC::Upper1})
        EXPECT_FALSE(form.View(InputControl(1, c)).enabled);
    EXPECT_TRUE(form.View(InputControl(1, IC::Filter)).enabled);
    EXPECT_EQ(form.View(InputControl(1, IC::Filter)).text, "6");
    EXPECT_TRUE(form.Modified());
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"IN1"});
    EXPECT_EQ(Item<InputRecord>(kIn(1)).mode, 1);

    // Right after a load the thresholds are enabled in analog mode too.
    Load();
    EXPECT_TRUE(form.View(InputControl(1, IC::Lower0)).enabled);
    EXPECT_FALSE(form.Collect()) << "nothing changed since";
}

TEST_F(SettingsFormTest, TheCounterResetIsEnabledInPulseModeAndSendsAtOnce) {
    Change<InputRecord>(kIn(3), [](InputRecord& r) { r.mode = 3; });
    Load();
    EXPECT_FALSE(form.View(InputControl(2, IC::Reset)).enabled);
    ASSERT_TRUE(form.View(InputControl(3, IC::Reset)).enabled);
    form.Press(InputControl(3, IC::Reset));
    EXPECT_EQ(host.Sent(), Strings{"COUNTER3;RESET"});
    EXPECT_TRUE(host.Pending().empty());
    EXPECT_FALSE(form.Modified());
}

TEST_F(SettingsFormTest, TheOutputButtonSwitchesTheModelAndSendsAtOnce) {
    Load();
    EXPECT_EQ(form.View(SC::Output).text, CSettingsForm::kOutputOff);
    form.Press(SC::Output);
    EXPECT_EQ(form.View(SC::Output).text, CSettingsForm::kOutputOn);
    EXPECT_EQ(Item<OutputRecord>(DI_OUTPUT_1).param0, 1);
    form.Press(SC::Output);
    EXPECT_EQ(form.View(SC::Output).text, CSettingsForm::kOutputOff);
    EXPECT_EQ(host.Sent(), (Strings{"OUT1", "OUT1"}));
    EXPECT_FALSE(form.Collect()) << "the output takes no part in collecting";

    ChangeType([](DeviceTypeRecord& t) { t.capsIo = kInputsOf(4); });
    Load();
    EXPECT_FALSE(form.View(SC::Output).enabled);
    EXPECT_EQ(form.View(SC::Output).text, CSettingsForm::kOutputTemplate);
}

struct AcceptCase {
    const char* name;
    SC control;
    const char* text;
    Verdict verdict;
    const char* shown;
};

TEST_F(SettingsFormTest, AccelerometerAndThermometerEntriesOutsideTheirRangesGetTheModelsValueBack) {
    Change<TiltConfig>(DI_TILT_CONFIG, [](TiltConfig& t) { t.angle = 45; });
    Change<TempSensorConfig>(DI_TSENS_CONFIG, [](TempSensorConfig& t) {
        t.lower = -20;
        t.upper = 50;
    });
    Change<ThermometerRecord>(kThermo(2), [](ThermometerRecord& t) {
        t.lower = -5;
        t.upper = 30;
    });
    const SC t2Lower = ThermoControl(2, TC::Lower);
    const SC t2Upper = ThermoControl(2, TC::Upper);
    const AcceptCase cases[] = {
        {"tilt 0", SC::Tilt, "0", Verdict::Refuse, "45"},
        {"tilt 91", SC::Tilt, "91", Verdict::Refuse, "45"},
        {"tilt 90", SC::Tilt, "90", Verdict::Accept, "90"},
        {"motion 2000", SC::Motion, "2000", Verdict::Accept, "2000"},
        {"shock 2001", SC::Shock, "2001", Verdict::Refuse, "127"},
        {"internal lower -41", SC::TintLower, "-41", Verdict::Refuse, "-20"},
        {"internal lower -40", SC::TintLower, "-40", Verdict::Accept, "-40"},
        {"internal upper 85", SC::TintUpper, "85", Verdict::Accept, "85"},
        {"internal upper 86", SC::TintUpper, "86", Verdict::Refuse, "50"},
        {"internal lower equal to upper", SC::TintLower, "50", Verdict::Refuse, "-20"},
        {"internal upper equal to lower", SC::TintUpper, "-20", Verdict::Refuse, "50"},
        {"internal lower with a plus", SC::TintLower, "+5", Verdict::Accept, "+5"},
        {"a lone sign", SC::TintUpper, "-", Verdict::Accept, "-"},
        {"empty", SC::TintLower, "", Verdict::Accept, ""},
        {"external lower -41", t2Lower, "-41", Verdict::Refuse, "-5"},
        {"external upper 86", t2Upper, "86", Verdict::Refuse, "30"},
        {"external upper 85", t2Upper, "85", Verdict::Accept, "85"},
        {"external lower equal to upper", t2Lower, "30", Verdict::Refuse, "-5"},
    };
    for (const AcceptCase& c : cases) {
        Load();
        EXPECT_EQ(form.Edit(c.control, c.text), c.verdict) << c.name;
        EXPECT_EQ(form.View(c.control).text, c.shown) << c.name;
    }
}

// A refused entry's tooltip names the edit's own setting and range.
TEST_F(SettingsFormTest, RangeEditsHintAtTheirOwnSettingsRanges) {
    const std::pair<SC, std::string> cases[] = {
        {SC::Motion, "Движение: 1–2000"},
        {SC::Shock, "Удар: 1–2000"},
        {SC::Tilt, "Наклон: 1–90"},
        {SC::TintLower, "Нижний порог: -40–85"},
        {SC::TintUpper, "Верхний порог: -40–85"},
        {ThermoControl(3, TC::Lower), "Нижний порог: -40–85"},
        {ThermoControl(4, TC::Upper), "Верхний порог: -40–85"},
    };
    for (const auto& [control, start] : cases) {
        const char* hint = form.Traits(ControlIndex(control)).hint;
        ASSERT_NE(hint, nullptr) << start;
        EXPECT_EQ(std::string(hint).rfind(start, 0), 0u) << hint;
    }
}

TEST_F(SettingsFormTest, AccelerometerAndThermometerEditsAreWrittenByTheirGroups) {
    Load();
    form.Edit(SC::Motion, "12");
    form.Edit(SC::Tilt, "20");
    form.Edit(SC::TintUpper, "60");
    form.Edit(ThermoControl(2, TC::Upper), "35");
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"MSENS;SET", "TILT;SET", "TSENS;SET", "THERMO2;SET"}));
    EXPECT_EQ(Item<MotionSensorConfig>(DI_MSENS_CONFIG).motion, 12);
    EXPECT_EQ(Item<TiltConfig>(DI_TILT_CONFIG).angle, 20);
    EXPECT_EQ(Item<TempSensorConfig>(DI_TSENS_CONFIG).upper, 60);
    EXPECT_EQ(Item<ThermometerRecord>(kThermo(2)).upper, 35);
}

TEST_F(SettingsFormTest, WithoutTheSensorsTheirEditsShowNaAndAreNotCollected) {
    ChangeType([](DeviceTypeRecord& t) {
        t.capsPeriph &= ~((1u << 8) | (1u << 9));
        t.capsSensors = 0;
    });
    Load();
    for (SC edit : {SC::Motion, SC::Shock, SC::Tilt, SC::TintLower, SC::TintUpper, ThermoControl(1, TC::Lower)}) {
        EXPECT_EQ(form.View(edit).text, "NA");
        EXPECT_FALSE(form.View(edit).enabled);
    }
    EXPECT_FALSE(form.View(SC::Calibrate).enabled);
    EXPECT_FALSE(form.Collect());
}

TEST_F(SettingsFormTest, IdentifierListsOfferTheOwnIdentifierFirstAndNeverOneIdentifierTwice) {
    Change<ThermometerRecord>(kThermo(1), [](ThermometerRecord& t) { t.id = 0xA1; });
    Change<ThermometerRecord>(kThermo(2), [](ThermometerRecord& t) { t.id = 0xB2; });
    const uint64_t detected[] = {0xB2, 0, 0xC3, 0xA1, 0xD4};
    for (int j = 0; j < 5; ++j)
        data.Set(ItemBase::ThermoId + j, detected[j]);
    Load();
    EXPECT_EQ(form.View(ThermoControl(1, TC::Id)).choices,
              (Strings{"0000000000A1", "0000000000B2", "0000000000C3", "0000000000D4"}));
    EXPECT_EQ(form.View(ThermoControl(2, TC::Id)).choices,
              (Strings{"0000000000B2", "0000000000C3", "0000000000A1", "0000000000D4"}));
    EXPECT_EQ(form.View(ThermoControl(1, TC::Id)).selection, 0);

    EXPECT_EQ(form.Choose(ThermoControl(1, TC::Id), 2), Verdict::Accept);  // C3
    EXPECT_EQ(form.Choose(ThermoControl(2, TC::Id), 1), Verdict::Refuse);  // C3 again
    EXPECT_EQ(form.View(ThermoControl(2, TC::Id)).selection, 0);
    EXPECT_EQ(form.Choose(ThermoControl(1, TC::Id), 1), Verdict::Refuse);  // B2, the second's
    EXPECT_EQ(form.View(ThermoControl(1, TC::Id)).selection, 0) << "back to the selection at the load";
    EXPECT_EQ(form.Choose(ThermoControl(1, TC::Id), 3), Verdict::Accept);  // D4
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), Strings{"THERMO1;SET"});
    EXPECT_EQ(Item<ThermometerRecord>(kThermo(1)).id, 0xD4u);
}

TEST_F(SettingsFormTest, AThermometersBoxEnablesItsListAndLimits) {
    Change<ThermometerRecord>(kThermo(1), [](ThermometerRecord& t) { t.flags = 0; });
    Load();
    EXPECT_FALSE(form.View(ThermoControl(1, TC::On)).checked);
    EXPECT_TRUE(form.View(ThermoControl(1, TC::On)).enabled);
    EXPECT_FALSE(form.View(ThermoControl(1, TC::Id)).enabled);
    form.Check(ThermoControl(1, TC::On), true);
    for (TC c : {TC::Id, TC::Lower, TC::Upper})
        EXPECT_TRUE(form.View(ThermoControl(1, c)).enabled);
    EXPECT_EQ(host.modified, 1);
}

TEST_F(SettingsFormTest, ClearingAnLlsBoxClearsTheSensorsInUseFlagWithItsOwnRequest) {
    Load();
    ASSERT_TRUE(form.View(Box("LLS2")).checked);
    form.Check(Box("LLS2"), false);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"LLS2;SET", "PRSET10;SET"}));
    EXPECT_EQ(Item<ProtocolSetRecord>(DI_PRSET_1).set[0][7], 0x1A);
    EXPECT_EQ(Item<FuelSensorRecord>(kLls(2)).flags & 0x01, 0);
    EXPECT_EQ(Item<FuelSensorRecord>(kLls(1)).flags & 0x01, 1);
}

TEST_F(SettingsFormTest, OnlyAChangedLlsBoxSwitchesItsSensorAndOnlyWithRs485) {
    Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[0][7] = 0; });
    Load();  // the in-use flags (set) disagree with the bits (clear)
    form.Check(Box("LLS1"), true);
    form.Check(Box("LLS1"), false);
    form.Check(Box("LLS3"), true);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"PRSET10;SET"})) << "sensor 3 is in use already";
    for (int k : {1, 2, 4})
        EXPECT_EQ(Item<FuelSensorRecord>(kLls(k)).flags & 0x01, 1) << "a sensor whose box was left alone stays on";

    ChangeType([](DeviceTypeRecord& t) { t.capsPeriph &= ~(1u << 17); });
    Load();
    form.Check(Box("LLS3"), false);
    EXPECT_TRUE(form.Collect());
    EXPECT_EQ(host.Pending(), (Strings{"PRSET10;SET"})) << "no sensor requests for a device without the sensors";
    EXPECT_EQ(Item<FuelSensorRecord>(kLls(3)).flags & 0x01, 1);
}

TEST_F(SettingsFormTest, BitsWithoutABoxAndBoxesLeftAloneKeepWhatTheModelHolds) {
    Load();
    // Another page changes word 0 bit 0 (no box) and the IN2 bit after this load.
    Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) {
        p.set[0][0] |= 0x0001;
        p.set[0][5] |= 0x0002;
    });
    form.Check(Box("OUT1"), true);
    EXPECT_TRUE(form.Collect());
    const ProtocolSetRecord prset = Item<ProtocolSetRecord>(DI_PRSET_1);
    EXPECT_EQ(prset.set[0][0] & 0x0001, 0x0001);
    EXPECT_EQ(prset.set[0][5] & 0x0002, 0x0002);
    EXPECT_EQ(prset.set[0][6] & 0x0001, 0x0001);
    host.ClearRequests();
    EXPECT_FALSE(form.Collect()) << "a collect hands a box over once";
}

struct ServiceCase {
    SC button;
    const char* question;
    const char* sent;    // at once, or nullptr
    const char* queued;  // for the status thread, or nullptr
};

TEST_F(SettingsFormTest, ServiceButtonsAskFirstAndOnlyYesGoesOn) {
    const ServiceCase cases[] = {
        {SC::ResetStatistics, "Вы действительно хотите сбросить все статистические данные?", "STATIST;RESET", nullptr},
        {SC::ResetSettings, "Вы действительно хотите сбросить все настройки?", nullptr, "DEFAULT"},
        {SC::ResetMemory, "Вы действительно хотите удалить все репорты?", nullptr, "ERASURE"},
        {SC::ResetFactory, "Вы действительно хотите привести устройство в исходное состояние?", nullptr, "FACTORY"},
    };
    Load();
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.question);
        EXPECT_TRUE(form.View(c.button).enabled);
        for (bool yes : {false, true}) {
            host.ClearRequests();
            host.answerYes = yes;
            form.Press(c.button);
            EXPECT_EQ(host.Questions().back(), c.question);
            EXPECT_EQ(host.Sent(), yes && c.sent ? Strings{c.sent} : Strings{});
            EXPECT_EQ(host.Service(), yes && c.queued ? Strings{c.queued} : Strings{});
            EXPECT_TRUE(host.Pending().empty());
        }
    }
}

TEST_F(SettingsFormTest, ServiceButtonsAreEnabledOnlyWhileConnected) {
    host.connected = false;
    host.fileOpen = true;
    Load();
    for (SC button : {SC::ResetSettings, SC::ResetMemory, SC::ResetStatistics, SC::ResetFactory, SC::Calibrate})
        EXPECT_FALSE(form.View(button).enabled) << static_cast<int>(button);
    EXPECT_TRUE(form.View(SC::Motion).enabled);
    host.connected = true;
    Load();
    EXPECT_TRUE(form.View(SC::Calibrate).enabled);
}

TEST_F(SettingsFormTest, CalibrationReportsItsResult) {
    Load();
    for (auto [result, info, error] :
         {std::tuple{0, CSettingsForm::kCalibrated, ""}, std::tuple{2, "", CSettingsForm::kNotCalibrated},
          std::tuple{6, "", CSettingsForm::kNotCalibrated}}) {
        host.sendResult = result;
        const size_t infos = host.Infos().size();
        const size_t errors = host.Errors().size();
        form.Press(SC::Calibrate);
        EXPECT_EQ(host.Sent().back(), "MSENS;CALALL");
        EXPECT_EQ(host.Infos().size(), infos + (*info ? 1 : 0));
        EXPECT_EQ(host.Errors().size(), errors + (*error ? 1 : 0));
        if (*info) {
            EXPECT_EQ(host.Infos().back(), info);
        }
        if (*error) {
            EXPECT_EQ(host.Errors().back(), error);
        }
    }
}

TEST_F(SettingsFormTest, AConfirmedThresholdsDialogAppendsItsRequestOnlyWhenItChangedTheRecord) {
    int opened = 0;
    bool change = false;
    bool ok = true;
    form.SetAlarmDialog([&](int input) {
        ++opened;
        EXPECT_EQ(input, 2);
        ThresholdRecord record = Item<ThresholdRecord>(ItemBase::Threshold + input);
        if (change)
            record.voltage.upper = 12000;
        data.Set(ItemBase::Threshold + input, record);  // the dialog writes on OK, changed or not
        return ok;
    });
    Load();
    form.Press(InputControl(2, IC::Alarm));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(host.Pending().empty());
    EXPECT_FALSE(form.Modified());
    EXPECT_FALSE(form.Collect());

    change = true;
    form.Press(InputControl(2, IC::Alarm));
    EXPECT_EQ(host.Pending(), Strings{"INTRSHD2"}) << "appended when the dialog closes";
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(host.modified, 1);
    EXPECT_TRUE(form.Collect()) << "the dialog's change counts once";
    EXPECT_EQ(host.Pending(), Strings{"INTRSHD2"});
    EXPECT_FALSE(form.Collect());

    host.ClearRequests();
    Change<ThresholdRecord>(ItemBase::Threshold + 2, [](ThresholdRecord& r) { r.voltage.upper = 1; });
    ok = false;  // Cancel: whatever the model holds, nothing is appended
    form.Press(InputControl(2, IC::Alarm));
    EXPECT_TRUE(host.Pending().empty());
}

TEST_F(SettingsFormTest, ACollectBeforeTheFirstLoadAppendsNothing) {
    form.Edit(SC::Tilt, "5");
    EXPECT_FALSE(form.Collect());
    EXPECT_TRUE(host.Pending().empty());
}

struct BitCase {
    const char* caption;
    int word;  // through both halves
    int bit;
};

bool StoredBit(const ProtocolSetRecord& prset, const BitCase& c) {
    return (prset.set[c.word / 8][c.word % 8] >> c.bit) & 1u;
}

// The field-mask bits as the device's protocol numbers them.
TEST_F(SettingsFormTest, EachProtocolBoxSwitchesItsOwnBitAndNoOther) {
    const BitCase cases[] = {
        {"IMEI", 0, 2}, {"Status", 0, 14}, {"Vext", 2, 0}, {"Vint", 2, 1},       {"ACC", 2, 3},      {"Tint", 2, 4},
        {"SOS", 2, 6},  {"IGN", 2, 7},     {"TLT", 2, 8},  {"GSM Status", 3, 0}, {"GSM RSSI", 3, 1}, {"GSM LBS", 3, 2},
        {"IN1", 5, 0},  {"IN2", 5, 1},     {"IN3", 5, 2},  {"IN4", 5, 3},        {"OUT1", 6, 0},
    };
    ChangeType([](DeviceTypeRecord& t) { t.capsPeriph |= 0x3; });
    for (const BitCase& c : cases) {
        SCOPED_TRACE(c.caption);
        Load();
        const ProtocolSetRecord before = Item<ProtocolSetRecord>(DI_PRSET_1);
        const bool was = StoredBit(before, c);
        ASSERT_EQ(form.View(Box(c.caption)).checked, was);
        ASSERT_TRUE(form.View(Box(c.caption)).enabled);
        form.Check(Box(c.caption), !was);
        EXPECT_TRUE(form.Collect());
        ProtocolSetRecord after = Item<ProtocolSetRecord>(DI_PRSET_1);
        EXPECT_EQ(StoredBit(after, c), !was);
        after.set[c.word / 8][c.word % 8] ^= static_cast<uint16_t>(1u << c.bit);
        EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "no other bit moved";
    }
}

struct GateCase {
    const char* caption;
    uint32_t capability;  // capsPeriph
    int bit;              // in word 2
};

TEST_F(SettingsFormTest, VextAndVintNeedTheirPowerMeasurementAndLoseTheirBitWithout) {
    const GateCase cases[] = {{"Vext", 1u << 0, 0}, {"Vint", 1u << 1, 1}};
    for (const GateCase& c : cases) {
        SCOPED_TRACE(c.caption);
        ChangeType([](DeviceTypeRecord& t) { t.capsPeriph |= 0x3; });
        Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[0][2] |= 0x3; });
        Load();
        EXPECT_TRUE(form.View(Box(c.caption)).enabled);
        EXPECT_TRUE(form.View(Box(c.caption)).checked);
        const uint32_t without = c.capability;
        DeviceTypeRecord type = Item<DeviceTypeRecord>(DI_DEV_TYPE);
        type.capsPeriph &= ~without;
        data.Set(DI_DEV_TYPE, type);
        Load();
        EXPECT_FALSE(form.View(Box(c.caption)).enabled);
        EXPECT_FALSE(form.View(Box(c.caption)).checked);
        form.Collect();
        const uint16_t word = Item<ProtocolSetRecord>(DI_PRSET_1).set[0][2];
        EXPECT_EQ((word >> c.bit) & 1u, 0u) << "cleared without the hardware";
        EXPECT_EQ((word >> (1 - c.bit)) & 1u, 1u) << "the other gate's bit stays";
    }
}

}  // namespace
