// "Входы" of "Настройки": the inputs with their thresholds and filters, and
// the SOS and ignition rows.
#pragma once

#include "pages/core/inputcopies.h"
#include "pages/core/settingsbox.h"
#include "pages/core/settingsrules.h"

#include <functional>
#include <span>

class CDataServer;
class IPageHost;

class CSettingsInputs : public CSettingsBox {
public:
    // Runs the thresholds dialog of an input modally; true when it ended with OK.
    using AlarmDialog = std::function<bool(int input)>;

    CSettingsInputs(CDataServer& data, IPageHost& host, ISettingsControls& form)
        : m_data(data), m_host(host), m_form(form) {}

    static void Describe(std::span<ControlTraits> traits);
    void SetAlarmDialog(AlarmDialog dialog) { m_alarmDialog = std::move(dialog); }

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    // A confirmed thresholds dialog counts as a change once.
    bool Collect(const DeviceTypeRecord& type) override;
    std::optional<Verdict> OnText(SettingsControl control, std::string_view text) override;
    std::optional<Verdict> OnChoice(SettingsControl control, int index) override;
    bool OnPress(SettingsControl control) override;

    // Four level edits of one row, left to right, and whose bounds they show.
    struct LevelEdits {
        std::array<SettingsControl, 4> edits;
        int input;  // 1 to kInputRows; kSos or kIgn for the signal rows
    };
    static constexpr int kSos = 0;
    static constexpr int kIgn = -1;

private:
    void ShowInput(int input, bool editable);
    void ShowMode(int input, bool thresholdsFollowMode);
    void ShowLevels(const std::array<SettingsControl, 4>& edits, const LevelBounds& bounds, bool editable);
    void ShowSignals(int inputs, bool editable);
    LevelBounds& BoundsOf(const LevelEdits& row);
    Verdict OnLevelText(const LevelEdits& row, SettingsControl control, std::string_view text);
    Verdict OnFilterText(int input, std::string_view text);
    Verdict OnModeChoice(int input, int index);
    Verdict OnSourceChoice(SettingsControl control, int index);
    void RunAlarmDialog(int input);

    CDataServer& m_data;
    IPageHost& m_host;
    ISettingsControls& m_form;
    CInputCopies m_inputs;
    AlarmDialog m_alarmDialog;
    bool m_thresholdsChanged = false;
};
