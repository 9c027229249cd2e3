#include "sim/live.h"

#include <cmath>

LiveValues LiveAt(double seconds, double statBase) {
    const auto t = static_cast<long>(seconds);
    const double stat = seconds - statBase;
    LiveValues v{};
    v.latTenThousandths = 4321 + static_cast<int>(t * 3 % 5000);
    v.lonTenThousandths = 5678 + static_cast<int>(t * 5 % 4000);
    v.speed = 40 + static_cast<int>(10 * std::sin(seconds / 10));
    v.course = static_cast<int>(t * 3 % 360);
    v.satellites = 7 + static_cast<int>(t / 10 % 4);
    v.altitude = 150 + static_cast<int>(t % 7);
    v.extPowerMv = 12600 + static_cast<int>(400 * std::sin(seconds / 7));
    v.batteryMv = 3950 + static_cast<int>(40 * std::sin(seconds / 11));
    v.auxPowerMv = 11200 + static_cast<int>(t % 50);
    v.rssi = 18 + static_cast<int>(t % 6);
    v.temperature = 24 + static_cast<int>(t / 30 % 3);
    v.accel[0] = static_cast<int>(t % 5) - 2;
    v.accel[1] = 3 - static_cast<int>(t % 7);
    v.accel[2] = 1000 + static_cast<int>(t % 4);
    v.tilt[0] = static_cast<int>(t % 3);
    v.tilt[1] = 1 + static_cast<int>(t % 2);
    v.onTime = 3600 + static_cast<uint32_t>(stat);
    v.engineTime = static_cast<uint32_t>(stat / 2);
    v.idleTime = static_cast<uint32_t>(stat / 4);
    v.movingTime = static_cast<uint32_t>(stat / 4);
    v.distance = static_cast<uint32_t>(stat * 11);
    for (int j = 0; j < 8; ++j) {
        v.digital[j] = static_cast<int>((t / 5 + j) % 2);
        v.analogMv[j] = 12000 + 100 * j + static_cast<int>(t % 50) * 10;
        v.frequency[j] = 500 + 10 * j + static_cast<int>(t % 100);
    }
    for (int j = 0; j < 4; ++j)
        v.outputState[j] = static_cast<int>((t / 3 + j) % 2);
    v.fuelLevel = 1000 + static_cast<int>(t % 100);
    return v;
}
