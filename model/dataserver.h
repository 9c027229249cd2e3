// The configurator's single in-memory image of one device (or of the open
// settings file), addressed item by item under one timed lock.
#pragma once

#include "model/capabilities.h"
#include "model/records.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

enum DataItem : int {
    DI_BOOT_VERSION = 0,
    DI_BOOT_DATE = 1,
    DI_HW_VERSION = 2,
    DI_FW_VERSION = 3,
    DI_PLATFORM_VERSION = 4,
    DI_FW_DATE = 5,
    DI_DEV_TYPE = 6,
    DI_MODEL_NAME = 8,
    DI_DEVICE_ID = 9,
    DI_DEVICE_NAME = 10,
    DI_PASSWORD = 11,
    DI_SERIAL = 12,
    DI_MODE = 13,
    DI_LOG = 15,
    DI_DATE_OPTIONS = 16,
    DI_MSENS_CONFIG = 19,
    DI_TILT_CONFIG = 21,
    DI_TSENS_CONFIG = 23,
    DI_INPUT_COUNT = 31,
    DI_INPUT_1 = 32,
    DI_INTRSHD_1 = 40,
    DI_IGN = 48,
    DI_SOS = 49,
    DI_OUTPUT_COUNT = 58,
    DI_OUTPUT_1 = 59,
    DI_IMEI = 68,
    DI_RING = 71,
    DI_AUDIO = 72,
    DI_SIM_CONTROL = 74,
    DI_APN_1 = 75,
    DI_APN_2 = 76,
    DI_PHONE_1 = 77,
    DI_SMS_1 = 80,
    DI_WIFI_MAC = 84,
    DI_TRACK_FILTER = 86,
    DI_RS232 = 89,
    DI_RS485 = 91,
    DI_PRSET_1 = 103,
    DI_STATUS_FLAGS = 127,
    DI_DEVICE_TIME = 129,
    DI_BATTERY = 131,
    DI_EXT_POWER = 132,
    DI_AUX_POWER = 133,
    DI_ACCEL = 134,
    DI_TINT = 143,
    DI_TILT = 144,
    DI_STATISTICS = 159,
    DI_GNSS = 169,
    DI_GSM_STATE = 170,
    DI_OPERATOR = 171,
    DI_RSSI = 172,
    DI_BALANCE = 174,
    DI_CELL = 187,
    DI_WIFI_FLAGS = 193,
    DI_WIFI_VALUE = 196,
    DI_LLS_0 = 222,
    DI_EKEY = 269,
    DI_THERMO_1 = 270,
    DI_THERMO_ID_1 = 275,
    DI_WIFINET_COUNT = 307,
    DI_WIFINET_1 = 308,
    DI_SERVER_COUNT = 319,
    DI_SERVER_1 = 320,
};

// Bases of the numbered families: item = base + number.
namespace ItemBase {
constexpr int Input = 31;         // input n (1..8)
constexpr int Threshold = 39;     // thresholds of input n (1..8)
constexpr int Output = 58;        // output n (1..4)
constexpr int Phone = 76;         // phone n (1..3)
constexpr int Sms = 79;           // SMS number n (1..3)
constexpr int ProtocolSet = 102;  // protocol set n (1..5)
constexpr int FuelSensor = 222;   // fuel sensor n (0..4)
constexpr int Thermometer = 269;  // thermometer n (1..4)
constexpr int ThermoId = 275;     // detected thermometer k (0..7)
constexpr int WifiNet = 307;      // WiFi network n (1..10)
constexpr int Server = 319;       // server n (1..2)
}  // namespace ItemBase

class CDataServer {
public:
    CDataServer();
    CDataServer(const CDataServer&) = delete;
    CDataServer& operator=(const CDataServer&) = delete;
    virtual ~CDataServer() = default;

    // Copy one whole item out / in. Return 1 on success, 0 on lock time-out,
    // an unknown identifier or a buffer smaller than the item.
    int Get(int item, void* buffer, size_t size);
    int Set(int item, const void* buffer, size_t size);
    template <class T> int Get(int item, T& out) { return Get(item, &out, sizeof out); }
    template <class T> int Set(int item, const T& in) { return Set(item, &in, sizeof in); }

    int ResetToDefaults(int type);

    // Size of an item in bytes, 0 for identifiers outside the table.
    static size_t ItemSize(int item);

    // Tests hold the lock to exercise time-outs.
    std::timed_mutex& LockForTest() { return m_lock; }

    static constexpr int kLockMs = 1000;

    // The whole device image: one fixed block of plain values.
    struct Image {
        char bootVersion[6], bootDate[9], hwVersion[6], fwVersion[6], platformVersion[6], fwDate[9];
        DeviceTypeRecord devType;
        char modelName[10], deviceId[9], deviceName[9];
        PasswordRecord password;
        char serial[17];
        int32_t mode;
        uint8_t log;
        DateOptions dateOptions;
        MotionSensorConfig msens;
        TiltConfig tiltConfig;
        TempSensorConfig tsens;
        uint8_t inputCount;
        InputRecord inputs[kInputs];
        ThresholdRecord thresholds[kInputs];
        IgnitionRecord ign;
        AlarmRecord sos;
        uint8_t outputCount;
        OutputRecord outputs[kOutputs];
        char imei[16];
        BytePair ring, audio;
        int32_t simControl;
        AccessPointRecord apn[2];
        char phones[kPhones][16];
        char sms[kPhones][16];
        char wifiMac[18];
        TrackFilterRecord trackFilter;
        SerialInterfaceRecord rs232, rs485;
        ProtocolSetRecord prset[kProtocolSets];
        uint16_t statusFlags;
        DateTime deviceTime;
        PowerRecord battery, extPower, auxPower;
        AccelRecord accel;
        int8_t tint;
        TiltLive tilt;
        StatisticsRecord statistics;
        GnssRecord gnss;
        uint8_t gsmState;
        char operatorName[9];
        uint8_t rssi;
        int16_t balance;
        CellRecord cell;
        uint8_t wifiFlags, wifiValue;
        FuelSensorRecord lls[kFuelSensors];
        uint64_t ekey;
        ThermometerRecord thermo[kThermometers];
        uint64_t thermoIds[kThermoIds];
        uint8_t wifinetCount;
        WifiNetworkRecord wifinets[kWifiNets];
        uint8_t serverCount;
        ServerRecord servers[kServers];
    };

private:
    void ApplyDefaults(int type);

    std::timed_mutex m_lock;
    Image m_image;
};
