#include "model/dataserver.h"

#include "base/boundedlock.h"

#include <chrono>
#include <cstring>

namespace {

// Where an item lives in the image. width > 0 marks a string of that array size.
struct ItemSlot {
    int id;
    uint16_t offset;
    uint16_t size;
    uint16_t width;
};

using Image = CDataServer::Image;
static_assert(sizeof(Image) <= UINT16_MAX, "item offsets are 16-bit");

#define ITEM(id, field) \
    { id, offsetof(Image, field), sizeof(Image::field), 0 }
#define TEXT(id, field) \
    { id, offsetof(Image, field), sizeof(Image::field), sizeof(Image::field) }

const ItemSlot kSingleItems[] = {
    TEXT(DI_BOOT_VERSION, bootVersion),
    TEXT(DI_BOOT_DATE, bootDate),
    TEXT(DI_HW_VERSION, hwVersion),
    TEXT(DI_FW_VERSION, fwVersion),
    TEXT(DI_PLATFORM_VERSION, platformVersion),
    TEXT(DI_FW_DATE, fwDate),
    ITEM(DI_DEV_TYPE, devType),
    TEXT(DI_MODEL_NAME, modelName),
    TEXT(DI_DEVICE_ID, deviceId),
    TEXT(DI_DEVICE_NAME, deviceName),
    ITEM(DI_PASSWORD, password),
    TEXT(DI_SERIAL, serial),
    ITEM(DI_MODE, mode),
    ITEM(DI_LOG, log),
    ITEM(DI_DATE_OPTIONS, dateOptions),
    ITEM(DI_MSENS_CONFIG, msens),
    ITEM(DI_TILT_CONFIG, tiltConfig),
    ITEM(DI_TSENS_CONFIG, tsens),
    ITEM(DI_INPUT_COUNT, inputCount),
    ITEM(DI_IGN, ign),
    ITEM(DI_SOS, sos),
    ITEM(DI_OUTPUT_COUNT, outputCount),
    TEXT(DI_IMEI, imei),
    ITEM(DI_RING, ring),
    ITEM(DI_AUDIO, audio),
    ITEM(DI_SIM_CONTROL, simControl),
    TEXT(DI_WIFI_MAC, wifiMac),
    ITEM(DI_TRACK_FILTER, trackFilter),
    ITEM(DI_RS232, rs232),
    ITEM(DI_RS485, rs485),
    ITEM(DI_STATUS_FLAGS, statusFlags),
    ITEM(DI_DEVICE_TIME, deviceTime),
    ITEM(DI_BATTERY, battery),
    ITEM(DI_EXT_POWER, extPower),
    ITEM(DI_AUX_POWER, auxPower),
    ITEM(DI_ACCEL, accel),
    ITEM(DI_TINT, tint),
    ITEM(DI_TILT, tilt),
    ITEM(DI_STATISTICS, statistics),
    ITEM(DI_GNSS, gnss),
    ITEM(DI_GSM_STATE, gsmState),
    TEXT(DI_OPERATOR, operatorName),
    ITEM(DI_RSSI, rssi),
    ITEM(DI_BALANCE, balance),
    ITEM(DI_CELL, cell),
    ITEM(DI_WIFI_FLAGS, wifiFlags),
    ITEM(DI_WIFI_VALUE, wifiValue),
    ITEM(DI_EKEY, ekey),
    ITEM(DI_WIFINET_COUNT, wifinetCount),
    ITEM(DI_SERVER_COUNT, serverCount),
};

// Numbered families: first identifier, count, and how to reach member n.
struct Family {
    int first;
    int count;
    uint16_t offset;
    uint16_t stride;
    uint16_t width;
};

const Family kFamilies[] = {
    {DI_INPUT_1, kInputs, offsetof(Image, inputs), sizeof(InputRecord), 0},
    {DI_INTRSHD_1, kInputs, offsetof(Image, thresholds), sizeof(ThresholdRecord), 0},
    {DI_OUTPUT_1, kOutputs, offsetof(Image, outputs), sizeof(OutputRecord), 0},
    {DI_APN_1, 2, offsetof(Image, apn), sizeof(AccessPointRecord), 0},
    {DI_PHONE_1, kPhones, offsetof(Image, phones), sizeof(Image::phones[0]), sizeof(Image::phones[0])},
    {DI_SMS_1, kPhones, offsetof(Image, sms), sizeof(Image::sms[0]), sizeof(Image::sms[0])},
    {DI_PRSET_1, kProtocolSets, offsetof(Image, prset), sizeof(ProtocolSetRecord), 0},
    {DI_LLS_0, kFuelSensors, offsetof(Image, lls), sizeof(FuelSensorRecord), 0},
    {DI_THERMO_1, kThermometers, offsetof(Image, thermo), sizeof(ThermometerRecord), 0},
    {DI_THERMO_ID_1, kThermoIds, offsetof(Image, thermoIds), sizeof(uint64_t), 0},
    {DI_WIFINET_1, kWifiNets, offsetof(Image, wifinets), sizeof(WifiNetworkRecord), 0},
    {DI_SERVER_1, kServers, offsetof(Image, servers), sizeof(ServerRecord), 0},
};

#undef ITEM
#undef TEXT

bool FindSlot(int id, ItemSlot& slot) {
    for (const ItemSlot& s : kSingleItems) {
        if (s.id == id) {
            slot = s;
            return true;
        }
    }
    for (const Family& f : kFamilies) {
        if (id >= f.first && id < f.first + f.count) {
            const int n = id - f.first;
            slot = {id, static_cast<uint16_t>(f.offset + n * f.stride), f.stride, f.width};
            return true;
        }
    }
    return false;
}

template <size_t N> void CopyText(char (&dst)[N], const char* src) {
    const size_t len = strnlen(src, N - 1);
    std::memcpy(dst, src, len);
    std::memset(dst + len, 0, N - len);
}

void CopyOut(const unsigned char* item, const ItemSlot& slot, void* buffer) {
    if (slot.width == 0) {
        std::memcpy(buffer, item, slot.size);
        return;
    }
    const size_t len = strnlen(reinterpret_cast<const char*>(item), slot.width - 1u);
    std::memcpy(buffer, item, len);
    static_cast<char*>(buffer)[len] = '\0';
}

void CopyIn(unsigned char* item, const ItemSlot& slot, const void* buffer, size_t size) {
    if (slot.width == 0) {
        std::memcpy(item, buffer, slot.size);
        return;
    }
    const size_t limit = size < slot.width - 1u ? size : slot.width - 1u;
    const size_t len = strnlen(static_cast<const char*>(buffer), limit);
    std::memcpy(item, buffer, len);
    std::memset(item + len, 0, slot.width - len);
}

}  // namespace

CDataServer::CDataServer() : m_image() { ApplyDefaults(0); }

size_t CDataServer::ItemSize(int item) {
    ItemSlot slot{};
    return FindSlot(item, slot) ? slot.size : 0;
}

int CDataServer::Get(int item, void* buffer, size_t size) {
    ItemSlot slot{};
    if (!buffer || !FindSlot(item, slot) || size < slot.size)
        return 0;
    // A system-clock deadline keeps the lock call visible to the thread sanitizer.
    const auto lock = LockWithin(m_lock, std::chrono::milliseconds(kLockMs));
    if (!lock.owns_lock())
        return 0;
    CopyOut(reinterpret_cast<const unsigned char*>(&m_image) + slot.offset, slot, buffer);
    return 1;
}

int CDataServer::Set(int item, const void* buffer, size_t size) {
    ItemSlot slot{};
    if (!buffer || !FindSlot(item, slot))
        return 0;
    if (slot.width == 0 && size < slot.size)
        return 0;
    // A system-clock deadline keeps the lock call visible to the thread sanitizer.
    const auto lock = LockWithin(m_lock, std::chrono::milliseconds(kLockMs));
    if (!lock.owns_lock())
        return 0;
    CopyIn(reinterpret_cast<unsigned char*>(&m_image) + slot.offset, slot, buffer, size);
    return 1;
}

int CDataServer::ResetToDefaults(int type) {
    // A system-clock deadline keeps the lock call visible to the thread sanitizer.
    const auto lock = LockWithin(m_lock, std::chrono::milliseconds(kLockMs));
    if (!lock.owns_lock())
        return 0;
    ApplyDefaults(type);
    return 1;
}

void CDataServer::ApplyDefaults(int type) {
    Image& m = m_image;
    const ModelRow& row = LookupModel(type);
    m.devType = row.caps;
    CopyText(m.modelName, row.modelCode);

    CopyText(m.bootVersion, "---");
    CopyText(m.hwVersion, "---");
    CopyText(m.fwVersion, "---");
    CopyText(m.platformVersion, "---");
    CopyText(m.bootDate, "---");
    CopyText(m.fwDate, "---");

    CopyText(m.deviceName, "Quil");
    CopyText(m.deviceId, "0000");
    CopyText(m.serial, "0000000000000000");
    m.mode = 1;
    m.log = 0;
    m.dateOptions = DateOptions{};
    m.msens = MotionSensorConfig{};
    m.tiltConfig = TiltConfig{};
    m.tsens = TempSensorConfig{};
    m.password = PasswordRecord{};
    m.password.flags = 3;
    CopyText(m.password.current, "7391");
    m.deviceTime = DateTime{};
    m.battery = m.extPower = m.auxPower = PowerRecord{};
    m.accel = AccelRecord{};
    m.tilt = TiltLive{};
    m.tint = 0;
    m.ekey = 0;
    m.statistics = StatisticsRecord{};
    m.statusFlags = 0;
    for (ThermometerRecord& t : m.thermo)
        t = ThermometerRecord{};
    for (uint64_t& id : m.thermoIds)
        id = 0;

    m.gnss = GnssRecord{};

    CopyText(m.imei, "000000000000000");
    m.gsmState = 0;
    m.rssi = 0;
    m.balance = 0;
    m.cell = CellRecord{};
    m.operatorName[0] = '\0';
    m.ring = BytePair{5, 3};
    m.audio = BytePair{8, 8};
    m.simControl = 3;
    m.apn[0] = AccessPointRecord{};
    CopyText(m.apn[0].apn, "internet.orv");
    CopyText(m.apn[0].login, "orv");
    CopyText(m.apn[0].password, "orv");
    CopyText(m.apn[0].balanceCode, "*100#");
    CopyText(m.apn[0].serviceCode, "111*0887#");
    m.apn[1] = AccessPointRecord{};
    CopyText(m.apn[1].apn, "internet.nrd");
    CopyText(m.apn[1].login, "nrd");
    CopyText(m.apn[1].password, "nrd");
    CopyText(m.apn[1].balanceCode, "*102#");
    CopyText(m.apn[1].serviceCode, "110*10#");
    std::memset(m.phones, 0, sizeof m.phones);
    std::memset(m.sms, 0, sizeof m.sms);

    CopyText(m.wifiMac, "00:00:00:00:00:00");
    m.wifiFlags = 0;
    m.wifiValue = 0;

    for (WifiNetworkRecord& w : m.wifinets) {
        w = WifiNetworkRecord{};
        CopyText(w.ssid, "ORVENA-SERVICE");
        CopyText(w.key, "orvena-setup");
        CopyText(w.ip, "000.000.000.000");
        CopyText(w.mask, "255.255.255.255");
        CopyText(w.gateway, "000.000.000.000");
        CopyText(w.dns1, "000.000.000.000");
    }
    m.wifinetCount = kWifiNets;

    for (ServerRecord& s : m.servers)
        s = ServerRecord{};
    m.serverCount = kServers;

    m.trackFilter = TrackFilterRecord{};

    for (InputRecord& in : m.inputs)
        in = InputRecord{};
    for (ThresholdRecord& t : m.thresholds)
        t = ThresholdRecord{};
    for (OutputRecord& o : m.outputs)
        o = OutputRecord{};
    m.ign = IgnitionRecord{};
    m.sos = AlarmRecord{};
    m.inputCount = static_cast<uint8_t>(Caps::InputCountBits(m.devType));
    m.outputCount = static_cast<uint8_t>(Caps::OutputCountBits(m.devType));

    m.rs232 = SerialInterfaceRecord{};
    m.rs485 = SerialInterfaceRecord{};

    for (int i = 0; i < kFuelSensors; ++i) {
        m.lls[i] = FuelSensorRecord{};
        m.lls[i].address = static_cast<uint8_t>(i);
    }

    for (ProtocolSetRecord& p : m.prset)
        p = ProtocolSetRecord{};
}
