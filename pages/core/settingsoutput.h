// "Выход" of "Настройки": the output's switch, sent at once, outside any collect.
#pragma once

#include "pages/core/settingsbox.h"

class CDataServer;
class IPageHost;

class CSettingsOutput : public CSettingsBox {
public:
    static constexpr const char* kOn = "Вкл.";
    static constexpr const char* kOff = "Выкл.";
    static constexpr const char* kTemplate = "Вкл";  // shown by a type without the output

    CSettingsOutput(CDataServer& data, IPageHost& host, ISettingsControls& form)
        : m_data(data), m_host(host), m_form(form) {}

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    bool OnPress(SettingsControl control) override;

private:
    CDataServer& m_data;
    IPageHost& m_host;
    ISettingsControls& m_form;
};
