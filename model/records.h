// Plain sub-records of the device settings record. Every field is a value:
// strings live in fixed NUL-terminated arrays (char[n] holds n - 1 characters).
#pragma once

#include "model/modeltable.h"

#include <cstdint>

// Sizes of the numbered families the record holds.
constexpr int kInputs = 8;
constexpr int kOutputs = 4;
constexpr int kFuelSensors = 5;
constexpr int kThermometers = 4;
constexpr int kThermoIds = 8;
constexpr int kWifiNets = 10;
constexpr int kServers = 2;
constexpr int kProtocolSets = 5;
constexpr int kPhones = 3;

// Bits of PasswordRecord::flags.
namespace PasswordFlag {
constexpr uint8_t kInForce = 0x1;  // the password goes in front of every command
constexpr uint8_t kWanted = 0x2;   // protection wanted after the next password change
constexpr uint8_t kBoth = kInForce | kWanted;
}  // namespace PasswordFlag

// Bits of ServerRecord::flags and ::protocol.
namespace ServerFlag {
constexpr uint8_t kInUse = 0x01;
constexpr uint8_t kInUseAll = 0x0F;  // what a slot taken into use sets
constexpr uint8_t kProtocolOn = 0x01;
}  // namespace ServerFlag

// Bit 0 of WifiNetworkRecord::flags: the network was received from the device.
namespace WifiFlag {
constexpr uint8_t kReceived = 0x01;
}  // namespace WifiFlag

// The SIM use of DI_SIM_CONTROL.
enum class SimMode : int32_t { Sim1 = 1, Sim2 = 2, Sim1ThenSim2 = 3, Sim2ThenSim1 = 4 };

// DI_LOG: bit 0 logging on, bits 1-6 the log source.
namespace LogBits {
constexpr uint8_t kOn = 0x01;
constexpr uint8_t kSource = 0x7E;
}  // namespace LogBits

// Bits of TrackFilterRecord::flags.
namespace TrackFilterBit {
constexpr uint16_t kDistance = 1u << 1;
constexpr uint16_t kAngle = 1u << 2;
constexpr uint16_t kSpeed = 1u << 3;
constexpr uint16_t kFourth = 1u << 4;
}  // namespace TrackFilterBit

// Bit 0 of FuelSensorRecord::flags; bit 1 of its live flags.
namespace FuelSensorBit {
constexpr uint8_t kInUse = 0x01;
constexpr uint8_t kReadingValid = 0x02;
}  // namespace FuelSensorBit

// The highest level bound of an input, in millivolts.
constexpr uint16_t kLevelMaximum = 33000;
// The limits a thermometer accepts, in degrees Celsius.
constexpr int kTemperatureMin = -40;
constexpr int kTemperatureMax = 85;

struct PasswordRecord {
    uint8_t flags = 0;  // PasswordFlag bits
    char current[9] = {};
    char next[9] = {};
};

struct DateTime {
    uint8_t day = 0, month = 0, year = 0;
    uint8_t hour = 0, minute = 0, second = 0;
};

struct AccessPointRecord {
    char apn[21] = {};
    char login[25] = {};
    char password[16] = {};
    char balanceCode[12] = {};
    char serviceCode[16] = {};
    char simString[21] = {};
};

struct ServerRecord {
    uint8_t flags = 0;
    uint8_t protocol = 0;
    char ip[16] = {};
    char port[6] = {};
    char login[16] = {};
    char password[16] = {};
    uint16_t p1 = 120, p2 = 0, p3 = 240, p4 = 30;
    int32_t p5 = 1, p6 = 0, p7 = 0;
    int32_t lastOn = 0;
};

struct WifiNetworkRecord {
    uint8_t flags = 1;
    uint8_t n1 = 1;
    char ssid[25] = {};
    int32_t n2 = 0;
    uint8_t n3 = 0;
    char key[27] = {};
    uint8_t n4 = 1;
    char ip[16] = {};
    char mask[16] = {};
    char gateway[16] = {};
    char dns1[16] = {};
    char dns2[16] = {};
};

// Level bounds in the order: upper "1", lower "1", upper "0", lower "0".
struct LevelBounds {
    uint16_t upper1 = 0, lower1 = 0, upper0 = 0, lower0 = 0;
};

struct InputRecord {
    int32_t mode = 0;
    uint8_t analogFilter = 1;
    uint8_t freqFilter = 4;
    uint8_t pulseFilter = 50;
    LevelBounds bounds{33000, 3000, 2000, 0};
    int32_t c = 0, d = 1, e = 0;
    int32_t lastValue = 0;
    int32_t value0 = 0;
    uint16_t value1 = 0;
    uint16_t value2 = 0;
    int32_t value3 = 0;
};

struct ThresholdSet16 {
    uint8_t flags = 0;
    uint16_t lower = 0, upper = 0, change = 0, timer = 60;
};

struct ThresholdSet32 {
    uint8_t flags = 0;
    uint32_t lower = 0, upper = 0, change = 0;
    uint16_t timer = 60;
};

struct ThresholdRecord {
    ThresholdSet16 voltage{0, 0, 33000, 33000, 60};
    ThresholdSet16 frequency{0, 0, 5000, 5000, 60};
    ThresholdSet32 pulses{0, 0, 1000000000u, 1000000000u, 60};
};

struct OutputRecord {
    int32_t mode = 0;
    int32_t param0 = 0;  // the settings page uses it as the output's switch state
    uint16_t param1 = 1;
    uint16_t param2 = 100;
    int32_t f = 0, g = 0;
    int32_t liveState = 0;
};

struct FuelSensorRecord {
    uint8_t flags = 1;  // bit 0 in use
    uint8_t address = 0;
    uint8_t addressCopy = 1;
    uint8_t s = 5;
    uint8_t liveFlags = 0;  // bit 1 reading valid
    uint16_t level = 0;
    uint16_t t = 0;
    uint16_t volume = 0;
    int32_t u = 0;
};

struct ThermometerRecord {
    uint8_t liveFlags = 0;
    int8_t temperature = 0;
    uint8_t flags = 1;  // bit 0 enabled
    uint64_t id = 0;
    uint8_t v = 1;
    int8_t lower = -25;
    int8_t upper = 40;
};

// A bit of the data protocol's field mask: word 0 to 15 over both sets of a
// protocol record (words 8 to 15 are set 1).
struct ProtocolBit {
    int word;
    int bit;
};
namespace ProtocolMask {
constexpr ProtocolBit kImei{0, 2};
constexpr ProtocolBit kStatus{0, 14};
constexpr ProtocolBit kExtPower{2, 0};
constexpr ProtocolBit kBattery{2, 1};
constexpr ProtocolBit kAccel{2, 3};
constexpr ProtocolBit kTint{2, 4};
constexpr ProtocolBit kSos{2, 6};
constexpr ProtocolBit kIgnition{2, 7};
constexpr ProtocolBit kTilt{2, 8};
constexpr ProtocolBit kGsmStatus{3, 0};
constexpr ProtocolBit kGsmRssi{3, 1};
constexpr ProtocolBit kGsmCell{3, 2};
// Input k (1..4) is bit k - 1 of word 5; output k bit k - 1 of word 6.
constexpr ProtocolBit Input(int k) { return {5, k - 1}; }
constexpr ProtocolBit Output(int k) { return {6, k - 1}; }
// Fuel level sensor k (1..4) is bit k of word 7; thermometer k (1..4) bit k - 1 of word 8.
constexpr ProtocolBit FuelSensor(int k) { return {7, k}; }
constexpr ProtocolBit Thermometer(int k) { return {8, k - 1}; }
}  // namespace ProtocolMask

struct ProtocolSetRecord {
    uint16_t set[2][8] = {{0xC000, 0x0000, 0x0003, 0x0000, 0x0006, 0x0000, 0x0000, 0x0000}, {}};

    bool Get(ProtocolBit b) const { return (Word(b.word) >> b.bit) & 1u; }
    void Set(ProtocolBit b, bool on) {
        uint16_t& w = set[b.word / 8][b.word % 8];
        w = static_cast<uint16_t>(on ? w | (1u << b.bit) : w & ~(1u << b.bit));
    }
    uint16_t Word(int word) const { return set[word / 8][word % 8]; }
};

struct Coordinate {
    uint8_t degrees = 0;
    uint8_t minutes = 0;
    uint16_t fraction = 0;  // ten-thousandths of a minute
    char hemisphere = 0;
};

struct GnssRecord {
    uint8_t state = 0;  // bit 0 OFF, 1 searching, 2 FIX, 3 last valid
    DateTime time;
    Coordinate latitude{0, 0, 0, 'N'};
    Coordinate longitude{0, 0, 0, 'W'};
    int16_t altitude = 0;
    char fix = '0';
    uint8_t satellites = 0;
    uint8_t speed = 0;
    uint16_t course = 0;
    float hdop = 0;
};

struct StatisticsRecord {
    uint32_t deviceOn = 0, engineOn = 0, moving = 0, idle = 0;
    int32_t distance = 0;
    uint8_t s5 = 0;
    uint8_t averageSpeed = 0;
    int32_t s7 = 0, s8 = 0, s9 = 0, s10 = 0, s11 = 0;
};

struct CellRecord {
    uint16_t mcc = 0, mnc = 0, lac = 0, cid = 0;
};

struct TrackFilterRecord {
    uint16_t flags = 0xFFFF;  // bit 1 distance, 2 angle, 3 min speed, 4 fourth filter
    uint16_t angle = 10;
    uint8_t minSpeed = 2;
    uint8_t fourth = 60;
    uint16_t distance = 100;
    uint16_t w = 1;
    uint16_t timeMoving = 5;
    uint16_t timeRest = 300;
};

struct SerialInterfaceRecord {
    int32_t r[6] = {1, 1, 19200, 0, 3, 0};  // r[2] is the baud rate
};

struct DateOptions {
    uint8_t flags = 6;
    int8_t zone = 0;
};

struct MotionSensorConfig {
    uint8_t flags = 0x1F;
    uint16_t motion = 6;  // units of 16 mg
    uint16_t shock = 127;
};

struct TiltConfig {
    uint8_t flags = 1;
    uint8_t angle = 30;
    uint8_t value = 0;
};

struct TempSensorConfig {
    uint8_t flags = 1;
    int8_t lower = -25;
    int8_t upper = 40;
};

struct IgnitionRecord {
    uint8_t source = 2;
    LevelBounds bounds{33000, 8000, 6000, 0};
};

struct AlarmRecord {
    uint8_t source = 1;
    int32_t level = 1;
    LevelBounds bounds{33000, 3000, 2000, 0};
};

struct BytePair {
    uint8_t first = 0, second = 0;
};

struct PowerRecord {
    uint16_t millivolts = 0;
    uint8_t percent = 0;
};

struct AccelRecord {
    int16_t x = 0, y = 0, z = 0;
};

struct TiltLive {
    int16_t a = 0, b = 0;
};
