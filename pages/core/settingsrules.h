// The refusal rules of "Настройки" and of its thresholds dialog, each one pure function.
#pragma once

#include "model/records.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// An input's measuring mode, as its list offers it.
enum class InputMode : int32_t { Digital, Analog, Frequency, Pulse };

// The four level bounds of a row in the order its edits show them:
// lower "0", upper "0", lower "1", upper "1".
using LevelRow = std::array<uint16_t, 4>;

// What a refused entry resets the row to, from the edited bound rightwards.
constexpr LevelRow kInputRowDefaults = {0, 3000, 8000, 33000};
constexpr LevelRow kSignalRowDefaults = {0, 2000, 3000, 33000};  // the SOS and IGN rows

// The edited bound keeps the row strictly increasing and leaves room for
// the bounds to its right below the maximum (lower "0" at most 32997, upper
// "0" 32998, lower "1" 32999, upper "1" 33000).
bool LevelAccepted(const LevelRow& row, int edited);
// The row after a refused entry: the edited bound and every bound to its right take the defaults.
LevelRow LevelRowReset(LevelRow row, int edited, const LevelRow& defaults);

// The largest filter value of a mode: 1 digital, 8 analog and frequency, 250 pulse counting.
int FilterMaximum(int32_t mode);
bool FilterAccepted(std::string_view text, int32_t mode);

// SOS and IGN must not take the same source input; both may be "NONE" (0).
bool SourcesCollide(int chosen, int otherSource);

enum class TemperatureBound : uint8_t { Lower, Upper };
// A thermometer limit: digits with an optional leading sign, lo <= lower <
// hi, lo < upper <= hi and lower < upper (other is the opposite limit). An
// empty text or a lone sign passes without the range test.
bool TemperatureAccepted(std::string_view text, TemperatureBound bound, int other, std::pair<int64_t, int64_t> range);

// An identifier may be chosen for one thermometer only.
bool IdentifierTaken(const std::string& chosen, std::span<const std::string> others);
