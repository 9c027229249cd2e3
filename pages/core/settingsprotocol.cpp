#include "pages/core/settingsprotocol.h"

#include "model/dataserver.h"
#include "pages/core/rows.h"
#include "shell/pagehost.h"

namespace {

using Cap = Capability;
namespace M = ProtocolMask;

const ProtocolBox kProtocolBoxes[] = {
    {"IMEI", M::kImei, Cap::Gsm},
    {"Status", M::kStatus, Cap::Always},
    {"Vext", M::kExtPower, Cap::ExtPower},
    {"Vint", M::kBattery, Cap::Battery},
    {"ACC", M::kAccel, Cap::Always},
    {"Tint", M::kTint, Cap::Always},
    {"SOS", M::kSos, Cap::Always},
    {"IGN", M::kIgnition, Cap::Always},
    {"TLT", M::kTilt, Cap::Always},
    {"GSM Status", M::kGsmStatus, Cap::Gsm},
    {"GSM RSSI", M::kGsmRssi, Cap::Gsm},
    {"GSM LBS", M::kGsmCell, Cap::Gsm},
    {"IN1", M::Input(1), Cap::Always},
    {"IN2", M::Input(2), Cap::Always},
    {"IN3", M::Input(3), Cap::Always},
    {"IN4", M::Input(4), Cap::Always},
    {"OUT1", M::Output(1), Cap::Always},
    {"LLS1", M::FuelSensor(1), Cap::Always, 1},
    {"LLS2", M::FuelSensor(2), Cap::Always, 2},
    {"LLS3", M::FuelSensor(3), Cap::Always, 3},
    {"LLS4", M::FuelSensor(4), Cap::Always, 4},
};
static_assert(std::size(kProtocolBoxes) == kProtocolBoxCount);

constexpr int kMaskWords = sizeof(ProtocolSetRecord::set) / sizeof(uint16_t);
constexpr uint8_t kThermometerOn = 0x01;  // bit 0 of ThermometerRecord::flags

// Marks the protocol set that carries a word of the mask.
void MarkWord(IPageHost& host, int word) {
    MarkValue(host, DI_PRSET_1, offsetof(ProtocolSetRecord, set) + sizeof(uint16_t) * static_cast<size_t>(word));
}

}  // namespace

std::span<const ProtocolBox> ProtocolBoxes() { return kProtocolBoxes; }

void CSettingsProtocol::Fill(const DeviceTypeRecord& type, bool editable) {
    CorrectThermometerBits(type);
    ProtocolSetRecord prset;
    m_data.Get(DI_PRSET_1, prset);
    for (int i = 0; i < kProtocolBoxCount; ++i) {
        const ProtocolBox& box = kProtocolBoxes[i];
        const bool bit = prset.Get(box.bit);
        const bool present = Has(type, box.need);
        ControlView& view = m_form.ViewOf(ProtocolControl(i));
        view.checked = present && bit;
        view.enabled = present && editable;
        m_shown[static_cast<size_t>(i)] = bit;
    }
}

// The thermometers' bits follow their on flags; the load itself corrects
// them and has the set that carries them written. Without a device or a
// file there is nothing to write to.
void CSettingsProtocol::CorrectThermometerBits(const DeviceTypeRecord& type) {
    if (!m_form.EditingPossible())
        return;
    ProtocolSetRecord prset;
    m_data.Get(DI_PRSET_1, prset);
    const ProtocolSetRecord before = prset;
    for (int k = 1; k <= kThermoRows; ++k) {
        ThermometerRecord thermometer;
        const bool on = k <= Count(type, Cap::Thermometers) &&
                        m_data.Get(ItemBase::Thermometer + k, thermometer) == 1 && (thermometer.flags & kThermometerOn);
        prset.Set(M::Thermometer(k), on);
    }
    const int word = M::Thermometer(1).word;
    if (prset.Word(word) == before.Word(word))
        return;
    m_data.Set(DI_PRSET_1, prset);
    MarkWord(m_host, word);
}

// The boxes the user changed (and those cleared for lack of the hardware)
// set their bits; every other bit keeps what the model holds. A changed
// "LLS" box switches its fuel level sensor on or off.
bool CSettingsProtocol::Collect(const DeviceTypeRecord& type) {
    ProtocolSetRecord prset;
    m_data.Get(DI_PRSET_1, prset);
    const ProtocolSetRecord before = prset;
    for (int i = 0; i < kProtocolBoxCount; ++i) {
        const ProtocolBox& box = kProtocolBoxes[i];
        bool& shown = m_shown[static_cast<size_t>(i)];
        const bool checked = m_form.View(ProtocolControl(i)).checked;
        if (checked == shown)
            continue;
        shown = checked;
        prset.Set(box.bit, checked);
        if (box.fuelSensor && Has(type, Cap::Rs485))
            FollowSensorFlag(box.fuelSensor, checked);
    }
    bool changed = false;
    for (int word = 0; word < kMaskWords; ++word) {
        if (prset.Word(word) == before.Word(word))
            continue;
        MarkWord(m_host, word);
        changed = true;
    }
    if (changed)
        m_data.Set(DI_PRSET_1, prset);
    return changed;
}

// Written with its own request; not a change of the page by itself.
void CSettingsProtocol::FollowSensorFlag(int sensor, bool inUse) {
    FuelSensorRecord record;
    const int item = ItemBase::FuelSensor + sensor;
    if (m_data.Get(item, record) != 1 || ((record.flags & FuelSensorBit::kInUse) != 0) == inUse)
        return;
    record.flags =
        static_cast<uint8_t>(inUse ? record.flags | FuelSensorBit::kInUse : record.flags & ~FuelSensorBit::kInUse);
    m_data.Set(item, record);
    m_host.MarkChanged({&Group::kLls485, sensor});
}
