// Network keywords: GNSS, GSM modem and SIM cards, access points, phone and
// SMS numbers, ring and audio, WiFi and its networks, servers, track filter.
#include "protocol/fieldtable.h"
#include "protocol/handlers.h"
#include "protocol/zramds.h"

#include <charconv>
#include <cstring>

namespace {

constexpr uint8_t kGnssFixBit = 0x04;

// Read-only keywords cannot be built for writing.
bool RefuseWrite(CodecContext& c) {
    if (!c.writeMode)
        return false;
    c.result = kCodecData;
    return true;
}

// True when the keyword carries nothing after its stem (the whole family).
bool NoIndex(const CodecContext& c, size_t stemLength) { return std::strlen(c.keyword) <= stemLength; }

// Index after the stem when it lies in 1..count, else -1.
int IndexInRange(const CodecContext& c, size_t stemLength, int count) {
    const int n = c.Number(stemLength);
    return InRange(n, 1, count) ? n : -1;
}

// ---------------------------------------------------------------------------
// GNSS

// Fixed-position digits of a field: count characters from position from
// (0-based), fewer when the field is shorter.
long long Slice(const char* field, size_t from, size_t count) {
    char part[8] = {};
    const size_t length = std::strlen(field);
    if (from >= length || count >= sizeof part)
        return 0;
    std::memcpy(part, field + from, (length - from < count) ? length - from : count);
    return ParseDecimal(part);
}

// DDMMYY or HHMMSS: each pair is taken only when both its characters are digits.
void TakePairs(const char* field, uint8_t* const (&parts)[3]) {
    for (size_t i = 0; i < 3; ++i) {
        const int pair = DigitPair(field, 2 * i);
        if (pair >= 0)
            *parts[i] = static_cast<uint8_t>(pair);
    }
}

// Latitude DDMM.FFFF (2 degree digits) or longitude DDDMM.FFFF (3); a missing
// or "NA" value or hemisphere gives zero and the fallback hemisphere.
void TakeCoordinate(Coordinate& coord, const char* value, const char* hemisphere, size_t degreeDigits, char fallback) {
    if (value[0] == '\0' || hemisphere[0] == '\0' || IsNA(value) || IsNA(hemisphere)) {
        coord = Coordinate{0, 0, 0, fallback};
        return;
    }
    coord.degrees = static_cast<uint8_t>(Slice(value, 0, degreeDigits));
    coord.minutes = static_cast<uint8_t>(Slice(value, degreeDigits, 2));
    coord.fraction = static_cast<uint16_t>(Slice(value, degreeDigits + 3, 4));
    coord.hemisphere = hemisphere[0];
}

// Decimal number or "NA" (zero); an empty field keeps the value.
template <class T> void TakeDecimalOrNA(const CodecContext& c, int k, T& dst) {
    if (IsNA(c.Field(k)))
        dst = 0;
    else
        TakeDecimal(c, k, dst);
}

// Decimal fraction, independent of the process locale; "NA" gives zero, an
// empty field keeps the value.
void TakeFraction(const CodecContext& c, int k, float& dst) {
    const char* field = c.Field(k);
    if (IsNA(field)) {
        dst = 0;
        return;
    }
    if (field[0] == '\0')
        return;
    float value = 0;
    const char* begin = field[0] == '+' ? field + 1 : field;
    std::from_chars(begin, field + std::strlen(field), value);
    dst = value;
}

void TakeFix(GnssRecord& g, const char* field) {
    if (field[0] == '\0')
        return;
    g.fix = IsNA(field) ? '0' : field[0];
    SetBits(g.state, kGnssFixBit, g.fix != '0');
}

// ---------------------------------------------------------------------------
// Phone and SMS numbers

constexpr size_t kNumberChars = 15;

void HandleNumber(CodecContext& c, size_t stemLength, int itemBase) {
    if (c.writeMode && NoIndex(c, stemLength)) {
        c.result = c.SubIs("DEL") ? kCodecDone : kCodecUnknown;
        return;
    }
    if (!c.writeMode && NoIndex(c, stemLength)) {
        c.result = kCodecOk;  // the answer to a plain family read carries nothing to keep
        return;
    }
    const int n = IndexInRange(c, stemLength, kPhones);
    if (n < 0) {
        c.result = c.writeMode ? kCodecUnknown : kCodecData;
        return;
    }
    char number[16] = {};
    if (c.writeMode) {
        if (c.SubIs("SET")) {
            c.data.Get(itemBase + n, number);
            c.out.TextField(number[0] != '\0' ? number : "NA", kNumberChars);
            c.result = kCodecDone;
        } else if (c.SubIs("DEL")) {
            c.result = kCodecDone;
        }
        return;  // any other subcommand builds nothing
    }
    if (!c.SubIs("GET") || !c.Has(1)) {
        c.result = kCodecData;
        return;
    }
    // "NA" stands for an empty number both ways.
    if (!IsNA(c.Field(1)))
        TakeText(c, 1, number, kNumberChars);
    c.data.Set(itemBase + n, number);
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// SIM cards and access points

void HandleSimStatus(CodecContext& c, int item) {
    if (RefuseWrite(c))
        return;
    AccessPointRecord ap;
    c.data.Get(item, ap);
    TakeText(c, 10, ap.simString);
    TakeText(c, 11, ap.serviceCode);
    TakeText(c, 12, ap.balanceCode);
    c.data.Set(item, ap);
    c.result = kCodecOk;
}

void HandleAccessPoint(CodecContext& c, const GroupDesc& group) {
    AccessPointRecord ap;
    c.data.Get(group.item, ap);
    if (c.writeMode) {
        BuildFields(c, group.fields, ap);
        c.result = kCodecDone;
        return;
    }
    ParseFields(c, group.fields, ap);
    c.data.Set(group.item, ap);
    c.result = kCodecOk;
}

void HandleBytePair(CodecContext& c, int item) {
    if (RefuseWrite(c))
        return;
    BytePair pair;
    c.data.Get(item, pair);
    TakeDecimal(c, 1, pair.first);
    TakeDecimal(c, 2, pair.second);
    c.data.Set(item, pair);
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// WiFi networks

// Where the address fields of a network sit: the device's reply carries one
// field for mask and gateway, the settings file keeps all five apart.
struct AddressLayout {
    int ip, mask, gateway, dns1, dns2;
};
constexpr AddressLayout kReplyAddresses{7, 8, 8, 9, 10};
constexpr AddressLayout kFileAddresses{7, 8, 9, 10, 11};
constexpr size_t kAddressChars = 15;

void BuildWifiNetwork(CodecContext& c, const WifiNetworkRecord& w) {
    c.out.Field("%d", w.n1);
    c.out.TextField(w.ssid, sizeof w.ssid - 1);
    c.out.Field("%d", static_cast<uint8_t>(w.n2));
    c.out.Field("%d", w.n3);
    c.out.TextField(w.key, sizeof w.key - 1);
    c.out.Field("%d", w.n4);
    for (const char* address : {w.ip, w.mask, w.gateway, w.dns1, w.dns2})
        c.out.TextField(address, kAddressChars);
    c.result = kCodecDone;
}

void ParseWifiNetwork(CodecContext& c, WifiNetworkRecord& w) {
    TakeDecimal(c, 1, w.n1);
    TakeText(c, 2, w.ssid);
    TakeDecimal(c, 3, w.n2);
    TakeDecimal(c, 4, w.n3);
    TakeText(c, 5, w.key);
    TakeDecimal(c, 6, w.n4);
    const AddressLayout& at = c.fileMode ? kFileAddresses : kReplyAddresses;
    TakeText(c, at.ip, w.ip);
    TakeText(c, at.mask, w.mask);
    TakeText(c, at.gateway, w.gateway);
    TakeText(c, at.dns1, w.dns1);
    TakeText(c, at.dns2, w.dns2);
    w.flags |= 1;  // received
}

// The count of slots arrives in field 2 of the answer to a plain family read.
void TakeSlotCount(CodecContext& c, int item) {
    uint8_t count = 0;
    c.data.Get(item, count);
    TakeDecimal(c, 2, count);
    c.data.Set(item, count);
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// Servers

void BuildServer(CodecContext& c, const ServerRecord& s) {
    c.out.Field("%02x", static_cast<unsigned>(s.flags));
    c.out.Field("%02x", static_cast<unsigned>(s.protocol));
    c.out.TextField(s.ip, 15);
    c.out.TextField(s.port, 5);
    c.out.TextField(s.login, 15);
    c.out.TextField(s.password, 15);
    c.out.Field("%d;%d;%d;%d", s.p1, s.p2, s.p3, s.p4);
    c.out.Field("%d;%d;%d", static_cast<uint8_t>(s.p5), static_cast<uint8_t>(s.p6), static_cast<uint8_t>(s.p7));
    c.out.TextField(s.lastOn == 1 ? "1" : "0", 1);
    c.result = kCodecDone;
}

// Absent fields fall back to the defaults, not to the stored values.
ServerRecord ParseServer(const CodecContext& c) {
    ServerRecord s;
    TakeHex(c, 1, s.flags);
    TakeHex(c, 2, s.protocol);
    TakeText(c, 3, s.ip, 15);
    TakeText(c, 4, s.port, 5);
    TakeText(c, 5, s.login, 15);
    TakeText(c, 6, s.password, 15);
    TakeDecimal(c, 7, s.p1);
    TakeDecimal(c, 8, s.p2);
    TakeDecimal(c, 9, s.p3);
    TakeDecimal(c, 10, s.p4);
    TakeDecimal(c, 11, s.p5);
    TakeDecimal(c, 12, s.p6);
    TakeDecimal(c, 13, s.p7);
    // The device's reply has no on/off flag; the settings file keeps it last.
    long long on = 0;
    if (c.fileMode && TakeDecimal(c, 14, on))
        s.lastOn = on == 1 ? 1 : 0;
    return s;
}

// ---------------------------------------------------------------------------
// Track filter

constexpr uint16_t kDistanceBit = 1u << 1;
constexpr uint16_t kAngleBit = 1u << 2;
constexpr uint16_t kSpeedBit = 1u << 3;
constexpr uint16_t kFourthBit = 1u << 4;

// An "enable,value" pair; empty or over-long parts keep the stored value.
template <class T> void TakeFilterPair(const CodecContext& c, int k, uint16_t& flags, uint16_t bit, T& value) {
    const CommaList pair(c.Field(k));
    long long enable = 0;
    if (TakeDecimal(pair.Part(0), enable))
        SetBits(flags, bit, enable != 0);
    TakeDecimal(pair.Part(1), value);
}

void BuildFilterPair(CodecContext& c, uint16_t flags, uint16_t bit, int value) {
    c.out.Field("%d,%d", (flags & bit) ? 1 : 0, value);
}

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

void HandleGnss(CodecContext& c) {
    if (RefuseWrite(c))
        return;
    GnssRecord g;
    c.data.Get(DI_GNSS, g);
    TakePairs(c.Field(1), {&g.time.day, &g.time.month, &g.time.year});
    TakePairs(c.Field(2), {&g.time.hour, &g.time.minute, &g.time.second});
    TakeCoordinate(g.latitude, c.Field(3), c.Field(4), 2, 'N');
    TakeCoordinate(g.longitude, c.Field(5), c.Field(6), 3, 'E');
    TakeDecimalOrNA(c, 7, g.altitude);
    TakeFix(g, c.Field(8));
    TakeDecimalOrNA(c, 9, g.speed);
    TakeDecimalOrNA(c, 10, g.course);
    TakeDecimalOrNA(c, 11, g.satellites);
    TakeFraction(c, 12, g.hdop);
    c.data.Set(DI_GNSS, g);
    c.result = kCodecOk;
}

void HandleGsm(CodecContext& c) {
    if (RefuseWrite(c))
        return;
    // Field 1 (modem state bits) and field 4 (MCC and MNC run together) are not kept.
    TakeItem<uint8_t>(c, 2, DI_GSM_STATE, TakeHex);
    TakeTextItem(c, 3, DI_IMEI, 15);
    TakeItem<uint8_t>(c, 5, DI_RSSI, TakeDecimal);
    TakeItem<int16_t>(c, 6, DI_BALANCE, TakeDecimal);
    TakeCell(c, 7);
    c.result = kCodecOk;
}

void HandlePhone(CodecContext& c) { HandleNumber(c, 5, ItemBase::Phone); }
void HandleSms(CodecContext& c) { HandleNumber(c, 3, ItemBase::Sms); }

void HandleRing(CodecContext& c) { HandleBytePair(c, DI_RING); }
void HandleAudio(CodecContext& c) { HandleBytePair(c, DI_AUDIO); }

void HandleSims(CodecContext& c) {
    int32_t use = 0;
    c.data.Get(DI_SIM_CONTROL, use);
    if (c.writeMode) {
        c.out.Field("%d", use);
        c.result = kCodecDone;
        return;
    }
    // The device reports the SIM use in field 3 (hexadecimal) among state
    // bits; the settings file keeps it as the write form's only field.
    if (c.fileMode)
        TakeDecimal(c, 1, use);
    else
        TakeHex(c, 3, use);
    c.data.Set(DI_SIM_CONTROL, use);
    c.result = kCodecOk;
}

void HandleSim1(CodecContext& c) { HandleSimStatus(c, DI_APN_1); }
void HandleSim2(CodecContext& c) { HandleSimStatus(c, DI_APN_2); }
void HandleApn1(CodecContext& c) { HandleAccessPoint(c, Group::kApn1); }
void HandleApn2(CodecContext& c) { HandleAccessPoint(c, Group::kApn2); }

void HandleWifi(CodecContext& c) {
    if (RefuseWrite(c))
        return;
    // Field 1 (state bits) and field 2 are not kept.
    TakeItem<uint8_t>(c, 3, DI_WIFI_FLAGS, TakeHex);
    TakeTextItem(c, 4, DI_WIFI_MAC, 17);
    TakeItem<uint8_t>(c, 5, DI_WIFI_VALUE, TakeDecimal);
    c.result = kCodecOk;
}

void HandleWifinet(CodecContext& c) {
    constexpr size_t kStem = 7;
    if (NoIndex(c, kStem)) {
        if (c.writeMode)
            c.result = c.SubIs("DEL") ? kCodecDone : kCodecUnknown;
        else
            TakeSlotCount(c, DI_WIFINET_COUNT);
        return;
    }
    const int n = IndexInRange(c, kStem, kWifiNets);
    // With an index the fields follow the subcommand; "DEL" ends the line.
    if (n < 0 || (c.writeMode && c.SubIs("DEL"))) {
        c.result = c.writeMode ? kCodecUnknown : kCodecData;
        return;
    }
    WifiNetworkRecord w;
    c.data.Get(ItemBase::WifiNet + n, w);
    if (c.writeMode) {
        BuildWifiNetwork(c, w);
        return;
    }
    ParseWifiNetwork(c, w);
    c.data.Set(ItemBase::WifiNet + n, w);
    c.result = kCodecOk;
}

void HandleServer(CodecContext& c) {
    constexpr size_t kStem = 6;
    const bool whole = NoIndex(c, kStem);
    const int n = IndexInRange(c, kStem, kServers);
    if (c.writeMode) {
        if (!whole && n < 0)
            c.result = kCodecUnknown;
        else if (c.SubIs("DEL"))
            c.result = kCodecDone;
        else if (!whole && c.SubIs("SET")) {
            ServerRecord s;
            c.data.Get(ItemBase::Server + n, s);
            BuildServer(c, s);
        } else
            c.result = kCodecUnknown;
        return;
    }
    if (whole) {
        TakeSlotCount(c, DI_SERVER_COUNT);
        return;
    }
    if (n < 0 || !c.SubIs("GET")) {
        c.result = kCodecData;
        return;
    }
    c.data.Set(ItemBase::Server + n, ParseServer(c));
    c.result = kCodecOk;
}

void HandleFilter(CodecContext& c) {
    TrackFilterRecord f;
    c.data.Get(DI_TRACK_FILTER, f);
    if (c.writeMode) {
        BuildFilterPair(c, f.flags, kDistanceBit, f.distance);
        BuildFilterPair(c, f.flags, kAngleBit, f.angle);
        BuildFilterPair(c, f.flags, kSpeedBit, f.minSpeed);
        BuildFilterPair(c, f.flags, kFourthBit, f.fourth);
        c.out.Field("%d;%d;%d", f.w, f.timeMoving, f.timeRest);
        c.result = kCodecDone;
        return;
    }
    TakeFilterPair(c, 1, f.flags, kDistanceBit, f.distance);
    TakeFilterPair(c, 2, f.flags, kAngleBit, f.angle);
    TakeFilterPair(c, 3, f.flags, kSpeedBit, f.minSpeed);
    TakeFilterPair(c, 4, f.flags, kFourthBit, f.fourth);
    TakeDecimal(c, 5, f.w);
    TakeDecimal(c, 6, f.timeMoving);
    TakeDecimal(c, 7, f.timeRest);
    c.data.Set(DI_TRACK_FILTER, f);
    c.result = kCodecOk;
}
