// The device model table: one row per known device type with its model code
// and capability words, and the raw tests of the capability bits.
#pragma once

#include <cstddef>
#include <cstdint>

// A device type number and the four capability words of its hardware.
struct DeviceTypeRecord {
    int32_t type = 0;
    uint32_t capsComm = 0;
    uint32_t capsIo = 0;
    uint32_t capsPeriph = 0;
    uint32_t capsSensors = 0;
};

// One row of the device model table.
struct ModelRow {
    int type;
    const char* modelCode;
    DeviceTypeRecord caps;  // caps.type is the stored type number
};

// The row for a type number; unknown types get the fallback row (stored as 0).
const ModelRow& LookupModel(int type);
// The model code for a type number, "Quil" for unlisted ones.
const char* ModelName(int type);
// All rows of the table in order, fallback last.
const ModelRow* ModelTable(size_t* count);

// The raw capability bits as the device reports them.
namespace Caps {
inline bool Gsm(const DeviceTypeRecord& r) { return r.capsComm & 0x1u; }
inline bool SecondSim(const DeviceTypeRecord& r) { return r.capsComm & 0x2u; }
inline bool Wifi(const DeviceTypeRecord& r) { return r.capsComm & (1u << 16); }
inline bool Gnss(const DeviceTypeRecord& r) { return r.capsComm & (1u << 24); }
inline bool InputsPresent(const DeviceTypeRecord& r) { return r.capsIo & (1u << 16); }
inline int InputCountBits(const DeviceTypeRecord& r) { return (r.capsIo >> 17) & 0xF; }
inline bool OutputsPresent(const DeviceTypeRecord& r) { return r.capsIo & (1u << 24); }
inline int OutputCountBits(const DeviceTypeRecord& r) { return (r.capsIo >> 25) & 0x7; }
// n inputs / m outputs as the sequences use them: presence bit set and count not 0.
inline int Inputs(const DeviceTypeRecord& r) { return InputsPresent(r) ? InputCountBits(r) : 0; }
inline int Outputs(const DeviceTypeRecord& r) { return OutputsPresent(r) ? OutputCountBits(r) : 0; }
inline bool ExtPower(const DeviceTypeRecord& r) { return r.capsPeriph & 0x1u; }
inline bool Battery(const DeviceTypeRecord& r) { return r.capsPeriph & 0x2u; }
inline bool Accelerometer(const DeviceTypeRecord& r) { return r.capsPeriph & (1u << 8); }
inline bool InternalThermometer(const DeviceTypeRecord& r) { return r.capsPeriph & (1u << 9); }
inline bool Rs485(const DeviceTypeRecord& r) { return r.capsPeriph & (1u << 17); }
inline bool KeyReader(const DeviceTypeRecord& r) { return r.capsPeriph & (1u << 19); }
inline bool Rs232(const DeviceTypeRecord& r) { return r.capsPeriph & (1u << 20); }
inline bool OneWire(const DeviceTypeRecord& r) { return r.capsSensors & 0x2u; }
// Number of thermometers the device reports (may exceed what the record holds).
inline int ThermometerCount(const DeviceTypeRecord& r) { return OneWire(r) ? (r.capsSensors >> 3) & 0xF : 0; }
}  // namespace Caps
