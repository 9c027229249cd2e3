// The one vocabulary in which read-all, write-all, the status poll, the
// settings file and the pages ask what hardware a device type has.
#pragma once

#include "model/records.h"

#include <cstdint>

enum class Capability : uint8_t {
    Always,
    Gsm,
    SecondSim,  // GSM with a second SIM card
    Wifi,
    Gnss,
    Inputs,
    Outputs,
    Rs232,
    Rs485,
    Accelerometer,
    InternalThermometer,
    Thermometers,  // 1-Wire thermometers
    KeyReader,
    ExtPower,
    Battery,
};

bool Has(const DeviceTypeRecord& type, Capability capability);

// How many the type has of a numbered family (Inputs, Outputs, Thermometers),
// never more than the record holds; 1 or 0 for any other capability.
int Count(const DeviceTypeRecord& type, Capability capability);
