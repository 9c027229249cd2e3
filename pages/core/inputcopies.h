// The settings page's copies of the inputs, the ignition and the SOS input.
#pragma once

#include "model/records.h"
#include "pages/core/editedcopy.h"
#include "pages/core/settingsrules.h"

#include <array>

class IPageHost;

class CInputCopies {
public:
    static constexpr int kRows = 4;

    CInputCopies();

    // Copies inputs 1 to min(inputs, 4) and, with at least one input, IGN and SOS.
    void Load(CDataServer& data, int inputs);
    // Writes what the page changed on each copy and marks the groups of the
    // items that changed (IN1 to IN4, IGN, SOS); true when any did.
    bool Collect(CDataServer& data, IPageHost& host, int inputs);

    InputRecord& Input(int input) { return m_inputs[static_cast<size_t>(input - 1)].Copy(); }
    IgnitionRecord& Ign() { return m_ign.Copy(); }
    AlarmRecord& Sos() { return m_sos.Copy(); }

private:
    std::array<CEditedCopy<InputRecord>, kRows> m_inputs;
    CEditedCopy<IgnitionRecord> m_ign;
    CEditedCopy<AlarmRecord> m_sos;
};

// The four bounds of a record in the order the edits show them, and back.
LevelRow ToLevelRow(const LevelBounds& bounds);
LevelBounds FromLevelRow(const LevelRow& row);
// The filter the input's mode uses; none in digital mode.
uint8_t* ModeFilter(InputRecord& input);
