// The controls of "Настройки", numbered as its form and its widget page know them.
#pragma once

#include "pages/core/inputcopies.h"

// The controls of one input row, in the order of its columns.
enum class InputColumn : int { Mode, Lower0, Upper0, Lower1, Upper1, Filter, Reset, Alarm, Count };
// The controls of one external thermometer row.
enum class ThermoColumn : int { On, Id, Lower, Upper, Count };

constexpr int kInputRows = CInputCopies::kRows;
constexpr int kThermoRows = 4;
constexpr int kProtocolBoxCount = 21;

enum class SettingsControl : int {
    InputRows,  // kInputRows rows of InputColumn::Count controls
    SosSource = InputRows + kInputRows * static_cast<int>(InputColumn::Count),
    SosLower0,
    SosUpper0,
    SosLower1,
    SosUpper1,
    SosLevel,
    IgnSource,
    IgnLower0,
    IgnUpper0,
    IgnLower1,
    IgnUpper1,
    Output,
    Motion,
    Shock,
    Tilt,
    Calibrate,
    TintLower,
    TintUpper,
    ThermoRows,  // kThermoRows rows of ThermoColumn::Count controls
    ProtocolBoxes = ThermoRows + kThermoRows * static_cast<int>(ThermoColumn::Count),
    ResetSettings = ProtocolBoxes + kProtocolBoxCount,
    ResetMemory,
    ResetStatistics,
    ResetFactory,
    Count,
};

// input 1 to kInputRows
constexpr SettingsControl InputControl(int input, InputColumn column) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::InputRows) +
                                        (input - 1) * static_cast<int>(InputColumn::Count) + static_cast<int>(column));
}
// thermometer 1 to kThermoRows
constexpr SettingsControl ThermoControl(int thermometer, ThermoColumn column) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::ThermoRows) +
                                        (thermometer - 1) * static_cast<int>(ThermoColumn::Count) +
                                        static_cast<int>(column));
}
// box 0 to kProtocolBoxCount - 1, in the order of ProtocolBoxes()
constexpr SettingsControl ProtocolControl(int box) {
    return static_cast<SettingsControl>(static_cast<int>(SettingsControl::ProtocolBoxes) + box);
}
