#include "pages/core/settingsinputs.h"

#include "model/dataserver.h"
#include "pages/core/rows.h"
#include "pages/core/thresholdtable.h"
#include "shell/pagehost.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using C = SettingsControl;
using IC = InputColumn;
using K = ControlKind;

const char* const kModeNames[] = {"Цифр.", "Аналог.", "Частот.", "Импул."};
const char* const kLevelNames[] = {"0", "1"};

constexpr const char* kLevelHint =
    "Пороги растут слева направо: Ниж.\"0\" < Верх.\"0\" < Ниж.\"1\" < Верх.\"1\" ≤ 33000";
constexpr const char* kFilterHint = "Допустимо: 1 в режиме Цифр., до 8 в Аналог. и Частот., до 250 в Импул.";
constexpr const char* kSourceHint = "Этот вход уже выбран для другой строки";

constexpr ControlTraits LevelTraits() { return {K::Edit, 5, true, false, EditTrigger::OnFocusLoss, kLevelHint}; }

// A control of an input row: its input (from 1) and column.
struct InputCell {
    SettingsControl control;
    int input;
    IC column;
};
constexpr size_t kCells = kInputRows * static_cast<size_t>(IC::Count);

// Built once from the rows' numbering.
const std::array<InputCell, kCells>& InputCells() {
    static const auto cells = [] {
        std::array<InputCell, kCells> all{};
        size_t at = 0;
        for (int k = 1; k <= kInputRows; ++k)
            for (IC column :
                 {IC::Mode, IC::Lower0, IC::Upper0, IC::Lower1, IC::Upper1, IC::Filter, IC::Reset, IC::Alarm})
                all[at++] = {InputControl(k, column), k, column};
        return all;
    }();
    return cells;
}

const InputCell* CellOf(SettingsControl control) {
    const auto& cells = InputCells();
    const auto at =
        std::find_if(cells.begin(), cells.end(), [control](const InputCell& c) { return c.control == control; });
    return at == cells.end() ? nullptr : &*at;
}

using LevelEdits = CSettingsInputs::LevelEdits;

// Built once: every row of level edits.
const std::vector<LevelEdits>& LevelRows() {
    static const auto rows = [] {
        std::vector<LevelEdits> all;
        for (int k = 1; k <= kInputRows; ++k)
            all.push_back({{InputControl(k, IC::Lower0), InputControl(k, IC::Upper0), InputControl(k, IC::Lower1),
                            InputControl(k, IC::Upper1)},
                           k});
        all.push_back({{C::SosLower0, C::SosUpper0, C::SosLower1, C::SosUpper1}, CSettingsInputs::kSos});
        all.push_back({{C::IgnLower0, C::IgnUpper0, C::IgnLower1, C::IgnUpper1}, CSettingsInputs::kIgn});
        return all;
    }();
    return rows;
}

// The level edits of an input, of kSos or of kIgn.
const LevelEdits& LevelsOf(int input) {
    const auto& rows = LevelRows();
    return *std::find_if(rows.begin(), rows.end(), [input](const LevelEdits& row) { return row.input == input; });
}

const LevelEdits* LevelRowOf(SettingsControl control) {
    const auto& rows = LevelRows();
    const auto at = std::find_if(rows.begin(), rows.end(), [control](const LevelEdits& row) {
        return std::find(row.edits.begin(), row.edits.end(), control) != row.edits.end();
    });
    return at == rows.end() ? nullptr : &*at;
}

std::vector<std::string> Names(std::span<const char* const> names) { return {names.begin(), names.end()}; }

}  // namespace

void CSettingsInputs::Describe(std::span<ControlTraits> traits) {
    const auto at = [&traits](SettingsControl c) -> ControlTraits& {
        return traits[static_cast<size_t>(ControlIndex(c))];
    };
    for (const InputCell& cell : InputCells()) {
        switch (cell.column) {
        case IC::Mode: at(cell.control) = {K::List}; break;
        case IC::Filter: at(cell.control) = {K::Edit, 4, true, false, EditTrigger::OnFocusLoss, kFilterHint}; break;
        case IC::Reset:
        case IC::Alarm: at(cell.control) = {K::Button}; break;
        default: break;
        }
    }
    for (const LevelEdits& row : LevelRows())
        for (C edit : row.edits)
            at(edit) = LevelTraits();
    for (C source : {C::SosSource, C::IgnSource})
        at(source) = {K::List, 0, false, false, EditTrigger::OnChange, kSourceHint};
    at(C::SosLevel) = {K::List};
}

void CSettingsInputs::Fill(const DeviceTypeRecord& type, bool editable) {
    const int inputs = Caps::Inputs(type);
    m_inputs.Load(m_data, inputs);
    for (const InputCell& cell : InputCells()) {
        if (cell.input > inputs)
            m_form.ShowNotAvailable(cell.control);
        else if (cell.column == IC::Mode)
            ShowInput(cell.input, editable);
    }
    if (inputs >= 1) {
        ShowSignals(inputs, editable);
        return;
    }
    for (C control : {C::SosSource, C::SosLevel, C::IgnSource})
        m_form.ShowNotAvailable(control);
    for (const LevelEdits& row : LevelRows())
        if (row.input <= CSettingsInputs::kSos)
            for (C edit : row.edits)
                m_form.ShowNotAvailable(edit);
}

void CSettingsInputs::ShowInput(int input, bool editable) {
    const InputRecord& copy = m_inputs.Input(input);
    ControlView& mode = m_form.ViewOf(InputControl(input, IC::Mode));
    mode.choices = Names(kModeNames);
    const bool listed = copy.mode >= 0 && copy.mode < static_cast<int32_t>(std::size(kModeNames));
    mode.selection = listed ? copy.mode : -1;
    mode.enabled = editable;
    ShowLevels(LevelsOf(input).edits, copy.bounds, editable);
    m_form.ViewOf(InputControl(input, IC::Alarm)).enabled = editable;
    ShowMode(input, false);
}

// The controls that follow an input's mode; right after a load the threshold
// edits stay enabled in every mode.
void CSettingsInputs::ShowMode(int input, bool thresholdsFollowMode) {
    const bool editable = m_form.EditingPossible();
    InputRecord& copy = m_inputs.Input(input);
    const auto mode = static_cast<InputMode>(copy.mode);
    m_form.ViewOf(InputControl(input, IC::Reset)).enabled = editable && mode == InputMode::Pulse;
    const uint8_t* filter = ModeFilter(copy);
    ControlView& edit = m_form.ViewOf(InputControl(input, IC::Filter));
    edit.enabled = editable && filter;
    edit.text = std::to_string(filter ? *filter : 1);
    if (!thresholdsFollowMode)
        return;
    for (C level : LevelsOf(input).edits)
        m_form.ViewOf(level).enabled = editable && mode != InputMode::Analog;
}

void CSettingsInputs::ShowLevels(const std::array<SettingsControl, 4>& edits, const LevelBounds& bounds,
                                 bool editable) {
    const LevelRow row = ToLevelRow(bounds);
    for (size_t j = 0; j < edits.size(); ++j) {
        ControlView& edit = m_form.ViewOf(edits[j]);
        edit.text = std::to_string(row[j]);
        edit.enabled = editable;
    }
}

void CSettingsInputs::ShowSignals(int inputs, bool editable) {
    std::vector<std::string> sources = {"NONE"};
    for (int k = 1; k <= inputs; ++k)
        sources.push_back("IN" + std::to_string(k));
    const auto showSource = [&](C control, int source) {
        ControlView& list = m_form.ViewOf(control);
        list.choices = sources;
        list.selection = source < static_cast<int>(sources.size()) ? source : -1;
        list.enabled = editable;
    };
    showSource(C::IgnSource, m_inputs.Ign().source);
    ShowLevels(LevelsOf(kIgn).edits, m_inputs.Ign().bounds, editable);
    showSource(C::SosSource, m_inputs.Sos().source);
    ShowLevels(LevelsOf(kSos).edits, m_inputs.Sos().bounds, editable);
    ControlView& level = m_form.ViewOf(C::SosLevel);
    level.choices = Names(kLevelNames);
    level.selection = m_inputs.Sos().level != 0 ? 1 : 0;
    level.enabled = editable;
}

bool CSettingsInputs::Collect(const DeviceTypeRecord& type) {
    bool changed = m_inputs.Collect(m_data, m_host, Caps::Inputs(type));
    if (m_thresholdsChanged) {
        m_thresholdsChanged = false;
        changed = true;
    }
    return changed;
}

LevelBounds& CSettingsInputs::BoundsOf(const LevelEdits& row) {
    if (row.input == kSos)
        return m_inputs.Sos().bounds;
    if (row.input == kIgn)
        return m_inputs.Ign().bounds;
    return m_inputs.Input(row.input).bounds;
}

std::optional<Verdict> CSettingsInputs::OnText(SettingsControl control, std::string_view text) {
    if (const LevelEdits* row = LevelRowOf(control))
        return OnLevelText(*row, control, text);
    if (const InputCell* cell = CellOf(control); cell && cell->column == IC::Filter)
        return OnFilterText(cell->input, text);
    return std::nullopt;
}

// Every bound of the row is stored into the copy, also after a refusal has
// reset the edited bound and those to its right.
Verdict CSettingsInputs::OnLevelText(const LevelEdits& row, SettingsControl control, std::string_view text) {
    m_form.ViewOf(control).text = text;
    LevelRow values{};
    for (size_t j = 0; j < row.edits.size(); ++j)
        values[j] = static_cast<uint16_t>(LeadingNumber(m_form.View(row.edits[j]).text, false));
    const int edited = static_cast<int>(std::find(row.edits.begin(), row.edits.end(), control) - row.edits.begin());
    const bool accepted = LevelAccepted(values, edited);
    if (accepted) {
        m_form.MarkModified();
    } else {
        values = LevelRowReset(values, edited, row.input > 0 ? kInputRowDefaults : kSignalRowDefaults);
        for (size_t j = static_cast<size_t>(edited); j < row.edits.size(); ++j)
            m_form.ViewOf(row.edits[j]).text = std::to_string(values[j]);
    }
    BoundsOf(row) = FromLevelRow(values);
    return accepted ? Verdict::Accept : Verdict::Refuse;
}

Verdict CSettingsInputs::OnFilterText(int input, std::string_view text) {
    InputRecord& copy = m_inputs.Input(input);
    uint8_t* filter = ModeFilter(copy);
    ControlView& edit = m_form.ViewOf(InputControl(input, IC::Filter));
    if (!FilterAccepted(text, copy.mode)) {
        edit.text = std::to_string(filter ? *filter : 1);
        return Verdict::Refuse;
    }
    edit.text = text;
    if (filter)
        *filter = static_cast<uint8_t>(LeadingNumber(text, false));
    m_form.MarkModified();
    return Verdict::Accept;
}

std::optional<Verdict> CSettingsInputs::OnChoice(SettingsControl control, int index) {
    if (const InputCell* cell = CellOf(control); cell && cell->column == IC::Mode)
        return OnModeChoice(cell->input, index);
    if (control == C::SosSource || control == C::IgnSource)
        return OnSourceChoice(control, index);
    if (control != C::SosLevel)
        return std::nullopt;
    if (!m_form.EditingPossible())
        return Verdict::Accept;
    m_inputs.Sos().level = index;
    return m_form.KeepChoice(control, index);
}

Verdict CSettingsInputs::OnModeChoice(int input, int index) {
    InputRecord& copy = m_inputs.Input(input);
    const int32_t before = copy.mode;
    copy.mode = index;
    m_form.ViewOf(InputControl(input, IC::Mode)).selection = index;
    ShowMode(input, true);
    if (index != before)
        m_form.MarkModified();
    return Verdict::Accept;
}

// SOS and IGN never take the same input; a list that is refused keeps its source.
Verdict CSettingsInputs::OnSourceChoice(SettingsControl control, int index) {
    if (!m_form.EditingPossible())
        return Verdict::Accept;
    const bool sos = control == C::SosSource;
    uint8_t& source = sos ? m_inputs.Sos().source : m_inputs.Ign().source;
    const uint8_t other = sos ? m_inputs.Ign().source : m_inputs.Sos().source;
    if (SourcesCollide(index, other))
        return Verdict::Refuse;
    source = static_cast<uint8_t>(index);
    return m_form.KeepChoice(control, index);
}

bool CSettingsInputs::OnPress(SettingsControl control) {
    const InputCell* cell = CellOf(control);
    if (!cell)
        return false;
    if (cell->column == IC::Reset)
        m_host.SendCommand(RequestType::Write, ("COUNTER" + std::to_string(cell->input)).c_str(), "RESET");
    else if (cell->column == IC::Alarm)
        RunAlarmDialog(cell->input);
    return true;
}

// The dialog writes the model itself; a record it changed is written with "INTRSHDn".
void CSettingsInputs::RunAlarmDialog(int input) {
    const int item = ItemBase::Threshold + input;
    ThresholdRecord before;
    m_data.Get(item, before);
    if (!m_alarmDialog || !m_alarmDialog(input))
        return;
    ThresholdRecord after;
    m_data.Get(item, after);
    if (SameAlarms(before, after))
        return;
    m_host.MarkChanged({&Group::kIntrshd, input});
    if (!m_form.EditingPossible())
        return;
    m_form.MarkModified();
    m_thresholdsChanged = true;
}
