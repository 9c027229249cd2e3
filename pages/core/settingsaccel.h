// "Акселерометр" of "Настройки": the motion, shock and tilt thresholds.
#pragma once

#include "pages/core/rows.h"
#include "pages/core/settingsbox.h"

#include <span>

class CDataServer;

class CSettingsAccelerometer : public CSettingsBox {
public:
    CSettingsAccelerometer(CDataServer& data, ISettingsControls& form);

    // The edits' traits, with the ranges and hints of their settings.
    static void Describe(std::span<ControlTraits> traits);

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    bool Collect(const DeviceTypeRecord& type) override;
    std::optional<Verdict> OnText(SettingsControl control, std::string_view text) override;

private:
    CDataServer& m_data;
    ISettingsControls& m_form;
    CRowEngine m_rows;
};
