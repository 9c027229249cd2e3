#include "pages/core/settingsform.h"

#include "model/dataserver.h"
#include "shell/pagehost.h"

namespace {

using C = SettingsControl;

std::array<ControlTraits, static_cast<size_t>(C::Count)> MakeTraits() {
    std::array<ControlTraits, static_cast<size_t>(C::Count)> traits{};
    const auto at = [&traits](C control) -> ControlTraits& {
        return traits[static_cast<size_t>(ControlIndex(control))];
    };
    at(C::Output) = {ControlKind::Button};
    at(C::Calibrate) = {ControlKind::Button};
    for (int box = 0; box < kProtocolBoxCount; ++box)
        at(ProtocolControl(box)) = {ControlKind::Check};
    for (C button : {C::ResetSettings, C::ResetMemory, C::ResetStatistics, C::ResetFactory})
        at(button) = {ControlKind::Button};
    CSettingsInputs::Describe(traits);
    CSettingsAccelerometer::Describe(traits);
    CSettingsThermometers::Describe(traits);
    return traits;
}

// Built once: the boxes' hints come from the settings' descriptions.
std::span<const ControlTraits> SettingsTraits() {
    static const auto traits = MakeTraits();
    return traits;
}

}  // namespace

CSettingsForm::CSettingsForm(CDataServer& data, IPageHost& host)
    : CForm(data, host, SettingsTraits()),
      m_inputs(data, host, *this),
      m_output(data, host, *this),
      m_accelerometer(data, *this),
      m_thermometers(data, *this),
      m_protocol(data, host, *this),
      m_resets(host, *this),
      m_boxes{&m_inputs, &m_output, &m_accelerometer, &m_thermometers, &m_protocol, &m_resets} {}

void CSettingsForm::LoadRows(CRowEngine& rows, const DeviceTypeRecord& type, bool editable) {
    rows.Load(*this, MutableViews(), type, editable);
}

bool CSettingsForm::CollectRows(CRowEngine& rows, const DeviceTypeRecord& type) {
    return rows.Collect(Views(), type, m_host);
}

// Inputs, output, accelerometer, thermometers, protocol mask, service buttons.
void CSettingsForm::Fill() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    const bool editable = EditingPossible();
    for (CSettingsBox* box : m_boxes)
        box->Fill(type, editable);
}

bool CSettingsForm::CollectChanges() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    bool changed = false;
    for (CSettingsBox* box : m_boxes)
        changed = box->Collect(type) || changed;
    return changed;
}

Verdict CSettingsForm::OnText(int control, std::string_view text) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnText(static_cast<C>(control), text))
            return *verdict;
    return CForm::OnText(control, text);
}

Verdict CSettingsForm::OnCheck(int control, bool checked) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnCheck(static_cast<C>(control), checked))
            return *verdict;
    return CForm::OnCheck(control, checked);
}

// A list no box answers for keeps its selection.
Verdict CSettingsForm::OnChoice(int control, int index) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnChoice(static_cast<C>(control), index))
            return *verdict;
    return Verdict::Accept;
}

void CSettingsForm::OnPress(int control) {
    for (CSettingsBox* box : m_boxes)
        if (box->OnPress(static_cast<C>(control)))
            return;
}
