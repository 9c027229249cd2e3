// "Настройки" without its widgets: the inputs with their thresholds and
// filters, the SOS and ignition inputs, the output, the accelerometer, the
// thermometers, the field mask of the data protocol and the service buttons.
#pragma once

#include "model/capabilities.h"
#include "pages/core/form.h"
#include "pages/core/inputcopies.h"
#include "pages/core/rows.h"

#include <array>
#include <functional>
#include <optional>
#include <span>

// The controls of one input row, in the order of its columns.
enum class InputColumn : int { Mode, Lower0, Upper0, Lower1, Upper1, Filter, Reset, Alarm, Count };
// The controls of one external thermometer row.
enum class ThermoColumn : int { On, Id, Lower, Upper, Count };

constexpr int kInputRows = CInputCopies::kRows;
constexpr int kThermoRows = 4;
constexpr int kProtocolBoxCount = 21;

enum class SettingsControl : int {
    InputRows,  // kInputRows rows of InputColumn::Count controls
    SosSource = InputRows + kInputRows * static_cast<int>(InputColumn::Count),
    SosLower0,
    SosUpper0,
    SosLower1,
    SosUpper1,
    SosLevel,
    IgnSource,
    IgnLower0,
    IgnUpper0,
    IgnLower1,
    IgnUpper1,
    Output,
    Motion,
    Shock,
    Tilt,
    Calibrate,
    TintLower,
    TintUpper,
    ThermoRows,  // kThermoRows rows of ThermoColumn::Count controls
    ProtocolBoxes = ThermoRows + kThermoRows * static_cast<int>(ThermoColumn::Count),
    ResetSettings = ProtocolBoxes + kProtocolBoxCount,
    ResetMemory,
    ResetStatistics,
    ResetFactory,
    Count,
};

// input 1 to kInputRows
constexpr SettingsControl InputControl(int input, InputColumn column) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::InputRows) +
                                        (input - 1) * static_cast<int>(InputColumn::Count) + static_cast<int>(column));
}
// thermometer 1 to kThermoRows
constexpr SettingsControl ThermoControl(int thermometer, ThermoColumn column) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::ThermoRows) +
                                        (thermometer - 1) * static_cast<int>(ThermoColumn::Count) +
                                        static_cast<int>(column));
}
// box 0 to kProtocolBoxCount - 1, in the order of ProtocolBoxes()
constexpr SettingsControl ProtocolControl(int box) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::ProtocolBoxes) + box);
}

// A check box of "Протокол": the bit of protocol set 1 it shows and sets.
// Without the capability it is cleared and disabled at load, and the next
// collect clears its bit.
struct ProtocolBox {
    const char* caption;
    int word;  // 0 to 15 through both halves
    int bit;
    Capability need;
};
std::span<const ProtocolBox> ProtocolBoxes();

class CSettingsForm : public CForm {
public:
    static constexpr const char* kOutputOn = "Вкл.";
    static constexpr const char* kOutputOff = "Выкл.";
    static constexpr const char* kOutputTemplate = "Вкл";
    static constexpr const char* kCalibrated = "Калибровка выполнена успешно!";
    static constexpr const char* kNotCalibrated = "Калибровка НЕ выполнена.";

    // Runs the thresholds dialog of an input modally; true when it ended with OK.
    using AlarmDialog = std::function<bool(int input)>;

    CSettingsForm(CDataServer& data, IPageHost& host);

    PageCode Code() const override { return PageCode::Settings; }
    void SetAlarmDialog(AlarmDialog dialog) { m_alarmDialog = std::move(dialog); }

    Verdict Edit(SettingsControl c, std::string_view text) { return EditText(I(c), text); }
    Verdict Check(SettingsControl c, bool checked) { return EditCheck(I(c), checked); }
    Verdict Choose(SettingsControl c, int index) { return EditChoice(I(c), index); }
    void Press(SettingsControl c) { CForm::Press(I(c)); }
    const ControlView& View(SettingsControl c) const { return CForm::View(I(c)); }

private:
    static constexpr int I(SettingsControl c) { return static_cast<int>(c); }

    // A row of four level bounds: its first edit, its copy and its defaults.
    struct LevelEdits {
        int first;
        LevelBounds* bounds;
        const LevelRow* defaults;
    };

    void Fill() override;
    bool CollectChanges() override;
    Verdict OnText(int control, std::string_view text) override;
    Verdict OnCheck(int control, bool checked) override;
    Verdict OnChoice(int control, int index) override;
    void OnPress(int control) override;

    void FillInputs(int inputs, bool editable);
    void ShowInput(int input, bool editable);
    void ShowMode(int input, bool thresholdsFollowMode);
    void ShowLevels(int first, const LevelBounds& bounds, bool editable);
    void ShowSignals(int inputs, bool editable);
    void FillOutput(const DeviceTypeRecord& type, bool editable);
    void FillThermometerLists(const DeviceTypeRecord& type);
    void FollowThermometerBoxes(const DeviceTypeRecord& type, bool editable);
    void CorrectThermometerBits(const DeviceTypeRecord& type);
    void FillProtocol(const DeviceTypeRecord& type, bool editable);
    void FillServiceButtons(const DeviceTypeRecord& type);
    bool CollectProtocol(const DeviceTypeRecord& type);
    void FollowSensorFlag(int sensor, bool inUse);

    std::optional<LevelEdits> LevelEditsOf(int control);
    Verdict OnLevelText(const LevelEdits& row, int control, std::string_view text);
    Verdict OnFilterText(int input, std::string_view text);
    Verdict OnTemperatureText(int control, std::string_view text);
    Verdict OnModeChoice(int input, int index);
    Verdict OnSourceChoice(int control, int index);
    Verdict OnIdentifierChoice(int thermometer, int index);
    void ToggleOutput();
    void RunAlarmDialog(int input);
    void Calibrate();
    void RunServiceButton(int control);

    CRowEngine m_rows;
    CInputCopies m_inputs;
    AlarmDialog m_alarmDialog;
    bool m_thresholdsChanged = false;
    std::array<bool, kProtocolBoxCount> m_boxesShown{};  // each box as the model held it at the load or last collect
    std::array<int, kThermoRows> m_idsAtLoad{};          // the identifier lists' selections at the load
};
