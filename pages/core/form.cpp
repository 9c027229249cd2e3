#include "pages/core/form.h"

#include "base/devicetext.h"
#include "shell/pagehost.h"

#include <cstdlib>

CForm::CForm(CDataServer& data, IPageHost& host, std::span<const ControlTraits> traits)
    : m_data(data), m_host(host), m_traits(traits), m_views(traits.size()) {}

const std::vector<ControlView>& CForm::Load() {
    Fill();
    m_initialised = true;
    return m_views;
}

bool CForm::Collect() {
    if (!m_initialised)
        return false;
    const bool changed = CollectChanges();
    m_modified = false;
    return changed;
}

// Text the device cannot carry is refused before the page sees it.
Verdict CForm::EditText(int control, std::string_view text) {
    if (!Utf8ToDevice(text))
        return Verdict::Refuse;
    return OnText(control, text);
}

Verdict CForm::EditCheck(int control, bool checked) { return OnCheck(control, checked); }

Verdict CForm::EditChoice(int control, int index) {
    const ControlView& view = View(control);
    if (index < 0 || index >= static_cast<int>(view.choices.size()))
        return Verdict::Refuse;
    return OnChoice(control, index);
}

void CForm::Press(int control) { OnPress(control); }

Verdict CForm::OnText(int control, std::string_view text) {
    ViewOf(control).text = text;
    MarkModified();
    return Verdict::Accept;
}

Verdict CForm::OnCheck(int control, bool checked) {
    ViewOf(control).checked = checked;
    MarkModified();
    return Verdict::Accept;
}

Verdict CForm::OnChoice(int control, int index) {
    ViewOf(control).selection = index;
    MarkModified();
    return Verdict::Accept;
}

bool CForm::EditingPossible() const { return m_host.EditingPossible(); }

void CForm::MarkModified() {
    if (!EditingPossible())
        return;
    m_modified = true;
    m_host.NotifyModified();
}

void ShowNotAvailable(ControlView& view, ControlKind kind) {
    view.enabled = false;
    view.checked = false;
    switch (kind) {
    case ControlKind::List:
        view.choices = {CForm::kNotAvailable};
        view.selection = 0;
        break;
    case ControlKind::Edit:
    case ControlKind::Label: view.text = CForm::kNotAvailable; break;
    case ControlKind::Ip: view.text.clear(); break;
    case ControlKind::Check:
    case ControlKind::Button: break;
    }
}

std::string HintOf(const ControlTraits& traits) {
    if (traits.hint)
        return traits.hint;
    return traits.field ? FieldHint(*traits.field) : std::string();
}

ControlTraits EditFor(const FieldDesc& field, EditTrigger trigger) {
    const bool number = field.kind == FieldKind::Number || field.kind == FieldKind::NumberText;
    const bool signedRange = number && FieldRange(field).first < 0;
    return {ControlKind::Edit, field.width, number, signedRange, trigger, nullptr, &field};
}

const FieldDesc& Described(std::string_view name) {
    const std::optional<SettingRef> setting = FindSetting(name);
    if (!setting)
        std::abort();  // a page names a setting the registry lacks: a fault of the program itself
    return *setting->field;
}
