// One box of "Настройки": its controls' load, refusals, collect and presses.
// The form walks its boxes in order; the first box that answers an entry
// owns the control.
#pragma once

#include "model/capabilities.h"
#include "pages/core/form.h"
#include "pages/core/settingscontrols.h"

#include <optional>
#include <string_view>

class CRowEngine;

// What a box reaches of its form.
class ISettingsControls {
public:
    virtual ControlView& ViewOf(SettingsControl control) = 0;
    virtual const ControlView& View(SettingsControl control) const = 0;
    virtual bool EditingPossible() const = 0;
    // An accepted edit of the box's own making.
    virtual void MarkModified() = 0;
    // The form's own answer: the entry is kept and counts as an edit.
    virtual Verdict KeepText(SettingsControl control, std::string_view text) = 0;
    virtual Verdict KeepChoice(SettingsControl control, int index) = 0;
    virtual void ShowNotAvailable(SettingsControl control) = 0;
    virtual void LoadRows(CRowEngine& rows, const DeviceTypeRecord& type, bool editable) = 0;
    virtual bool CollectRows(CRowEngine& rows, const DeviceTypeRecord& type) = 0;

protected:
    ~ISettingsControls() = default;
};

class CSettingsBox {
public:
    CSettingsBox() = default;
    CSettingsBox(const CSettingsBox&) = delete;
    CSettingsBox& operator=(const CSettingsBox&) = delete;
    virtual ~CSettingsBox() = default;

    virtual void Fill(const DeviceTypeRecord& type, bool editable) = 0;
    // True when the box changed the model.
    virtual bool Collect(const DeviceTypeRecord&) { return false; }
    // Nothing for a control of another box.
    virtual std::optional<Verdict> OnText(SettingsControl, std::string_view) { return std::nullopt; }
    virtual std::optional<Verdict> OnCheck(SettingsControl, bool) { return std::nullopt; }
    virtual std::optional<Verdict> OnChoice(SettingsControl, int) { return std::nullopt; }
    // False for a control of another box.
    virtual bool OnPress(SettingsControl) { return false; }
};
