#include "model/capabilities.h"

#include <algorithm>

int Count(const DeviceTypeRecord& type, Capability capability) {
    switch (capability) {
    case Capability::Inputs: return std::min(Caps::Inputs(type), kInputs);
    case Capability::Outputs: return std::min(Caps::Outputs(type), kOutputs);
    case Capability::Thermometers: return std::min(Caps::ThermometerCount(type), kThermometers);
    default: return Has(type, capability) ? 1 : 0;
    }
}

bool Has(const DeviceTypeRecord& type, Capability capability) {
    switch (capability) {
    case Capability::Always: return true;
    case Capability::Gsm: return Caps::Gsm(type);
    case Capability::SecondSim: return Caps::Gsm(type) && Caps::SecondSim(type);
    case Capability::Wifi: return Caps::Wifi(type);
    case Capability::Gnss: return Caps::Gnss(type);
    case Capability::Inputs:
    case Capability::Outputs:
    case Capability::Thermometers: return Count(type, capability) != 0;
    case Capability::Rs232: return Caps::Rs232(type);
    case Capability::Rs485: return Caps::Rs485(type);
    case Capability::Accelerometer: return Caps::Accelerometer(type);
    case Capability::InternalThermometer: return Caps::InternalThermometer(type);
    case Capability::KeyReader: return Caps::KeyReader(type);
    case Capability::ExtPower: return Caps::ExtPower(type);
    case Capability::Battery: return Caps::Battery(type);
    }
    return false;
}
