#include "pages/core/settingsoutput.h"

#include "model/dataserver.h"
#include "model/registry.h"
#include "shell/pagehost.h"

void CSettingsOutput::Fill(const DeviceTypeRecord& type, bool editable) {
    ControlView& button = m_form.ViewOf(SettingsControl::Output);
    if (!Has(type, Capability::Outputs)) {
        button.enabled = false;
        button.text = kTemplate;
        return;
    }
    OutputRecord output;
    m_data.Get(DI_OUTPUT_1, output);
    button.enabled = editable;
    button.text = output.param0 != 0 ? kOn : kOff;
}

// Switched in the model and sent at once.
bool CSettingsOutput::OnPress(SettingsControl control) {
    if (control != SettingsControl::Output)
        return false;
    OutputRecord output;
    m_data.Get(DI_OUTPUT_1, output);
    output.param0 = output.param0 == 0 ? 1 : 0;
    m_form.ViewOf(control).text = output.param0 != 0 ? kOn : kOff;
    m_data.Set(DI_OUTPUT_1, output);
    m_host.SendCommand(RequestType::Write, GroupRef{&Group::kOut, 1}.Keyword().c_str(), Group::kOut.writeParam);
    return true;
}
