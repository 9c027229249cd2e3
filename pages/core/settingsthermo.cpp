#include "pages/core/settingsthermo.h"

#include "model/dataserver.h"
#include "pages/core/settingsrules.h"
#include "protocol/hex.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using C = SettingsControl;
using Cap = Capability;
using TC = ThermoColumn;

constexpr int kThermo(int k) { return ItemBase::Thermometer + k; }

constexpr Field kThermoOn = Flag(ORVENA_FIELD(ThermometerRecord, flags), 0x01);
constexpr Field kThermoLower = Number(ORVENA_FIELD(ThermometerRecord, lower));
constexpr Field kThermoUpper = Number(ORVENA_FIELD(ThermometerRecord, upper));
constexpr Field kThermoId = Identifier(ORVENA_FIELD(ThermometerRecord, id));

constexpr Row ThermoRow(int k, TC column, const Field& field) {
    return {ControlIndex(ThermoControl(k, column)), kThermo(k), field, {Cap::Thermometers, k}};
}

#define THERMO_ROWS(k)                                                                                       \
    ThermoRow(k, TC::On, kThermoOn), ThermoRow(k, TC::Id, kThermoId), ThermoRow(k, TC::Lower, kThermoLower), \
        ThermoRow(k, TC::Upper, kThermoUpper)

const Row kRows[] = {
    {ControlIndex(C::TintLower),
     DI_TSENS_CONFIG,
     Number(ORVENA_FIELD(TempSensorConfig, lower)),
     {Cap::InternalThermometer}},
    {ControlIndex(C::TintUpper),
     DI_TSENS_CONFIG,
     Number(ORVENA_FIELD(TempSensorConfig, upper)),
     {Cap::InternalThermometer}},
    THERMO_ROWS(1),
    THERMO_ROWS(2),
    THERMO_ROWS(3),
    THERMO_ROWS(4),
};
#undef THERMO_ROWS

// A limit edit: its pair, its record and the setting it shows.
struct LimitEdit {
    SettingsControl control;
    SettingsControl other;  // the opposite limit
    TemperatureBound bound;
    int item;
    Field field;
    const GroupDesc* group;  // the setting it shows: a field of this group
    const char* name;
};

// Built once: every limit edit of the box.
const std::vector<LimitEdit>& LimitEdits() {
    static const std::vector<LimitEdit> edits = [] {
        std::vector<LimitEdit> all = {
            {C::TintLower, C::TintUpper, TemperatureBound::Lower, DI_TSENS_CONFIG, kRows[0].field, &Group::kTsens,
             "lower"},
            {C::TintUpper, C::TintLower, TemperatureBound::Upper, DI_TSENS_CONFIG, kRows[1].field, &Group::kTsens,
             "upper"},
        };
        for (int k = 1; k <= kThermoRows; ++k) {
            const C lower = ThermoControl(k, TC::Lower);
            const C upper = ThermoControl(k, TC::Upper);
            all.push_back({lower, upper, TemperatureBound::Lower, kThermo(k), kThermoLower, &Group::kThermo, "lower"});
            all.push_back({upper, lower, TemperatureBound::Upper, kThermo(k), kThermoUpper, &Group::kThermo, "upper"});
        }
        return all;
    }();
    return edits;
}

const LimitEdit* LimitOf(SettingsControl control) {
    const auto& edits = LimitEdits();
    const auto at =
        std::find_if(edits.begin(), edits.end(), [control](const LimitEdit& e) { return e.control == control; });
    return at == edits.end() ? nullptr : &*at;
}

const FieldDesc& FieldOf(const LimitEdit& edit) {
    const std::span<const FieldDesc> fields = edit.group->fields;
    return *std::find_if(fields.begin(), fields.end(),
                         [&edit](const FieldDesc& f) { return std::string_view(f.name) == edit.name; });
}

// A control of an external thermometer's row: its thermometer (from 1) and column.
struct ThermoCell {
    SettingsControl control;
    int thermometer;
    TC column;
};

// Built once from the rows' numbering.
const std::array<ThermoCell, kThermoRows* static_cast<size_t>(TC::Count)>& ThermoCells() {
    static const auto cells = [] {
        std::array<ThermoCell, kThermoRows* static_cast<size_t>(TC::Count)> all{};
        size_t at = 0;
        for (int k = 1; k <= kThermoRows; ++k)
            for (TC column : {TC::On, TC::Id, TC::Lower, TC::Upper})
                all[at++] = {ThermoControl(k, column), k, column};
        return all;
    }();
    return cells;
}

const ThermoCell* CellOf(SettingsControl control) {
    const auto& cells = ThermoCells();
    const auto at =
        std::find_if(cells.begin(), cells.end(), [control](const ThermoCell& c) { return c.control == control; });
    return at == cells.end() ? nullptr : &*at;
}

constexpr const char* kIdentifierHint = "Этот датчик уже выбран для другого термометра";

}  // namespace

CSettingsThermometers::CSettingsThermometers(CDataServer& data, ISettingsControls& form)
    : m_data(data), m_form(form), m_rows(data, kRows) {}

void CSettingsThermometers::Describe(std::span<ControlTraits> traits) {
    const auto at = [&traits](SettingsControl c) -> ControlTraits& {
        return traits[static_cast<size_t>(ControlIndex(c))];
    };
    static const std::vector<std::string> hints = [] {
        std::vector<std::string> texts;
        for (const LimitEdit& edit : LimitEdits())
            texts.push_back(FieldHint(FieldOf(edit)) + ", нижний порог меньше верхнего");
        return texts;
    }();
    const auto& edits = LimitEdits();
    for (size_t i = 0; i < edits.size(); ++i) {
        // The internal thermometer's edits take any length; an external upper limit room for "+85".
        const bool internal = edits[i].item == DI_TSENS_CONFIG;
        const int length = internal ? 0 : edits[i].bound == TemperatureBound::Lower ? 3 : 4;
        at(edits[i].control) = {ControlKind::Edit, length, true, true, EditTrigger::OnFocusLoss, hints[i].c_str()};
    }
    for (int k = 1; k <= kThermoRows; ++k) {
        at(ThermoControl(k, TC::On)) = {ControlKind::Check};
        at(ThermoControl(k, TC::Id)) = {ControlKind::List, 16, false, false, EditTrigger::OnChange, kIdentifierHint};
    }
}

void CSettingsThermometers::Fill(const DeviceTypeRecord& type, bool editable) {
    FillLists(type);
    m_form.LoadRows(m_rows, type, editable);
    FollowOnBoxes(type, editable);
}

bool CSettingsThermometers::Collect(const DeviceTypeRecord& type) { return m_form.CollectRows(m_rows, type); }

// Each list offers the thermometer's own identifier first, then every
// detected one that is not empty and differs from it.
void CSettingsThermometers::FillLists(const DeviceTypeRecord& type) {
    const int present = Count(type, Cap::Thermometers);
    for (int k = 1; k <= present; ++k) {
        ThermometerRecord thermometer;
        m_data.Get(kThermo(k), thermometer);
        std::vector<uint64_t> ids = {thermometer.id};
        for (int j = 0; j < kThermoIds; ++j) {
            uint64_t id = 0;
            m_data.Get(ItemBase::ThermoId + j, id);
            if (id != 0 && id != thermometer.id)
                ids.push_back(id);
        }
        std::vector<std::string>& choices = m_form.ViewOf(ThermoControl(k, TC::Id)).choices;
        choices.clear();
        for (uint64_t id : ids) {
            char hex[13];
            U64ToHex(id, hex);
            choices.push_back(hex);
        }
    }
}

// A thermometer that is off keeps its list and limits disabled.
void CSettingsThermometers::FollowOnBoxes(const DeviceTypeRecord& type, bool editable) {
    for (int k = 1; k <= kThermoRows; ++k) {
        const bool on = k <= Count(type, Cap::Thermometers) && m_form.View(ThermoControl(k, TC::On)).checked;
        for (TC c : {TC::Id, TC::Lower, TC::Upper})
            m_form.ViewOf(ThermoControl(k, c)).enabled = editable && on;
        m_idsAtLoad[static_cast<size_t>(k - 1)] = m_form.View(ThermoControl(k, TC::Id)).selection;
    }
}

// A limit outside its setting's range, or not below the upper (above the lower), shows the model's value again.
std::optional<Verdict> CSettingsThermometers::OnText(SettingsControl control, std::string_view text) {
    const LimitEdit* edit = LimitOf(control);
    if (!edit)
        return std::nullopt;
    const int other = static_cast<int>(LeadingNumber(m_form.View(edit->other).text, true));
    if (!TemperatureAccepted(text, edit->bound, other, FieldRange(FieldOf(*edit)))) {
        ShowModelNumber(m_form.ViewOf(control), m_data, edit->item, edit->field);
        return Verdict::Refuse;
    }
    return m_form.KeepText(control, text);
}

std::optional<Verdict> CSettingsThermometers::OnCheck(SettingsControl control, bool checked) {
    const ThermoCell* cell = CellOf(control);
    if (!cell)
        return std::nullopt;
    m_form.ViewOf(control).checked = checked;
    const bool editable = m_form.EditingPossible();
    for (TC c : {TC::Id, TC::Lower, TC::Upper})
        m_form.ViewOf(ThermoControl(cell->thermometer, c)).enabled = editable && checked;
    m_form.MarkModified();
    return Verdict::Accept;
}

std::optional<Verdict> CSettingsThermometers::OnChoice(SettingsControl control, int index) {
    const ThermoCell* cell = CellOf(control);
    if (!cell || cell->column != TC::Id)
        return std::nullopt;
    return OnIdentifierChoice(cell->thermometer, index);
}

// An identifier chosen for another thermometer sends the list back to its selection at the load.
Verdict CSettingsThermometers::OnIdentifierChoice(int thermometer, int index) {
    if (!m_form.EditingPossible())
        return Verdict::Accept;
    const C control = ThermoControl(thermometer, TC::Id);
    const std::string chosen = m_form.View(control).choices[static_cast<size_t>(index)];
    std::vector<std::string> others;
    for (int k = 1; k <= kThermoRows; ++k) {
        const ControlView& list = m_form.View(ThermoControl(k, TC::Id));
        if (k != thermometer && list.selection >= 0 && list.selection < static_cast<int>(list.choices.size()))
            others.push_back(list.choices[static_cast<size_t>(list.selection)]);
    }
    if (IdentifierTaken(chosen, others)) {
        m_form.ViewOf(control).selection = m_idsAtLoad[static_cast<size_t>(thermometer - 1)];
        return Verdict::Refuse;
    }
    return m_form.KeepChoice(control, index);
}
