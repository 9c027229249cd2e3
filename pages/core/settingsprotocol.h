// "Протокол" of "Настройки": the check boxes of the data protocol's field mask.
#pragma once

#include "model/records.h"
#include "pages/core/settingsbox.h"

#include <array>
#include <span>

class CDataServer;
class IPageHost;

// A check box of "Протокол": the bit of the field mask it shows and sets.
// Without the capability it is cleared and disabled at load, and the next
// collect clears its bit.
struct ProtocolBox {
    const char* caption;
    ProtocolBit bit;
    Capability need;
    int fuelSensor = 0;  // the fuel level sensor the box switches on and off; 0 for none
};
// In the order of the controls from ProtocolControl(0).
std::span<const ProtocolBox> ProtocolBoxes();

class CSettingsProtocol : public CSettingsBox {
public:
    CSettingsProtocol(CDataServer& data, IPageHost& host, ISettingsControls& form)
        : m_data(data), m_host(host), m_form(form) {}

    void Fill(const DeviceTypeRecord& type, bool editable) override;
    bool Collect(const DeviceTypeRecord& type) override;

private:
    void CorrectThermometerBits(const DeviceTypeRecord& type);
    void FollowSensorFlag(int sensor, bool inUse);

    CDataServer& m_data;
    IPageHost& m_host;
    ISettingsControls& m_form;
    std::array<bool, kProtocolBoxCount> m_shown{};  // each box as the model held it at the load or last collect
};
