#include "pages/core/settingsresets.h"

#include "shell/pagehost.h"

namespace {

using C = SettingsControl;

// The service buttons, each asking first.
struct ServiceButton {
    SettingsControl control;
    const char* question;
    const char* keyword;
    const char* parameter;
    bool atOnce;  // sent now; otherwise before the status thread's next poll
};
const ServiceButton kServiceButtons[] = {
    {C::ResetStatistics, "Вы действительно хотите сбросить все статистические данные?", "STATIST", "RESET", true},
    {C::ResetSettings, "Вы действительно хотите сбросить все настройки?", "DEFAULT", nullptr, false},
    {C::ResetMemory, "Вы действительно хотите удалить все репорты?", "ERASURE", nullptr, false},
    {C::ResetFactory, "Вы действительно хотите привести устройство в исходное состояние?", "FACTORY", nullptr, false},
};

}  // namespace

// The buttons talk to a connected device only.
void CSettingsResets::Fill(const DeviceTypeRecord& type, bool) {
    const bool connected = m_host.Connected();
    for (const ServiceButton& button : kServiceButtons)
        m_form.ViewOf(button.control).enabled = connected;
    m_form.ViewOf(C::Calibrate).enabled = connected && Has(type, Capability::Accelerometer);
}

bool CSettingsResets::OnPress(SettingsControl control) {
    if (control == C::Calibrate) {
        Calibrate();
        return true;
    }
    for (const ServiceButton& button : kServiceButtons) {
        if (button.control != control)
            continue;
        if (!m_host.AskYesNo(button.question))
            return true;
        if (button.atOnce)
            m_host.SendCommand(RequestType::Write, button.keyword, button.parameter);
        else
            m_host.QueueServiceRequest(RequestType::Write, button.keyword, button.parameter);
        return true;
    }
    return false;
}

void CSettingsResets::Calibrate() {
    if (m_host.SendCommand(RequestType::Write, Group::kMsens.keyword, "CALALL") == 0)
        m_host.ShowInfo(kCalibrated);
    else
        m_host.ShowError(kNotCalibrated);
}
