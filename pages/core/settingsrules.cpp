#include "pages/core/settingsrules.h"

#include "pages/core/rows.h"
#include "pages/core/rules.h"

#include <algorithm>

bool LevelAccepted(const LevelRow& row, int edited) {
    const auto at = static_cast<size_t>(edited);
    const bool aboveLeft = at == 0 || row[at - 1] < row[at];
    const bool belowRight = at + 1 == row.size() || row[at] < row[at + 1];
    const bool roomRight = row[at] <= kLevelMaximum - (row.size() - 1 - at);
    return aboveLeft && belowRight && roomRight;
}

LevelRow LevelRowReset(LevelRow row, int edited, const LevelRow& defaults) {
    for (size_t at = static_cast<size_t>(edited); at < row.size(); ++at)
        row[at] = defaults[at];
    return row;
}

int FilterMaximum(int32_t mode) {
    switch (static_cast<InputMode>(mode)) {
    case InputMode::Analog:
    case InputMode::Frequency: return 8;
    case InputMode::Pulse: return 250;
    case InputMode::Digital: break;
    }
    return 1;
}

bool FilterAccepted(std::string_view text, int32_t mode) { return NumberWithin(text, 1, FilterMaximum(mode)); }

bool SourcesCollide(int chosen, int otherSource) { return chosen != 0 && chosen == otherSource; }

bool TemperatureAccepted(std::string_view text, TemperatureBound bound, int other, std::pair<int64_t, int64_t> range) {
    const std::string_view digits = text.empty() || (text[0] != '+' && text[0] != '-') ? text : text.substr(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    if (digits.empty())
        return true;
    const int64_t value = LeadingNumber(text, true);
    const auto [lo, hi] = range;
    if (bound == TemperatureBound::Lower)
        return value >= lo && value < hi && value < other;
    return value > lo && value <= hi && value > other;
}

bool IdentifierTaken(const std::string& chosen, std::span<const std::string> others) {
    return std::find(others.begin(), others.end(), chosen) != others.end();
}
