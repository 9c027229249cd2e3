// "Настройки" without its widgets: the inputs with their thresholds and
// filters, the SOS and ignition inputs, the output, the accelerometer, the
// thermometers, the field mask of the data protocol and the service buttons.
#pragma once

#include "model/capabilities.h"
#include "pages/core/form.h"
#include "pages/core/inputcopies.h"
#include "pages/core/rows.h"
#include "pages/core/settingsaccel.h"
#include "pages/core/settingsbox.h"
#include "pages/core/settingscontrols.h"
#include "pages/core/settingsinputs.h"
#include "pages/core/settingsoutput.h"
#include "pages/core/settingsprotocol.h"
#include "pages/core/settingsresets.h"
#include "pages/core/settingsthermo.h"

#include <array>
#include <functional>
#include <optional>
#include <span>

class CSettingsForm : public CForm, private ISettingsControls {
public:
    static constexpr const char* kOutputOn = CSettingsOutput::kOn;
    static constexpr const char* kOutputOff = CSettingsOutput::kOff;
    static constexpr const char* kOutputTemplate = CSettingsOutput::kTemplate;
    static constexpr const char* kCalibrated = CSettingsResets::kCalibrated;
    static constexpr const char* kNotCalibrated = CSettingsResets::kNotCalibrated;

    using AlarmDialog = CSettingsInputs::AlarmDialog;

    CSettingsForm(CDataServer& data, IPageHost& host);

    PageCode Code() const override { return PageCode::Settings; }
    void SetAlarmDialog(AlarmDialog dialog) { m_inputs.SetAlarmDialog(std::move(dialog)); }

    Verdict Edit(SettingsControl c, std::string_view text) { return EditText(ControlIndex(c), text); }
    Verdict Check(SettingsControl c, bool checked) { return EditCheck(ControlIndex(c), checked); }
    Verdict Choose(SettingsControl c, int index) { return EditChoice(ControlIndex(c), index); }
    void Press(SettingsControl c) { CForm::Press(ControlIndex(c)); }
    const ControlView& View(SettingsControl c) const override { return CForm::View(ControlIndex(c)); }

private:
    ControlView& ViewOf(SettingsControl c) override { return CForm::ViewOf(ControlIndex(c)); }
    bool EditingPossible() const override { return CForm::EditingPossible(); }
    void MarkModified() override { CForm::MarkModified(); }
    Verdict KeepText(SettingsControl c, std::string_view text) override { return CForm::OnText(ControlIndex(c), text); }
    Verdict KeepChoice(SettingsControl c, int index) override { return CForm::OnChoice(ControlIndex(c), index); }
    void ShowNotAvailable(SettingsControl c) override { CForm::ShowNotAvailable(ControlIndex(c)); }
    void LoadRows(CRowEngine& rows, const DeviceTypeRecord& type, bool editable) override;
    bool CollectRows(CRowEngine& rows, const DeviceTypeRecord& type) override;

    void Fill() override;
    bool CollectChanges() override;
    Verdict OnText(int control, std::string_view text) override;
    Verdict OnCheck(int control, bool checked) override;
    Verdict OnChoice(int control, int index) override;
    void OnPress(int control) override;

    CSettingsInputs m_inputs;
    CSettingsOutput m_output;
    CSettingsAccelerometer m_accelerometer;
    CSettingsThermometers m_thermometers;
    CSettingsProtocol m_protocol;
    CSettingsResets m_resets;
    const std::array<CSettingsBox*, 6> m_boxes;
};
