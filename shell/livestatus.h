// The device's live state as the status poll leaves it in the record, read in
// one go: each item copied out whole once, and whatever the device type lacks
// left absent. The Info page and the command-line tool's status show it.
#pragma once

#include "model/records.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDataServer;

struct GsmLive {
    uint8_t state = 0;  // bit 0 OFF, 1 registering, 2 registered, 3 connected
    uint8_t rssi = 0;
    CellRecord cell;
    std::string operatorName;  // device text
    int16_t balance = 0;
};

struct InputLive {
    int32_t mode = 0;   // 0 digital, 1 analogue, 2 frequency, any other pulses
    int64_t value = 0;  // the live value that belongs to the mode
};

struct OutputLive {
    int32_t mode = 0;  // 0 switch, 1 frequency, any other pulses
    int32_t state = 0;
};

struct FuelLive {
    bool inUse = false;
    bool valid = false;  // the reading is valid
    uint16_t level = 0;
    uint16_t volume = 0;
};

struct ThermometerLive {
    bool valid = false;  // the reading is valid
    int8_t temperature = 0;
};

struct MotionLive {
    AccelRecord accel;
    TiltLive tilt;
};

struct LiveStatus {
    uint16_t flags = 0;  // the status word
    int32_t mode = 0;    // the operating mode
    std::optional<PowerRecord> battery;
    std::optional<PowerRecord> extPower;
    PowerRecord auxPower;
    StatisticsRecord statistics;
    std::optional<GnssRecord> gnss;
    std::optional<GsmLive> gsm;
    std::vector<InputLive> inputs;                           // one per input of the type
    std::optional<uint64_t> key;                             // the iButton key
    std::array<std::optional<FuelLive>, kFuelSensors> fuel;  // LLS0 on RS-232, LLS1 to LLS4 on RS-485
    std::vector<OutputLive> outputs;                         // one per output of the type
    std::optional<MotionLive> motion;                        // acceleration and tilt
    std::optional<int8_t> internalTemperature;
    // Present for each thermometer the type has and the configuration enables.
    std::array<std::optional<ThermometerLive>, kThermometers> thermometers;
};

LiveStatus ReadLiveStatus(CDataServer& data);

// Degrees as a signed decimal number: south and west are negative.
double DecimalDegrees(const Coordinate& coordinate);
