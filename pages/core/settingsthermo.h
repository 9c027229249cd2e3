// "Термометры" of "Настройки": the internal thermometer's limits and the
// external thermometers' rows (on, sensor, limits).
#pragma once

#include "pages/core/rows.h"
#include "pages/core/settingsbox.h"

#include <array>
#include <span>

class CDataServer;

class CSettingsThermometers : public CSettingsBox {
public:
    CSettingsThermometers(CDataServer& data, ISettingsControls& form);

    // The edits' and lists' traits, the limits' hints from their settings.
    static void Describe(std::span<ControlTraits> traits);

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    bool Collect(const DeviceTypeRecord& type) override;
    std::optional<Verdict> OnText(SettingsControl control, std::string_view text) override;
    std::optional<Verdict> OnCheck(SettingsControl control, bool checked) override;
    std::optional<Verdict> OnChoice(SettingsControl control, int index) override;

private:
    void FillLists(const DeviceTypeRecord& type);
    void FollowOnBoxes(const DeviceTypeRecord& type, bool editable);
    Verdict OnIdentifierChoice(int thermometer, int index);

    CDataServer& m_data;
    ISettingsControls& m_form;
    CRowEngine m_rows;
    std::array<int, kThermoRows> m_idsAtLoad{};  // the identifier lists' selections at the load
};
