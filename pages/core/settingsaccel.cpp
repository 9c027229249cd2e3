#include "pages/core/settingsaccel.h"

#include "pages/core/rules.h"

#include <string>

namespace {

using C = SettingsControl;

// An edit of the box and the setting it shows.
struct AccelEdit {
    SettingsControl control;
    const char* setting;
    Field field;
};
const AccelEdit kEdits[] = {
    {C::Motion, "msens.motion", Number(ORVENA_FIELD(MotionSensorConfig, motion))},
    {C::Shock, "msens.shock", Number(ORVENA_FIELD(MotionSensorConfig, shock))},
    {C::Tilt, "tilt.angle", Number(ORVENA_FIELD(TiltConfig, angle))},
};

const Row kRows[] = {
    {ControlIndex(C::Motion), DI_MSENS_CONFIG, kEdits[0].field, {Capability::Accelerometer}},
    {ControlIndex(C::Shock), DI_MSENS_CONFIG, kEdits[1].field, {Capability::Accelerometer}},
    {ControlIndex(C::Tilt), DI_TILT_CONFIG, kEdits[2].field, {Capability::Accelerometer}},
};

const AccelEdit* EditOf(SettingsControl control) {
    for (const AccelEdit& edit : kEdits)
        if (edit.control == control)
            return &edit;
    return nullptr;
}

SettingRef SettingOf(const AccelEdit& edit) { return *FindSetting(edit.setting); }

}  // namespace

CSettingsAccelerometer::CSettingsAccelerometer(CDataServer& data, ISettingsControls& form)
    : m_data(data), m_form(form), m_rows(data, kRows) {}

void CSettingsAccelerometer::Describe(std::span<ControlTraits> traits) {
    static const std::array<std::string, std::size(kEdits)> hints = [] {
        std::array<std::string, std::size(kEdits)> texts;
        for (size_t i = 0; i < std::size(kEdits); ++i)
            texts[i] = FieldHint(*SettingOf(kEdits[i]).field);
        return texts;
    }();
    for (size_t i = 0; i < std::size(kEdits); ++i) {
        const FieldDesc& field = *SettingOf(kEdits[i]).field;
        traits[static_cast<size_t>(ControlIndex(kEdits[i].control))] = {
            ControlKind::Edit, field.width, true, false, EditTrigger::OnFocusLoss, hints[i].c_str()};
    }
}

void CSettingsAccelerometer::Fill(const DeviceTypeRecord& type, bool editable) {
    m_form.LoadRows(m_rows, type, editable);
}

bool CSettingsAccelerometer::Collect(const DeviceTypeRecord& type) { return m_form.CollectRows(m_rows, type); }

// A number outside its setting's range shows the model's value again.
std::optional<Verdict> CSettingsAccelerometer::OnText(SettingsControl control, std::string_view text) {
    const AccelEdit* edit = EditOf(control);
    if (!edit)
        return std::nullopt;
    const SettingRef setting = SettingOf(*edit);
    const auto [lo, hi] = FieldRange(*setting.field);
    if (!NumberWithin(text, lo, hi)) {
        ShowModelNumber(m_form.ViewOf(control), m_data, setting.Item(), edit->field);
        return Verdict::Refuse;
    }
    return m_form.KeepText(control, text);
}
