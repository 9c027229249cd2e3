#include "model/registry.h"

#include "model/dataserver.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <limits>

namespace {

using Cap = Capability;
using K = FieldKind;

constexpr const char* kGet = "GET";
// Both fuel sensor groups share the stem: LLS0 on RS-232, LLS1-4 on RS-485.
constexpr const char* kFuelSensorStem = "LLS";
constexpr const char* kSet = "SET";
constexpr uint8_t kRW = InSequence::kReadAll | InSequence::kWriteAll;
constexpr uint8_t kRWF = InSequence::kReadAll | InSequence::kWriteAll | InSequence::kFile;
constexpr uint8_t kRF = InSequence::kReadAll | InSequence::kFile;

constexpr const char* kMillivolts = "мВ";
constexpr const char* kSeconds = "с";
constexpr const char* kCelsius = "°C";

// ---------------------------------------------------------------------------
// Choices

constexpr ChoiceDesc kInputModes[] = {{0, "Цифр."}, {1, "Аналог."}, {2, "Частот."}, {3, "Импул."}};
constexpr ChoiceDesc kSimModes[] = {{static_cast<int64_t>(SimMode::Sim1), "SIM1"},
                                    {static_cast<int64_t>(SimMode::Sim2), "SIM2"},
                                    {static_cast<int64_t>(SimMode::Sim1ThenSim2), "SIM1/SIM2"},
                                    {static_cast<int64_t>(SimMode::Sim2ThenSim1), "SIM2/SIM1"}};
constexpr ChoiceDesc kRates[] = {
    {9600, "9600"}, {19200, "19200"}, {38400, "38400"}, {57600, "57600"}, {115200, "115200"}};
constexpr ChoiceDesc kLevels[] = {{0, "0"}, {1, "1"}};

// ---------------------------------------------------------------------------
// Fields, in the order of each group's write line

constexpr FieldDesc kHwcfgFields[] = {
    {"type", "Тип устройства", K::Number, ORVENA_FIELD(DeviceTypeRecord, type), 0, 3, 0, 101},
};

constexpr FieldDesc kDevFields[] = {
    {"name", "Имя устройства", K::Text, WholeItem(9), 0, 8},
    {"id", "Идентификатор", K::Text, WholeItem(9), 0, 8, 0, 0, nullptr, {}, 0, DI_DEVICE_ID},
};

constexpr FieldDesc kPassFields[] = {
    {"password",
     "Пароль",
     K::Text,
     ORVENA_FIELD(PasswordRecord, current),
     0,
     8,
     0,
     0,
     nullptr,
     {},
     FieldTrait::kSecret},
    {"protection", "Пароль вкл.", K::Flag, ORVENA_FIELD(PasswordRecord, flags), PasswordFlag::kInForce},
};

constexpr FieldDesc kDateFields[] = {
    {"zone", "Часовой пояс", K::Number, ORVENA_FIELD(DateOptions, zone), 0, 3, -12, 14, "ч", {}, 0, DI_DATE_OPTIONS},
    {"flag1", "Флаг 1", K::Flag, ORVENA_FIELD(DateOptions, flags), 0x2, 0, 0, 0, nullptr, {}, 0, DI_DATE_OPTIONS},
    {"flag0", "Флаг 0", K::Flag, ORVENA_FIELD(DateOptions, flags), 0x1, 0, 0, 0, nullptr, {}, 0, DI_DATE_OPTIONS},
    {"flag2", "Флаг 2", K::Flag, ORVENA_FIELD(DateOptions, flags), 0x4, 0, 0, 0, nullptr, {}, 0, DI_DATE_OPTIONS},
};

constexpr FieldDesc kModeFields[] = {
    {"", "Режим работы", K::Number, WholeItem(4, true), 0, 1, 1, 6},
};

constexpr FieldDesc kLogFields[] = {
    {"source", "Источник журнала", K::Number, WholeItem(1), LogBits::kSource, 2, 0, 34},
    {"on", "Журнал вкл.", K::Flag, WholeItem(1), LogBits::kOn},
};

constexpr FieldDesc kNumberFields[] = {
    {"", "Номер", K::Text, WholeItem(16), 0, 15},
};

constexpr FieldDesc kSimsFields[] = {
    {"", "Режим SIM", K::Choice, WholeItem(4, true), 0, 0, 0, 0, nullptr, kSimModes},
};

constexpr FieldDesc kApnFields[] = {
    {"name", "Имя", K::Text, ORVENA_FIELD(AccessPointRecord, apn), 0, 20},
    {"login", "Логин", K::Text, ORVENA_FIELD(AccessPointRecord, login), 0, 24},
    {"password", "Пароль", K::Text, ORVENA_FIELD(AccessPointRecord, password), 0, 15},
};

constexpr FieldDesc kWifiNetFields[] = {
    {"n1", "Параметр N1", K::Number, ORVENA_FIELD(WifiNetworkRecord, n1), 0, 3},
    {"ssid", "SSID", K::Text, ORVENA_FIELD(WifiNetworkRecord, ssid), 0, 24},
    {"n2",
     "Параметр N2",
     K::Number,
     ORVENA_FIELD(WifiNetworkRecord, n2),
     0,
     3,
     0,
     255,
     nullptr,
     {},
     FieldTrait::kLowByte},
    {"n3", "Параметр N3", K::Number, ORVENA_FIELD(WifiNetworkRecord, n3), 0, 3},
    {"password", "Пароль", K::Text, ORVENA_FIELD(WifiNetworkRecord, key), 0, 26},
    {"n4", "Параметр N4", K::Number, ORVENA_FIELD(WifiNetworkRecord, n4), 0, 3},
    {"ip", "IP Адрес", K::Ip, ORVENA_FIELD(WifiNetworkRecord, ip), 0, 15},
    {"mask", "Маска", K::Ip, ORVENA_FIELD(WifiNetworkRecord, mask), 0, 15},
    // The device's reply has one field for mask and gateway: the gateway is never read back.
    {"gateway",
     "Шлюз",
     K::Ip,
     ORVENA_FIELD(WifiNetworkRecord, gateway),
     0,
     15,
     0,
     0,
     nullptr,
     {},
     FieldTrait::kNotReadBack},
    {"dns1", "DNS 1", K::Ip, ORVENA_FIELD(WifiNetworkRecord, dns1), 0, 15},
    {"dns2", "DNS 2", K::Ip, ORVENA_FIELD(WifiNetworkRecord, dns2), 0, 15},
};

constexpr FieldPlace kTrackFlags = ORVENA_FIELD(TrackFilterRecord, flags);
constexpr FieldDesc kFilterFields[] = {
    {"distance.on", "Расстояние вкл.", K::Flag, kTrackFlags, TrackFilterBit::kDistance},
    {"distance", "Расстояние", K::Number, ORVENA_FIELD(TrackFilterRecord, distance), 0, 4, 0, 9999, "м"},
    {"angle.on", "Угол поворота вкл.", K::Flag, kTrackFlags, TrackFilterBit::kAngle},
    {"angle", "Угол поворота", K::Number, ORVENA_FIELD(TrackFilterRecord, angle), 0, 3, 0, 180, "°"},
    {"speed.on", "Мин. скорость вкл.", K::Flag, kTrackFlags, TrackFilterBit::kSpeed},
    {"speed", "Мин. скорость", K::Number, ORVENA_FIELD(TrackFilterRecord, minSpeed), 0, 2, 0, 99, "км/ч"},
    {"fourth.on", "Четвёртый фильтр вкл.", K::Flag, kTrackFlags, TrackFilterBit::kFourth},
    {"fourth", "Четвёртый фильтр", K::Number, ORVENA_FIELD(TrackFilterRecord, fourth), 0, 3},
    {"w", "Параметр W", K::Number, ORVENA_FIELD(TrackFilterRecord, w), 0, 5},
    {"motion", "Время в движ.", K::Number, ORVENA_FIELD(TrackFilterRecord, timeMoving), 0, 4, 0, 9999, kSeconds},
    {"rest", "Время в покое", K::Number, ORVENA_FIELD(TrackFilterRecord, timeRest), 0, 4, 0, 9999, kSeconds},
};

constexpr FieldDesc kServerFields[] = {
    {"flags", "Флаги", K::Hex, ORVENA_FIELD(ServerRecord, flags), 0, 2},
    {"protocol", "Протокол", K::Hex, ORVENA_FIELD(ServerRecord, protocol), 0, 2},
    {"ip", "IP Адрес", K::Ip, ORVENA_FIELD(ServerRecord, ip), 0, 15},
    {"port", "Порт", K::NumberText, ORVENA_FIELD(ServerRecord, port), 0, 5, 1, 65535},
    {"login", "Логин", K::Text, ORVENA_FIELD(ServerRecord, login), 0, 15},
    {"password", "Пароль", K::Text, ORVENA_FIELD(ServerRecord, password), 0, 15},
    {"p1", "Параметр P1", K::Number, ORVENA_FIELD(ServerRecord, p1), 0, 5},
    {"p2", "Параметр P2", K::Number, ORVENA_FIELD(ServerRecord, p2), 0, 5},
    {"p3", "Параметр P3", K::Number, ORVENA_FIELD(ServerRecord, p3), 0, 5},
    {"p4", "Параметр P4", K::Number, ORVENA_FIELD(ServerRecord, p4), 0, 5},
    {"p5", "Параметр P5", K::Number, ORVENA_FIELD(ServerRecord, p5), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"p6", "Параметр P6", K::Number, ORVENA_FIELD(ServerRecord, p6), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"p7", "Параметр P7", K::Number, ORVENA_FIELD(ServerRecord, p7), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    // Only the settings file keeps it; the device's reply does not carry it.
    {"on", "Вкл.", K::Number, ORVENA_FIELD(ServerRecord, lastOn), 0, 1, 0, 1, nullptr, {}, FieldTrait::kNotReadBack},
};

#define LEVEL_FIELDS(Record)                                                                                          \
    {                                                                                                                 \
        "upper1",   "Верх.\"1\"",                                                                                     \
        K::Number,  Inside(ORVENA_FIELD(Record, bounds), ORVENA_FIELD(LevelBounds, upper1)),                          \
        0,          5,                                                                                                \
        0,          kLevelMaximum,                                                                                    \
        kMillivolts},                                                                                                 \
        {"lower1",   "Ниж.\"1\"", K::Number, Inside(ORVENA_FIELD(Record, bounds), ORVENA_FIELD(LevelBounds, lower1)), \
         0,          5,           0,         kLevelMaximum,                                                           \
         kMillivolts},                                                                                                \
        {"upper0",   "Верх.\"0\"",                                                                                    \
         K::Number,  Inside(ORVENA_FIELD(Record, bounds), ORVENA_FIELD(LevelBounds, upper0)),                         \
         0,          5,                                                                                               \
         0,          kLevelMaximum,                                                                                   \
         kMillivolts},                                                                                                \
    {                                                                                                                 \
        "lower0", "Ниж.\"0\"", K::Number, Inside(ORVENA_FIELD(Record, bounds), ORVENA_FIELD(LevelBounds, lower0)), 0, \
            5, 0, kLevelMaximum, kMillivolts                                                                          \
    }

constexpr FieldDesc kIgnFields[] = {
    {"source", "Вход", K::Number, ORVENA_FIELD(IgnitionRecord, source), 0, 1, 0, kInputs},
    LEVEL_FIELDS(IgnitionRecord),
};

constexpr FieldDesc kSosFields[] = {
    {"source", "Вход", K::Number, ORVENA_FIELD(AlarmRecord, source), 0, 1, 0, kInputs},
    LEVEL_FIELDS(AlarmRecord),
    {"level", "Уровень", K::Choice, ORVENA_FIELD(AlarmRecord, level), 0, 0, 0, 0, nullptr, kLevels},
};

constexpr FieldDesc kInFields[] = {
    {"mode", "Режим", K::Choice, ORVENA_FIELD(InputRecord, mode), 0, 0, 0, 0, nullptr, kInputModes,
     FieldTrait::kLowByte},
    {"filter.analog", "Фильтр (аналог.)", K::Number, ORVENA_FIELD(InputRecord, analogFilter), 0, 1, 1, 8},
    LEVEL_FIELDS(InputRecord),
    {"c", "Параметр C", K::Number, ORVENA_FIELD(InputRecord, c), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"d", "Параметр D", K::Number, ORVENA_FIELD(InputRecord, d), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"filter.pulse", "Фильтр (импул.)", K::Number, ORVENA_FIELD(InputRecord, pulseFilter), 0, 3, 1, 250},
    {"e", "Параметр E", K::Number, ORVENA_FIELD(InputRecord, e), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
};
#undef LEVEL_FIELDS

#define THRESHOLD_FIELDS(set, Set, caption, unit)                                                      \
    {#set ".flags",                                                                                    \
     caption ", флаги",                                                                                \
     K::Hex,                                                                                           \
     Inside(ORVENA_FIELD(ThresholdRecord, set), ORVENA_FIELD(Set, flags)),                             \
     0,                                                                                                \
     2},                                                                                               \
        {#set ".lower",                                                                                \
         caption ", нижний",                                                                           \
         K::Number,                                                                                    \
         Inside(ORVENA_FIELD(ThresholdRecord, set), ORVENA_FIELD(Set, lower)),                         \
         0,                                                                                            \
         10,                                                                                           \
         0,                                                                                            \
         0,                                                                                            \
         unit},                                                                                        \
        {#set ".upper",                                                                                \
         caption ", верхний",                                                                          \
         K::Number,                                                                                    \
         Inside(ORVENA_FIELD(ThresholdRecord, set), ORVENA_FIELD(Set, upper)),                         \
         0,                                                                                            \
         10,                                                                                           \
         0,                                                                                            \
         0,                                                                                            \
         unit},                                                                                        \
        {#set ".change",                                                                               \
         caption ", изменение",                                                                        \
         K::Number,                                                                                    \
         Inside(ORVENA_FIELD(ThresholdRecord, set), ORVENA_FIELD(Set, change)),                        \
         0,                                                                                            \
         10,                                                                                           \
         0,                                                                                            \
         0,                                                                                            \
         unit},                                                                                        \
    {                                                                                                  \
#set ".timer", caption ", таймер", K::Number,                                                  \
            Inside(ORVENA_FIELD(ThresholdRecord, set), ORVENA_FIELD(Set, timer)), 0, 5, 0, 0, kSeconds \
    }

constexpr FieldDesc kIntrshdFields[] = {
    THRESHOLD_FIELDS(voltage, ThresholdSet16, "Напряжение", kMillivolts),
    THRESHOLD_FIELDS(frequency, ThresholdSet16, "Частота", "Гц"),
    THRESHOLD_FIELDS(pulses, ThresholdSet32, "Импульсы", nullptr),
};
#undef THRESHOLD_FIELDS

constexpr FieldDesc kOutFields[] = {
    {"mode", "Режим", K::Number, ORVENA_FIELD(OutputRecord, mode), 0, 3, 0, 255},
    {"param0", "Параметр режима 0", K::Number, ORVENA_FIELD(OutputRecord, param0), 0, 3, 0, 255},
    {"param1", "Параметр режима 1", K::Number, ORVENA_FIELD(OutputRecord, param1), 0, 3, 0, 255},
    {"f", "Параметр F", K::Number, ORVENA_FIELD(OutputRecord, f), 0, 3, 0, 255},
    {"g", "Параметр G", K::Number, ORVENA_FIELD(OutputRecord, g), 0, 3, 0, 255},
    {"param2", "Параметр режима 2", K::Number, ORVENA_FIELD(OutputRecord, param2), 0, 3, 0, 255},
};

constexpr FieldPlace SerialValue(int r) {
    return {static_cast<uint16_t>(offsetof(SerialInterfaceRecord, r) + sizeof(int32_t) * static_cast<size_t>(r)),
            sizeof(int32_t), true};
}
constexpr FieldDesc kSerialFields[] = {
    {"r1", "Параметр R1", K::Number, SerialValue(1), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"rate", "Скорость", K::Choice, SerialValue(2), 0, 0, 0, 0, "бит/с", kRates},
    {"r4", "Параметр R4", K::Number, SerialValue(4), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"r3", "Параметр R3", K::Number, SerialValue(3), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
    {"r5", "Параметр R5", K::Number, SerialValue(5), 0, 3, 0, 255, nullptr, {}, FieldTrait::kLowByte},
};

constexpr FieldDesc kLlsFields[] = {
    {"on", "Вкл.", K::Flag, ORVENA_FIELD(FuelSensorRecord, flags), FuelSensorBit::kInUse},
    {"address", "Адрес", K::Number, ORVENA_FIELD(FuelSensorRecord, address), 0, 3, 0, 255},
    {"s", "Параметр S", K::Number, ORVENA_FIELD(FuelSensorRecord, s), 0, 3, 0, 255},
};

constexpr FieldPlace kMsensFlags = ORVENA_FIELD(MotionSensorConfig, flags);
constexpr FieldDesc kMsensFields[] = {
    {"motion.on", "Движение вкл.", K::Flag, kMsensFlags, 0x01},
    {"motion", "Движение", K::Number, ORVENA_FIELD(MotionSensorConfig, motion), 0, 4, 1, 2000, "×16 мг"},
    {"shock.on", "Удар вкл.", K::Flag, kMsensFlags, 0x02},
    {"shock", "Удар", K::Number, ORVENA_FIELD(MotionSensorConfig, shock), 0, 4, 1, 2000, "×16 мг"},
    {"flag2", "Флаг 2", K::Flag, kMsensFlags, 0x04},
    {"flag3", "Флаг 3", K::Flag, kMsensFlags, 0x08},
    {"flag4", "Флаг 4", K::Flag, kMsensFlags, 0x10},
};

constexpr FieldDesc kTiltFields[] = {
    {"on", "Наклон вкл.", K::Flag, ORVENA_FIELD(TiltConfig, flags), 0x01},
    {"angle", "Наклон", K::Number, ORVENA_FIELD(TiltConfig, angle), 0, 2, 1, 90, "°"},
    {"value", "Параметр", K::Number, ORVENA_FIELD(TiltConfig, value), 0, 3},
};

constexpr FieldDesc kTsensFields[] = {
    {"on", "Вкл.", K::Flag, ORVENA_FIELD(TempSensorConfig, flags), 0x01},
    {"lower", "Нижний порог", K::Number, ORVENA_FIELD(TempSensorConfig, lower), 0, 3, kTemperatureMin, kTemperatureMax,
     kCelsius},
    {"upper", "Верхний порог", K::Number, ORVENA_FIELD(TempSensorConfig, upper), 0, 3, kTemperatureMin, kTemperatureMax,
     kCelsius},
};

constexpr FieldDesc kThermoFields[] = {
    {"on", "Вкл.", K::Flag, ORVENA_FIELD(ThermometerRecord, flags), 0x01},
    {"id", "Датчик", K::Identifier, ORVENA_FIELD(ThermometerRecord, id), 0, 12},
    {"v", "Параметр V", K::Number, ORVENA_FIELD(ThermometerRecord, v), 0, 3},
    {"lower", "Нижний порог", K::Number, ORVENA_FIELD(ThermometerRecord, lower), 0, 3, kTemperatureMin, kTemperatureMax,
     kCelsius},
    {"upper", "Верхний порог", K::Number, ORVENA_FIELD(ThermometerRecord, upper), 0, 3, kTemperatureMin,
     kTemperatureMax, kCelsius},
};

constexpr FieldPlace PrsetWord(int set, int word) {
    return {static_cast<uint16_t>(offsetof(ProtocolSetRecord, set) +
                                  sizeof(uint16_t) * static_cast<size_t>(8 * set + word)),
            sizeof(uint16_t), false};
}
#define PRSET_WORDS(set)                                                                                              \
    {"word0", "Слово 0", K::Hex, PrsetWord(set, 0), 0, 4}, {"word1", "Слово 1", K::Hex, PrsetWord(set, 1), 0, 4},     \
        {"word2", "Слово 2", K::Hex, PrsetWord(set, 2), 0, 4}, {"word3", "Слово 3", K::Hex, PrsetWord(set, 3), 0, 4}, \
        {"word4", "Слово 4", K::Hex, PrsetWord(set, 4), 0, 4}, {"word5", "Слово 5", K::Hex, PrsetWord(set, 5), 0, 4}, \
        {"word6", "Слово 6", K::Hex, PrsetWord(set, 6), 0, 4}, {                                                      \
        "word7", "Слово 7", K::Hex, PrsetWord(set, 7), 0, 4                                                           \
    }
constexpr FieldDesc kPrset10Fields[] = {PRSET_WORDS(0)};
constexpr FieldDesc kPrset11Fields[] = {PRSET_WORDS(1)};
#undef PRSET_WORDS

constexpr std::span<const FieldDesc> kNone = {};

}  // namespace

// ---------------------------------------------------------------------------
// Groups

namespace Group {
// clang-format off
constinit const GroupDesc kHwcfg{"HWCFG", "Тип устройства", DI_DEV_TYPE, Cap::Always, kHwcfgFields, kRF};
constinit const GroupDesc kVer{"VER", "Версии", DI_HW_VERSION, Cap::Always, kNone, InSequence::kReadAll};
constinit const GroupDesc kBootVer{"BOOTVER", "Загрузчик", DI_BOOT_VERSION, Cap::Always, kNone, InSequence::kReadAll};
constinit const GroupDesc kDev{"DEV", "Устройство", DI_DEVICE_NAME, Cap::Always, kDevFields, kRWF};
constinit const GroupDesc kPass{"PASS", "Пароль", DI_PASSWORD, Cap::Always, kPassFields, kRF};
constinit const GroupDesc kDate{"DATE", "Дата и время", DI_DEVICE_TIME, Cap::Always, kDateFields, kRW, Members::One, 0, 0, 0,
                      nullptr, nullptr, false, nullptr, Counted::No, GroupAction::StampClock};
constinit const GroupDesc kMode{"MODE", "Режим", DI_MODE, Cap::Always, kModeFields, kRWF};
constinit const GroupDesc kLog{"LOG", "Журнал", DI_LOG, Cap::Always, kLogFields, kRW};
constinit const GroupDesc kRep{"REP", "Отчёт", DI_STATUS_FLAGS, Cap::Always, kNone, InSequence::kReadAll};
constinit const GroupDesc kStatist{"STATIST", "Статистика", DI_STATISTICS, Cap::Always, kNone, InSequence::kReadAll, Members::One, 0, 0,
                         0, kGet};
constinit const GroupDesc kEkey{"EKEY", "Электронный ключ", DI_EKEY, Cap::KeyReader, kNone};
constinit const GroupDesc kGnss{"GNSS", "GNSS", DI_GNSS, Cap::Gnss, kNone, InSequence::kReadAll};
constinit const GroupDesc kGsm{"GSM", "GSM", DI_GSM_STATE, Cap::Gsm, kNone, InSequence::kReadAll};
constinit const GroupDesc kSms{"SMS", "SMS-номер", ItemBase::Sms, Cap::Gsm, kNumberFields, kRWF, Members::Fixed, 1, kPhones, 0,
                     kGet, kSet, true};
constinit const GroupDesc kPhone{"PHONE", "Телефон", ItemBase::Phone, Cap::Gsm, kNumberFields, kRWF, Members::Fixed, 1, kPhones,
                       0, kGet, kSet, true};
constinit const GroupDesc kSims{"SIMS", "SIM-карты", DI_SIM_CONTROL, Cap::Gsm, kSimsFields, kRF};
constinit const GroupDesc kSim1{"SIM1", "SIM 1", DI_APN_1, Cap::Gsm, kNone, InSequence::kReadAll};
constinit const GroupDesc kApn1{"APN1", "APN1", DI_APN_1, Cap::Gsm, kApnFields, kRWF};
constinit const GroupDesc kSim2{"SIM2", "SIM 2", DI_APN_2, Cap::SecondSim, kNone, InSequence::kReadAll};
constinit const GroupDesc kApn2{"APN2", "APN2", DI_APN_2, Cap::SecondSim, kApnFields, kRF};
constinit const GroupDesc kWifi{"WIFI", "WiFi", DI_WIFI_FLAGS, Cap::Wifi, kNone, InSequence::kReadAll};
constinit const GroupDesc kWifiNet{"WIFINET", "Сеть WiFi", ItemBase::WifiNet, Cap::Wifi, kWifiNetFields, kRWF, Members::Fixed, 1,
                         kWifiNets, 1, kGet, kSet, true, nullptr, Counted::WifiNets, GroupAction::None, 2};
constinit const GroupDesc kFilter{"FILTER", "Трек", DI_TRACK_FILTER, Cap::Always, kFilterFields, kRWF};
constinit const GroupDesc kServer{"SERVER", "Сервер", ItemBase::Server, Cap::Always, kServerFields, kRWF, Members::Fixed, 1,
                        kServers, 1, kGet, kSet, true, nullptr, Counted::Servers, GroupAction::ResetWhenNoneCount, 2};
constinit const GroupDesc kIgn{"IGN", "Зажигание", DI_IGN, Cap::Inputs, kIgnFields, kRWF};
constinit const GroupDesc kSos{"SOS", "SOS", DI_SOS, Cap::Inputs, kSosFields, kRWF};
constinit const GroupDesc kIn{"IN", "Вход", ItemBase::Input, Cap::Inputs, kInFields, kRWF, Members::PerInput};
constinit const GroupDesc kIntrshd{"INTRSHD", "Пороги входа", ItemBase::Threshold, Cap::Inputs, kIntrshdFields, kRWF,
                         Members::PerInput};
constinit const GroupDesc kOut{"OUT", "Выход", ItemBase::Output, Cap::Outputs, kOutFields, kRWF, Members::PerOutput};
constinit const GroupDesc kRs232{"RS232", "RS-232", DI_RS232, Cap::Rs232, kSerialFields, kRWF, Members::One, 0, 0, 0, nullptr,
                       nullptr, false, "RS232B"};
constinit const GroupDesc kLls232{kFuelSensorStem, "ДУТ", ItemBase::FuelSensor, Cap::Rs232, kLlsFields, kRWF, Members::Fixed, 0,
                        0, 0, kGet, kSet, true};
constinit const GroupDesc kRs485{"RS485", "RS-485", DI_RS485, Cap::Rs485, kSerialFields, kRWF, Members::One, 0, 0, 0, nullptr,
                       nullptr, false, "RS485A"};
constinit const GroupDesc kLls485{kFuelSensorStem, "ДУТ", ItemBase::FuelSensor, Cap::Rs485, kLlsFields, kRWF, Members::Fixed, 1,
                        kFuelSensors - 1, 0, kGet, kSet, true};
constinit const GroupDesc kMsens{"MSENS", "Акселерометр", DI_MSENS_CONFIG, Cap::Accelerometer, kMsensFields, kRWF, Members::One,
                       0, 0, 0, kGet, kSet};
constinit const GroupDesc kTilt{"TILT", "Наклон", DI_TILT_CONFIG, Cap::Accelerometer, kTiltFields, kRWF, Members::One, 0, 0, 0,
                      kGet, kSet};
constinit const GroupDesc kTsens{"TSENS", "Внутр. терм-р", DI_TSENS_CONFIG, Cap::InternalThermometer, kTsensFields, kRWF,
                       Members::One, 0, 0, 0, kGet, kSet};
constinit const GroupDesc kThermoId{"THERMOID", "Найденные термометры", DI_THERMO_ID_1, Cap::Thermometers, kNone, InSequence::kReadAll};
constinit const GroupDesc kThermo{"THERMO", "Термометр", ItemBase::Thermometer, Cap::Thermometers, kThermoFields, kRWF,
                        Members::PerThermometer, 0, 0, 0, kGet, kSet};
constinit const GroupDesc kPrset10{"PRSET10", "Протокол, набор 1", DI_PRSET_1, Cap::Always, kPrset10Fields, kRWF, Members::One,
                         0, 0, 0, kGet, kSet};
constinit const GroupDesc kPrset11{"PRSET11", "Протокол, набор 2", DI_PRSET_1, Cap::Always, kPrset11Fields, kRWF, Members::One,
                         0, 0, 0, kGet, kSet};
// clang-format on
}  // namespace Group

namespace {

using namespace Group;

const GroupDesc* const kGroups[] = {
    &kHwcfg,  &kVer,     &kBootVer, &kDev,    &kPass,  &kDate,  &kMode,     &kLog,     &kRep,     &kStatist,
    &kEkey,   &kGnss,    &kGsm,     &kSms,    &kPhone, &kSims,  &kSim1,     &kApn1,    &kSim2,    &kApn2,
    &kWifi,   &kWifiNet, &kFilter,  &kServer, &kIgn,   &kSos,   &kIn,       &kIntrshd, &kOut,     &kRs232,
    &kLls232, &kRs485,   &kLls485,  &kMsens,  &kTilt,  &kTsens, &kThermoId, &kThermo,  &kPrset10, &kPrset11,
};

const PollEntry kPollPosition[] = {
    {&kGnss, PollRead::Live, Cap::Always},
};

const PollEntry kPollInfo[] = {
    {&kStatist, PollRead::Config, Cap::Always},   {&kRep, PollRead::Live, Cap::Always},
    {&kEkey, PollRead::Live, Cap::KeyReader},     {&kLls232, PollRead::Live, Cap::Rs232},
    {&kLls485, PollRead::Live, Cap::Rs485},       {&kMsens, PollRead::Live, Cap::Accelerometer},
    {&kTilt, PollRead::Live, Cap::Accelerometer}, {&kTsens, PollRead::Live, Cap::InternalThermometer},
    {&kGnss, PollRead::Live, Cap::Gnss},          {&kGsm, PollRead::Live, Cap::Gsm},
    {&kWifi, PollRead::Live, Cap::Wifi},          {&kIn, PollRead::Stem, Cap::Inputs},
    {&kOut, PollRead::Stem, Cap::Outputs},        {&kThermo, PollRead::Live, Cap::Thermometers},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& ch : out)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

// The number after a family's stem, or -1.
int NumberAfter(std::string_view keyword, std::string_view stem) {
    if (keyword.size() <= stem.size() || keyword.size() > stem.size() + 2 || keyword.substr(0, stem.size()) != stem)
        return -1;
    int n = 0;
    for (char ch : keyword.substr(stem.size())) {
        if (ch < '0' || ch > '9')
            return -1;
        n = n * 10 + (ch - '0');
    }
    return n;
}

bool MemberExists(const GroupDesc& group, int n) {
    if (!group.Family())
        return n == 0;
    const int last = group.members == Members::Fixed       ? group.last
                     : group.members == Members::PerInput  ? kInputs
                     : group.members == Members::PerOutput ? kOutputs
                                                           : kThermometers;
    return n >= FirstMember(group) && n <= last;
}

}  // namespace

std::string GroupRef::Keyword() const {
    return group->Family() ? group->keyword + std::to_string(number) : group->keyword;
}

std::span<const GroupDesc* const> Groups() { return kGroups; }

int GroupIndex(const GroupDesc* group) {
    const auto at = std::find(std::begin(kGroups), std::end(kGroups), group);
    return at == std::end(kGroups) ? -1 : static_cast<int>(at - std::begin(kGroups));
}

int FirstMember(const GroupDesc& group) {
    if (group.members == Members::One)
        return 0;
    return group.members == Members::Fixed ? group.first : 1;
}

int LastMember(const GroupDesc& group, const DeviceTypeRecord& type) {
    switch (group.members) {
    case Members::One: return 0;
    case Members::Fixed: return group.last;
    case Members::PerInput: return Count(type, Cap::Inputs);
    case Members::PerOutput: return Count(type, Cap::Outputs);
    case Members::PerThermometer: return Count(type, Cap::Thermometers);
    }
    return 0;
}

int LastWalkedMember(const GroupDesc& group, const DeviceTypeRecord& type) {
    const int last = LastMember(group, type);
    return group.walked ? std::min(last, FirstMember(group) + group.walked - 1) : last;
}

bool GroupPresent(const GroupDesc& group, const DeviceTypeRecord& type) { return Has(type, group.need); }

std::vector<GroupRef> GroupsIn(const DeviceTypeRecord& type, uint8_t in) {
    std::vector<GroupRef> groups;
    for (const GroupDesc* group : kGroups) {
        if (!(group->in & in) || !GroupPresent(*group, type))
            continue;
        for (int n = FirstMember(*group); n <= LastWalkedMember(*group, type); ++n)
            groups.push_back({group, n});
    }
    return groups;
}

void InRegistryOrder(std::vector<GroupRef>& groups) {
    std::sort(groups.begin(), groups.end(), [](const GroupRef& a, const GroupRef& b) {
        const int ia = GroupIndex(a.group), ib = GroupIndex(b.group);
        return ia != ib ? ia < ib : a.number < b.number;
    });
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());
}

std::optional<GroupRef> GroupOfValue(int item, size_t offset) {
    for (const GroupDesc* group : kGroups) {
        for (const FieldDesc& field : group->fields) {
            const int n = item - (field.item ? field.item : group->item);
            const bool covers = offset >= field.place.offset && offset < size_t{field.place.offset} + field.place.size;
            if (covers && MemberExists(*group, n))
                return GroupRef{group, n};
        }
    }
    return std::nullopt;
}

std::optional<GroupRef> GroupOfItem(int item) {
    for (const GroupDesc* group : kGroups)
        if (!group->fields.empty() && MemberExists(*group, item - group->item))
            return GroupRef{group, item - group->item};
    return std::nullopt;
}

std::optional<GroupRef> FindGroup(std::string_view keyword) {
    const std::string upper = [&] {
        std::string out(keyword);
        for (char& ch : out)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return out;
    }();
    for (const GroupDesc* group : kGroups) {
        if (!group->Family()) {
            if (upper == group->keyword)
                return GroupRef{group, 0};
            continue;
        }
        const int n = NumberAfter(upper, group->keyword);
        if (n >= 0 && MemberExists(*group, n))
            return GroupRef{group, n};
    }
    return std::nullopt;
}

std::span<const PollEntry> PollEntries(PollSet set) {
    switch (set) {
    case PollSet::Position: return kPollPosition;
    case PollSet::Info: return kPollInfo;
    case PollSet::None: break;
    }
    return {};
}

std::string SettingRef::Name() const {
    const std::string prefix = Lower(group.Keyword());
    return field->name[0] ? prefix + "." + field->name : prefix;
}

std::string SettingRef::Caption() const {
    std::string text = group.group->caption;
    if (group.group->Family())
        text += " " + std::to_string(group.number);
    return text + ", " + field->caption;
}

std::optional<SettingRef> FindSetting(std::string_view name) {
    const size_t dot = name.find('.');
    const std::string_view groupName = name.substr(0, dot);
    const std::string_view fieldName = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    const std::optional<GroupRef> group = FindGroup(groupName);
    if (!group)
        return std::nullopt;
    for (const FieldDesc& field : group->group->fields)
        if (fieldName == field.name)
            return SettingRef{*group, &field};
    return std::nullopt;
}

int64_t ReadValue(const void* record, FieldPlace place) {
    uint64_t raw = 0;
    const size_t size = std::min<size_t>(place.size, sizeof raw);
    std::memcpy(&raw, static_cast<const unsigned char*>(record) + place.offset, size);
    if (size < sizeof raw) {
        raw &= (uint64_t{1} << (8 * size)) - 1;
        if (place.isSigned && ((raw >> (8 * size - 1)) & 1))
            raw |= ~((uint64_t{1} << (8 * size)) - 1);
    }
    return static_cast<int64_t>(raw);
}

void WriteValue(void* record, FieldPlace place, int64_t value) {
    const auto raw = static_cast<uint64_t>(value);
    std::memcpy(static_cast<unsigned char*>(record) + place.offset, &raw, std::min<size_t>(place.size, sizeof raw));
}

std::pair<int64_t, int64_t> FieldRange(const FieldDesc& field) {
    if (field.min != field.max)
        return {field.min, field.max};
    if (field.place.size >= 8)
        return {field.place.isSigned ? INT64_MIN : 0, INT64_MAX};
    const int bits = 8 * field.place.size - (field.place.isSigned ? 1 : 0);
    const int64_t top = (int64_t{1} << bits) - 1;
    return {field.place.isSigned ? -top - 1 : 0, top};
}

std::string FieldHint(const FieldDesc& field) {
    const std::string caption = field.caption;
    switch (field.kind) {
    case K::Number:
    case K::NumberText: {
        const auto [lo, hi] = FieldRange(field);
        std::string hint = caption + ": " + std::to_string(lo) + "–" + std::to_string(hi);
        return field.unit ? hint + " " + field.unit : hint;
    }
    case K::Text: return caption + ": не более " + std::to_string(field.width) + " знаков";
    case K::Ip: return caption + ": четыре числа 0–255 через точку";
    case K::Hex: return caption + ": до " + std::to_string(field.width) + " шестнадцатеричных цифр";
    case K::Identifier: return caption + ": 12 шестнадцатеричных цифр";
    case K::Flag:
    case K::Choice: break;
    }
    return caption;
}
