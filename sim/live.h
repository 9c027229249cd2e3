#pragma once
// Live values of the simulated tracker as functions of the time since power-on,
// so a status poll sees them move: position creeping, inputs toggling, supply
// voltages drifting, statistics and counters growing.

#include <array>
#include <cstdint>

struct LiveValues {
    int latTenThousandths;  // of a minute, beyond 55°45'
    int lonTenThousandths;  // of a minute, beyond 037°37'
    int speed, course, satellites, altitude;
    int extPowerMv, batteryMv, auxPowerMv;
    int rssi, temperature;
    int accel[3];
    int tilt[2];
    uint32_t onTime, engineTime, idleTime, movingTime, distance;
    std::array<int, 8> digital;  // 0/1 per input
    std::array<int, 8> analogMv;
    std::array<int, 8> frequency;
    std::array<int, 4> outputState;
    int fuelLevel;
};

// Values at `seconds` since power-on; statistics count from `statBase`.
LiveValues LiveAt(double seconds, double statBase);
