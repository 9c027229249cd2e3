#include "pages/core/inputcopies.h"

#include "pages/core/settingsrules.h"
#include "shell/pagehost.h"

#include <string>

namespace {

constexpr FieldPlace kInputBounds = ORVENA_FIELD(InputRecord, bounds);
constexpr FieldPlace kIgnBounds = ORVENA_FIELD(IgnitionRecord, bounds);
constexpr FieldPlace kSosBounds = ORVENA_FIELD(AlarmRecord, bounds);

constexpr FieldPlace kLower0 = ORVENA_FIELD(LevelBounds, lower0);
constexpr FieldPlace kUpper0 = ORVENA_FIELD(LevelBounds, upper0);
constexpr FieldPlace kLower1 = ORVENA_FIELD(LevelBounds, lower1);
constexpr FieldPlace kUpper1 = ORVENA_FIELD(LevelBounds, upper1);

constexpr Field Bound(FieldPlace bounds, FieldPlace member) { return Number(Inside(bounds, member)); }

// What the page edits of each item; a collect compares these only.
const Field kInputFields[] = {
    Number(ORVENA_FIELD(InputRecord, mode)),
    Number(ORVENA_FIELD(InputRecord, analogFilter)),
    Number(ORVENA_FIELD(InputRecord, freqFilter)),
    Number(ORVENA_FIELD(InputRecord, pulseFilter)),
    Bound(kInputBounds, kLower0),
    Bound(kInputBounds, kUpper0),
    Bound(kInputBounds, kLower1),
    Bound(kInputBounds, kUpper1),
};
const Field kIgnFields[] = {
    Number(ORVENA_FIELD(IgnitionRecord, source)),
    Bound(kIgnBounds, kLower0),
    Bound(kIgnBounds, kUpper0),
    Bound(kIgnBounds, kLower1),
    Bound(kIgnBounds, kUpper1),
};
const Field kSosFields[] = {
    Number(ORVENA_FIELD(AlarmRecord, source)),
    Number(ORVENA_FIELD(AlarmRecord, level)),
    Bound(kSosBounds, kLower0),
    Bound(kSosBounds, kUpper0),
    Bound(kSosBounds, kLower1),
    Bound(kSosBounds, kUpper1),
};

}  // namespace

CInputCopies::CInputCopies()
    : m_inputs{CEditedCopy<InputRecord>(DI_INPUT_1, kInputFields),
               CEditedCopy<InputRecord>(DI_INPUT_1 + 1, kInputFields),
               CEditedCopy<InputRecord>(DI_INPUT_1 + 2, kInputFields),
               CEditedCopy<InputRecord>(DI_INPUT_1 + 3, kInputFields)},
      m_ign(DI_IGN, kIgnFields),
      m_sos(DI_SOS, kSosFields) {}

void CInputCopies::Load(CDataServer& data, int inputs) {
    for (int k = 1; k <= kRows; ++k) {
        CEditedCopy<InputRecord>& copy = m_inputs[static_cast<size_t>(k - 1)];
        if (k <= inputs)
            copy.Load(data);
        else
            copy.Drop();
    }
    if (inputs >= 1) {
        m_ign.Load(data);
        m_sos.Load(data);
    } else {
        m_ign.Drop();
        m_sos.Drop();
    }
}

bool CInputCopies::Collect(CDataServer& data, IPageHost& host, int inputs) {
    bool changed = false;
    const auto mark = [&](bool itemChanged, const GroupRef& group) {
        if (!itemChanged)
            return;
        host.MarkChanged(group);
        changed = true;
    };
    for (int k = 1; k <= kRows && k <= inputs; ++k)
        mark(m_inputs[static_cast<size_t>(k - 1)].Collect(data), {&Group::kIn, k});
    if (inputs >= 1) {
        mark(m_ign.Collect(data), {&Group::kIgn});
        mark(m_sos.Collect(data), {&Group::kSos});
    }
    return changed;
}

LevelRow ToLevelRow(const LevelBounds& bounds) { return {bounds.lower0, bounds.upper0, bounds.lower1, bounds.upper1}; }

LevelBounds FromLevelRow(const LevelRow& row) {
    LevelBounds bounds;
    bounds.lower0 = row[0];
    bounds.upper0 = row[1];
    bounds.lower1 = row[2];
    bounds.upper1 = row[3];
    return bounds;
}

uint8_t* ModeFilter(InputRecord& input) {
    switch (static_cast<InputMode>(input.mode)) {
    case InputMode::Analog: return &input.analogFilter;
    case InputMode::Frequency: return &input.freqFilter;
    case InputMode::Pulse: return &input.pulseFilter;
    case InputMode::Digital: break;
    }
    return nullptr;
}
