// A page without its widgets: what every control shows, what an entry is
// answered with, and what a collect writes. The widget page lays the controls
// out, forwards the user's entries here and shows the views it gets back.
#pragma once

#include "model/registry.h"
#include "shell/pagecode.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

class CDataServer;
class IPageHost;

// What one control shows.
struct ControlView {
    std::string text;  // edits and labels, UTF-8
    bool checked = false;
    std::vector<std::string> choices;  // lists
    int selection = -1;                // lists: -1 for no selection
    bool enabled = false;
    bool masked = false;  // a password edit shows "*" for each character
    bool visible = true;

    bool operator==(const ControlView&) const = default;
};

enum class ControlKind : uint8_t { Edit, Check, List, Button, Ip, Label };

// When an edit's text reaches the form.
enum class EditTrigger : uint8_t { OnChange, OnFocusLoss };

// A control as the widget page lays it out.
struct ControlTraits {
    ControlKind kind;
    int maxLength = 0;  // edits: characters, 0 for no limit
    bool digitsOnly = false;
    bool signAllowed = false;  // with digitsOnly: a leading "+" or "-"
    EditTrigger trigger = EditTrigger::OnChange;
    const char* hint = nullptr;        // what is accepted, for the tooltip of a refused entry
    const FieldDesc* field = nullptr;  // the setting the control edits: its hint when there is no other
};

// What a control accepts, for the user: its own hint or its setting's.
std::string HintOf(const ControlTraits& traits);
// The traits of an edit for a setting: its width, digits only for numbers.
ControlTraits EditFor(const FieldDesc& field, EditTrigger trigger = EditTrigger::OnChange);
// The registry's description of a setting by its stable name; the name must exist.
const FieldDesc& Described(std::string_view name);

// Shows "NA" in a control whose hardware the device type lacks: disabled,
// cleared, a list with the single entry "NA".
void ShowNotAvailable(ControlView& view, ControlKind kind);

// A control's index among its form's views; every form numbers its controls with an enum.
template <class E> constexpr int ControlIndex(E control) { return static_cast<int>(control); }

// A refused entry is answered with the error beep; its control shows the
// restored value of its view.
enum class Verdict : uint8_t { Accept, Refuse };

class CForm {
public:
    static constexpr const char* kNotAvailable = "NA";

    CForm(CDataServer& data, IPageHost& host, std::span<const ControlTraits> traits);
    CForm(const CForm&) = delete;
    CForm& operator=(const CForm&) = delete;
    virtual ~CForm() = default;

    // The code the page reports when it becomes the active tab.
    virtual PageCode Code() const = 0;

    // Loads every control from the record.
    const std::vector<ControlView>& Load();
    // Copies the edits into the record and appends one write request per
    // changed group; nothing before the first load. Clears the modified flag.
    bool Collect();

    Verdict EditText(int control, std::string_view text);
    Verdict EditCheck(int control, bool checked);
    Verdict EditChoice(int control, int index);
    void Press(int control);

    const ControlView& View(int control) const { return m_views[static_cast<size_t>(control)]; }
    const std::vector<ControlView>& Views() const { return m_views; }
    const ControlTraits& Traits(int control) const { return m_traits[static_cast<size_t>(control)]; }
    int Controls() const { return static_cast<int>(m_traits.size()); }
    bool Modified() const { return m_modified; }
    bool Initialised() const { return m_initialised; }

protected:
    virtual void Fill() = 0;
    virtual bool CollectChanges() = 0;
    // The default keeps the entry and counts it as an edit.
    virtual Verdict OnText(int control, std::string_view text);
    virtual Verdict OnCheck(int control, bool checked);
    virtual Verdict OnChoice(int control, int index);
    virtual void OnPress(int) {}

    ControlView& ViewOf(int control) { return m_views[static_cast<size_t>(control)]; }
    std::vector<ControlView>& MutableViews() { return m_views; }
    bool EditingPossible() const;
    // An accepted edit: the window learns of it while editing is possible.
    void MarkModified();
    void ShowNotAvailable(int control) { ::ShowNotAvailable(ViewOf(control), Traits(control).kind); }

    CDataServer& m_data;
    IPageHost& m_host;

private:
    std::span<const ControlTraits> m_traits;
    std::vector<ControlView> m_views;
    bool m_modified = false;
    bool m_initialised = false;
};
