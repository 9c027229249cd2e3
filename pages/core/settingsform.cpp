#include "pages/core/settingsform.h"

#include "model/dataserver.h"
#include "pages/core/rules.h"
#include "pages/core/settingsrules.h"
#include "pages/core/thresholdtable.h"
#include "protocol/hex.h"
#include "shell/pagehost.h"

#include <string>
#include <vector>

namespace {

using C = SettingsControl;
using Cap = Capability;

constexpr int In(int input, InputColumn column) { return ControlIndex(InputControl(input, column)); }

const char* const kModeNames[] = {"Цифр.", "Аналог.", "Частот.", "Импул."};
const char* const kLevelNames[] = {"0", "1"};

constexpr const char* kLevelHint =
    "Пороги растут слева направо: Ниж.\"0\" < Верх.\"0\" < Ниж.\"1\" < Верх.\"1\" ≤ 33000";
constexpr const char* kFilterHint = "Допустимо: 1 в режиме Цифр., до 8 в Аналог. и Частот., до 250 в Импул.";
constexpr const char* kSourceHint = "Этот вход уже выбран для другой строки";

using K = ControlKind;
constexpr ControlTraits Checked(int length, const char* hint, bool sign = false) {
    return {K::Edit, length, true, sign, EditTrigger::OnFocusLoss, hint};
}

std::array<ControlTraits, static_cast<size_t>(C::Count)> MakeTraits() {
    std::array<ControlTraits, static_cast<size_t>(C::Count)> traits{};
    const auto at = [&traits](int control) -> ControlTraits& { return traits[static_cast<size_t>(control)]; };
    for (int k = 1; k <= kInputRows; ++k) {
        at(In(k, InputColumn::Mode)) = {K::List};
        for (InputColumn c : {InputColumn::Lower0, InputColumn::Upper0, InputColumn::Lower1, InputColumn::Upper1})
            at(In(k, c)) = Checked(5, kLevelHint);
        at(In(k, InputColumn::Filter)) = Checked(4, kFilterHint);
        at(In(k, InputColumn::Reset)) = {K::Button};
        at(In(k, InputColumn::Alarm)) = {K::Button};
    }
    for (C source : {C::SosSource, C::IgnSource}) {
        at(ControlIndex(source)) = {K::List, 0, false, false, EditTrigger::OnChange, kSourceHint};
        for (int j = 1; j <= 4; ++j)
            at(ControlIndex(source) + j) = Checked(5, kLevelHint);
    }
    at(ControlIndex(C::SosLevel)) = {K::List};
    at(ControlIndex(C::Output)) = {K::Button};
    at(ControlIndex(C::Calibrate)) = {K::Button};
    for (int box = 0; box < kProtocolBoxCount; ++box)
        at(ControlIndex(ProtocolControl(box))) = {K::Check};
    for (C button : {C::ResetSettings, C::ResetMemory, C::ResetStatistics, C::ResetFactory})
        at(ControlIndex(button)) = {K::Button};
    CSettingsAccelerometer::Describe(traits);
    CSettingsThermometers::Describe(traits);
    return traits;
}

// Built once: the boxes' hints come from the settings' descriptions.
std::span<const ControlTraits> SettingsTraits() {
    static const auto traits = MakeTraits();
    return traits;
}

std::vector<std::string> Names(std::span<const char* const> names) { return {names.begin(), names.end()}; }

// The row (from 1) of a grid of rows of Column controls that holds a
// control, 0 for none; the column through column.
template <class Column> int RowOf(int control, SettingsControl first, int rows, Column& column) {
    const int offset = control - ControlIndex(first);
    const int width = static_cast<int>(Column::Count);
    if (offset < 0 || offset >= rows * width)
        return 0;
    column = static_cast<Column>(offset % width);
    return offset / width + 1;
}

int InputOf(int control, InputColumn& column) { return RowOf(control, C::InputRows, kInputRows, column); }

}  // namespace

CSettingsForm::CSettingsForm(CDataServer& data, IPageHost& host)
    : CForm(data, host, SettingsTraits()),
      m_output(data, host, *this),
      m_accelerometer(data, *this),
      m_thermometers(data, *this),
      m_protocol(data, host, *this),
      m_resets(host, *this),
      m_boxes{&m_output, &m_accelerometer, &m_thermometers, &m_protocol, &m_resets} {}

void CSettingsForm::LoadRows(CRowEngine& rows, const DeviceTypeRecord& type, bool editable) {
    rows.Load(*this, MutableViews(), type, editable);
}

bool CSettingsForm::CollectRows(CRowEngine& rows, const DeviceTypeRecord& type) {
    return rows.Collect(Views(), type, m_host);
}

// Inputs, output, accelerometer, thermometers, protocol mask, service buttons.
void CSettingsForm::Fill() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    const bool editable = EditingPossible();
    FillInputs(Caps::Inputs(type), editable);
    for (CSettingsBox* box : m_boxes)
        box->Fill(type, editable);
}

void CSettingsForm::FillInputs(int inputs, bool editable) {
    m_inputs.Load(m_data, inputs);
    for (int k = 1; k <= kInputRows; ++k) {
        if (k <= inputs) {
            ShowInput(k, editable);
            continue;
        }
        for (int c = 0; c < static_cast<int>(InputColumn::Count); ++c)
            ShowNotAvailable(In(k, static_cast<InputColumn>(c)));
    }
    if (inputs >= 1) {
        ShowSignals(inputs, editable);
        return;
    }
    for (int c = ControlIndex(C::SosSource); c <= ControlIndex(C::IgnUpper1); ++c)
        ShowNotAvailable(c);
}

void CSettingsForm::ShowInput(int input, bool editable) {
    const InputRecord& copy = m_inputs.Input(input);
    ControlView& mode = ViewOf(In(input, InputColumn::Mode));
    mode.choices = Names(kModeNames);
    const bool listed = copy.mode >= 0 && copy.mode < static_cast<int32_t>(std::size(kModeNames));
    mode.selection = listed ? copy.mode : -1;
    mode.enabled = editable;
    ShowLevels(In(input, InputColumn::Lower0), copy.bounds, editable);
    ViewOf(In(input, InputColumn::Alarm)).enabled = editable;
    ShowMode(input, false);
}

// The controls that follow an input's mode; right after a load the threshold
// edits stay enabled in every mode.
void CSettingsForm::ShowMode(int input, bool thresholdsFollowMode) {
    const bool editable = EditingPossible();
    InputRecord& copy = m_inputs.Input(input);
    const auto mode = static_cast<InputMode>(copy.mode);
    ViewOf(In(input, InputColumn::Reset)).enabled = editable && mode == InputMode::Pulse;
    const uint8_t* filter = ModeFilter(copy);
    ControlView& edit = ViewOf(In(input, InputColumn::Filter));
    edit.enabled = editable && filter;
    edit.text = std::to_string(filter ? *filter : 1);
    if (!thresholdsFollowMode)
        return;
    for (int j = 0; j < 4; ++j)
        ViewOf(In(input, InputColumn::Lower0) + j).enabled = editable && mode != InputMode::Analog;
}

void CSettingsForm::ShowLevels(int first, const LevelBounds& bounds, bool editable) {
    const LevelRow row = ToLevelRow(bounds);
    for (int j = 0; j < 4; ++j) {
        ControlView& edit = ViewOf(first + j);
        edit.text = std::to_string(row[static_cast<size_t>(j)]);
        edit.enabled = editable;
    }
}

void CSettingsForm::ShowSignals(int inputs, bool editable) {
    std::vector<std::string> sources = {"NONE"};
    for (int k = 1; k <= inputs; ++k)
        sources.push_back("IN" + std::to_string(k));
    const auto showSource = [&](C control, int source) {
        ControlView& list = ViewOf(ControlIndex(control));
        list.choices = sources;
        list.selection = source < static_cast<int>(sources.size()) ? source : -1;
        list.enabled = editable;
    };
    showSource(C::IgnSource, m_inputs.Ign().source);
    ShowLevels(ControlIndex(C::IgnLower0), m_inputs.Ign().bounds, editable);
    showSource(C::SosSource, m_inputs.Sos().source);
    ShowLevels(ControlIndex(C::SosLower0), m_inputs.Sos().bounds, editable);
    ControlView& level = ViewOf(ControlIndex(C::SosLevel));
    level.choices = Names(kLevelNames);
    level.selection = m_inputs.Sos().level != 0 ? 1 : 0;
    level.enabled = editable;
}

// Inputs, accelerometer, thermometers, protocol mask; a confirmed thresholds
// dialog counts as a change once.
bool CSettingsForm::CollectChanges() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    bool changed = m_inputs.Collect(m_data, m_host, Caps::Inputs(type));
    for (CSettingsBox* box : m_boxes)
        changed = box->Collect(type) || changed;
    if (m_thresholdsChanged) {
        m_thresholdsChanged = false;
        changed = true;
    }
    return changed;
}

std::optional<CSettingsForm::LevelEdits> CSettingsForm::LevelEditsOf(int control) {
    InputColumn column{};
    const int input = InputOf(control, column);
    if (input && column >= InputColumn::Lower0 && column <= InputColumn::Upper1)
        return LevelEdits{In(input, InputColumn::Lower0), &m_inputs.Input(input).bounds, &kInputRowDefaults};
    if (control >= ControlIndex(C::SosLower0) && control <= ControlIndex(C::SosUpper1))
        return LevelEdits{ControlIndex(C::SosLower0), &m_inputs.Sos().bounds, &kSignalRowDefaults};
    if (control >= ControlIndex(C::IgnLower0) && control <= ControlIndex(C::IgnUpper1))
        return LevelEdits{ControlIndex(C::IgnLower0), &m_inputs.Ign().bounds, &kSignalRowDefaults};
    return std::nullopt;
}

Verdict CSettingsForm::OnText(int control, std::string_view text) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnText(static_cast<C>(control), text))
            return *verdict;
    if (const std::optional<LevelEdits> row = LevelEditsOf(control))
        return OnLevelText(*row, control, text);
    InputColumn column{};
    const int input = InputOf(control, column);
    if (input && column == InputColumn::Filter)
        return OnFilterText(input, text);
    return CForm::OnText(control, text);
}

// Every bound of the row is stored into the copy, also after a refusal has
// reset the edited bound and those to its right.
Verdict CSettingsForm::OnLevelText(const LevelEdits& row, int control, std::string_view text) {
    ViewOf(control).text = text;
    LevelRow values{};
    for (int j = 0; j < 4; ++j)
        values[static_cast<size_t>(j)] = static_cast<uint16_t>(LeadingNumber(CForm::View(row.first + j).text, false));
    const int edited = control - row.first;
    const bool accepted = LevelAccepted(values, edited);
    if (accepted) {
        MarkModified();
    } else {
        values = LevelRowReset(values, edited, *row.defaults);
        for (int j = edited; j < 4; ++j)
            ViewOf(row.first + j).text = std::to_string(values[static_cast<size_t>(j)]);
    }
    *row.bounds = FromLevelRow(values);
    return accepted ? Verdict::Accept : Verdict::Refuse;
}

Verdict CSettingsForm::OnFilterText(int input, std::string_view text) {
    InputRecord& copy = m_inputs.Input(input);
    uint8_t* filter = ModeFilter(copy);
    ControlView& edit = ViewOf(In(input, InputColumn::Filter));
    if (!FilterAccepted(text, copy.mode)) {
        edit.text = std::to_string(filter ? *filter : 1);
        return Verdict::Refuse;
    }
    edit.text = text;
    if (filter)
        *filter = static_cast<uint8_t>(LeadingNumber(text, false));
    MarkModified();
    return Verdict::Accept;
}

Verdict CSettingsForm::OnCheck(int control, bool checked) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnCheck(static_cast<C>(control), checked))
            return *verdict;
    return CForm::OnCheck(control, checked);
}

Verdict CSettingsForm::OnChoice(int control, int index) {
    for (CSettingsBox* box : m_boxes)
        if (const std::optional<Verdict> verdict = box->OnChoice(static_cast<C>(control), index))
            return *verdict;
    InputColumn inputColumn{};
    if (const int input = InputOf(control, inputColumn); input && inputColumn == InputColumn::Mode)
        return OnModeChoice(input, index);
    if (control == ControlIndex(C::SosSource) || control == ControlIndex(C::IgnSource))
        return OnSourceChoice(control, index);
    if (control == ControlIndex(C::SosLevel) && EditingPossible()) {
        m_inputs.Sos().level = index;
        return CForm::OnChoice(control, index);
    }
    return Verdict::Accept;
}

Verdict CSettingsForm::OnModeChoice(int input, int index) {
    InputRecord& copy = m_inputs.Input(input);
    const int32_t before = copy.mode;
    copy.mode = index;
    ViewOf(In(input, InputColumn::Mode)).selection = index;
    ShowMode(input, true);
    if (index != before)
        MarkModified();
    return Verdict::Accept;
}

// SOS and IGN never take the same input; a list that is refused keeps its source.
Verdict CSettingsForm::OnSourceChoice(int control, int index) {
    if (!EditingPossible())
        return Verdict::Accept;
    const bool sos = control == ControlIndex(C::SosSource);
    uint8_t& source = sos ? m_inputs.Sos().source : m_inputs.Ign().source;
    const uint8_t other = sos ? m_inputs.Ign().source : m_inputs.Sos().source;
    if (SourcesCollide(index, other))
        return Verdict::Refuse;
    source = static_cast<uint8_t>(index);
    return CForm::OnChoice(control, index);
}

void CSettingsForm::OnPress(int control) {
    for (CSettingsBox* box : m_boxes)
        if (box->OnPress(static_cast<C>(control)))
            return;
    InputColumn column{};
    const int input = InputOf(control, column);
    if (input && column == InputColumn::Reset)
        m_host.SendCommand(RequestType::Write, ("COUNTER" + std::to_string(input)).c_str(), "RESET");
    else if (input && column == InputColumn::Alarm)
        RunAlarmDialog(input);
}

// The dialog writes the model itself; a record it changed is written with "INTRSHDn".
void CSettingsForm::RunAlarmDialog(int input) {
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
    if (!EditingPossible())
        return;
    MarkModified();
    m_thresholdsChanged = true;
}
