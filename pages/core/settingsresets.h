// The service buttons of "Настройки" and the accelerometer's calibration:
// commands to a connected device, outside any collect.
#pragma once

#include "pages/core/settingsbox.h"

class IPageHost;

class CSettingsResets : public CSettingsBox {
public:
    static constexpr const char* kCalibrated = "Калибровка выполнена успешно!";
    static constexpr const char* kNotCalibrated = "Калибровка НЕ выполнена.";

    CSettingsResets(IPageHost& host, ISettingsControls& form) : m_host(host), m_form(form) {}

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    bool OnPress(SettingsControl control) override;

private:
    void Calibrate();

    IPageHost& m_host;
    ISettingsControls& m_form;
};
