// Identity and system keywords: versions, hardware configuration, identity,
// operating mode, password, device logging, clock, status report, electronic
// key and statistics.
#include "protocol/handlers.h"
#include "protocol/hex.h"
#include "protocol/zramds.h"

#include <cstring>

namespace {

// A "0"/"1" switch field.
enum class Switch { Absent, Off, On, Other };

Switch ReadSwitch(const char* field) {
    if (field[0] == '\0') return Switch::Absent;
    if (std::strcmp(field, "0") == 0) return Switch::Off;
    if (std::strcmp(field, "1") == 0) return Switch::On;
    return Switch::Other;
}

// Field k into a text item of the record, at most maxChars characters.
bool TakeTextItem(const CodecContext& c, int k, int item, size_t maxChars) {
    if (!c.Has(k)) return false;
    char text[FieldTable::kWidth];
    CopyField(text, c.Field(k), maxChars);
    c.data.Set(item, text, sizeof text);
    return true;
}

template <class T> bool TakeNumber(const CodecContext& c, int k, T& dst) {
    if (!c.Has(k)) return false;
    dst = static_cast<T>(ParseDecimal(c.Field(k)));
    return true;
}

// Three pairs of a DDMMYY or HHMMSS field; false when any part is missing,
// not two digits or above its max.
bool ReadTriple(const char* field, const int (&max)[3], uint8_t* (&out)[3]) {
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        parts[i] = DigitPair(field, 2u * i);
        if (parts[i] < 0 || parts[i] > max[i]) return false;
    }
    for (int i = 0; i < 3; ++i) *out[i] = static_cast<uint8_t>(parts[i]);
    return true;
}

// The clock fields shared by DATE and REP: the date is taken when all its
// parts are valid; the time only when all its parts are valid and the date of
// the same reply was not refused. Returns whether anything was stored.
bool TakeClock(const CodecContext& c, int dateField, int timeField) {
    static constexpr int kDateMax[3] = {31, 12, 99};
    static constexpr int kTimeMax[3] = {23, 59, 59};
    DateTime t;
    if (!c.data.Get(DI_DEVICE_TIME, t)) return false;
    bool dateRefused = false;
    bool stored = false;
    if (c.Has(dateField)) {
        uint8_t* date[3] = {&t.day, &t.month, &t.year};
        dateRefused = !ReadTriple(c.Field(dateField), kDateMax, date);
        stored = !dateRefused;
    }
    if (c.Has(timeField) && !dateRefused) {
        uint8_t* time[3] = {&t.hour, &t.minute, &t.second};
        stored = ReadTriple(c.Field(timeField), kTimeMax, time) || stored;
    }
    if (stored) c.data.Set(DI_DEVICE_TIME, t);
    return stored;
}

// Power percentage of a supply: (mV - floor) / span x 100, truncated toward
// zero, within 0..100.
uint8_t Percent(uint16_t millivolts, double floor, double span) {
    const double value = (millivolts - floor) / span * 100.0;
    if (value <= 0.0) return 0;
    if (value >= 100.0) return 100;
    return static_cast<uint8_t>(value);
}

bool TakePower(const CodecContext& c, int k, int item, double floor, double span) {
    if (!c.Has(k)) return false;
    PowerRecord p;
    if (!IsNA(c.Field(k))) {
        p.millivolts = static_cast<uint16_t>(ParseDecimal(c.Field(k)));
        p.percent = Percent(p.millivolts, floor, span);
    }
    c.data.Set(item, p);
    return true;
}

// MCC, MNC, LAC, CID: only as a complete set; any "NA" zeroes all four.
bool TakeCell(const CodecContext& c, int first) {
    bool anyNA = false;
    for (int k = first; k < first + 4; ++k) {
        if (!c.Has(k)) return false;
        anyNA = anyNA || IsNA(c.Field(k));
    }
    CellRecord cell;
    if (!anyNA) {
        cell.mcc = static_cast<uint16_t>(ParseDecimal(c.Field(first)));
        cell.mnc = static_cast<uint16_t>(ParseDecimal(c.Field(first + 1)));
        cell.lac = static_cast<uint16_t>(ParseDecimal(c.Field(first + 2)));
        cell.cid = static_cast<uint16_t>(ParseDecimal(c.Field(first + 3)));
    }
    c.data.Set(DI_CELL, cell);
    return true;
}

void SetTaken(CodecContext& c, bool taken) { c.result = taken ? kCodecOk : kCodecData; }

}  // namespace

void HandleVer(CodecContext& c) {
    if (c.writeMode) {
        c.result = kCodecFormat;
        return;
    }
    TakeTextItem(c, 2, DI_HW_VERSION, 5);
    TakeTextItem(c, 3, DI_FW_VERSION, 5);
    TakeTextItem(c, 4, DI_PLATFORM_VERSION, 5);
    TakeTextItem(c, 5, DI_FW_DATE, 8);
    c.result = kCodecDone;
}

void HandleBootVer(CodecContext& c) {
    if (c.writeMode) {
        c.result = kCodecFormat;
        return;
    }
    TakeTextItem(c, 1, DI_BOOT_VERSION, 5);
    TakeTextItem(c, 2, DI_BOOT_DATE, 8);
    c.result = kCodecDone;
}

void HandleHwcfg(CodecContext& c) {
    DeviceTypeRecord type;
    if (c.writeMode) {
        if (!c.data.Get(DI_DEV_TYPE, type)) return;
        c.out.Field("%d", type.type & 0xFF);
        c.result = kCodecDone;
        return;
    }
    bool taken = false;
    // Type numbers whose low byte is above 101 are not device types.
    constexpr int kHighestType = 101;
    const auto number = static_cast<uint8_t>(ParseDecimal(c.Field(1)));
    if (c.Has(1) && number <= kHighestType) {
        const ModelRow& row = LookupModel(number);
        c.data.Set(DI_DEV_TYPE, row.caps);
        c.data.Set(DI_MODEL_NAME, row.modelCode, std::strlen(row.modelCode) + 1);
        taken = true;
    }
    taken = TakeTextItem(c, 2, DI_SERIAL, 16) || taken;
    SetTaken(c, taken);
}

void HandleDev(CodecContext& c) {
    if (c.writeMode) {
        char name[9];
        char id[9];
        if (!c.data.Get(DI_DEVICE_NAME, name) || !c.data.Get(DI_DEVICE_ID, id)) return;
        c.out.TextField(name, 8);
        c.out.TextField(id, 8);
        c.result = kCodecDone;
        return;
    }
    const bool name = TakeTextItem(c, 1, DI_DEVICE_NAME, 8);
    const bool id = TakeTextItem(c, 2, DI_DEVICE_ID, 8);
    SetTaken(c, name || id);
}

void HandleMode(CodecContext& c) {
    int32_t mode = 0;
    if (c.writeMode) {
        if (!c.data.Get(DI_MODE, mode)) return;
        c.out.Field("%d", mode & 0xFF);
        c.result = kCodecDone;
        return;
    }
    bool taken = false;
    const auto value = static_cast<uint8_t>(ParseDecimal(c.Field(1)));
    if (c.Has(1) && InRange(value, 1, 6)) {
        mode = value;
        c.data.Set(DI_MODE, mode);
        taken = true;
    }
    if (c.Has(2)) {
        const auto flags = static_cast<uint16_t>(ParseHex(c.Field(2)));
        c.data.Set(DI_STATUS_FLAGS, flags);
        taken = true;
    }
    SetTaken(c, taken);
}

void HandlePass(CodecContext& c) {
    PasswordRecord p;
    if (!c.data.Get(DI_PASSWORD, p)) return;
    constexpr size_t kMax = sizeof p.current - 1;
    if (c.writeMode) {
        c.out.TextField(p.current, kMax);
        if (p.next[0] != '\0') {
            c.out.TextField(p.next, kMax);
            c.out.TextField(p.next, kMax);
        } else {
            c.out.EmptyField();
            c.out.EmptyField();
        }
        c.out.Field("%1d", (p.flags >> 1) & 1);
        c.result = kCodecDone;
        return;
    }
    bool taken = false;
    if (c.Has(1)) {
        CopyField(p.current, c.Field(1), kMax);
        taken = true;
    }
    const Switch protection = ReadSwitch(c.Field(2));
    if (protection == Switch::Off || protection == Switch::On) {
        SetBits(p.flags, 0x3u, protection == Switch::On);
        taken = true;
    }
    if (taken) c.data.Set(DI_PASSWORD, p);
    SetTaken(c, taken);
}

void HandleLog(CodecContext& c) {
    uint8_t log = 0;
    if (!c.data.Get(DI_LOG, log)) return;
    if (c.writeMode) {
        c.out.Field("%d", (log >> 1) & 0x3F);
        c.out.Field("%1d", log & 1);
        c.result = kCodecDone;
        return;
    }
    constexpr int kHighestSource = 34;
    bool taken = false;
    const auto source = static_cast<uint8_t>(ParseDecimal(c.Field(1)));
    if (c.Has(1) && source <= kHighestSource) {
        log = static_cast<uint8_t>((log & 0x81) | (source << 1));
        taken = true;
    }
    const Switch on = ReadSwitch(c.Field(2));
    if (on == Switch::Off || on == Switch::On) {
        SetBits(log, 1u, on == Switch::On);
        taken = true;
    }
    if (taken) c.data.Set(DI_LOG, log);
    SetTaken(c, taken);
}

namespace {

void BuildDate(CodecContext& c) {
    DateTime t;
    DateOptions o;
    if (!c.data.Get(DI_DEVICE_TIME, t) || !c.data.Get(DI_DATE_OPTIONS, o)) return;
    c.out.Field("%02d%02d%02d", t.day, t.month, t.year);
    c.out.Field("%02d%02d%02d", t.hour, t.minute, t.second);
    c.out.Field("%+d", o.zone);
    c.out.Field("%d", (o.flags >> 1) & 1);
    c.out.Field("%d", o.flags & 1);
    c.out.Field("%d", (o.flags >> 2) & 1);
    c.result = kCodecDone;
}

// Fields 3 to 6: zone and flag bits 1, 0, 2. An accepted field marks the
// options changed; a flag field with any other value clears the mark, so the
// options are stored only when the last flag field present was valid.
bool TakeDateOptions(const CodecContext& c) {
    DateOptions o;
    if (!c.data.Get(DI_DATE_OPTIONS, o)) return false;
    bool changed = false;
    if (c.Has(3)) {
        const long long zone = ParseDecimal(c.Field(3));
        if (InRange(zone, -12, 14)) {
            o.zone = static_cast<int8_t>(zone);
            changed = true;
        }
    }
    static constexpr int kFlagBits[] = {1, 0, 2};  // fields 4, 5, 6
    for (int i = 0; i < 3; ++i) {
        const Switch s = ReadSwitch(c.Field(4 + i));
        if (s == Switch::Absent) continue;
        changed = (s != Switch::Other);
        if (changed) SetBits(o.flags, 1u << kFlagBits[i], s == Switch::On);
    }
    if (changed) c.data.Set(DI_DATE_OPTIONS, o);
    return changed;
}

}  // namespace

void HandleDate(CodecContext& c) {
    if (c.writeMode) return BuildDate(c);
    const bool clock = TakeClock(c, 1, 2);
    const bool options = TakeDateOptions(c);
    SetTaken(c, clock || options);
}

void HandleRep(CodecContext& c) {
    if (c.writeMode) {
        c.result = kCodecData;
        return;
    }
    bool taken = TakeTextItem(c, 1, DI_DEVICE_NAME, 8);
    if (c.Has(2)) {
        const auto flags = static_cast<uint16_t>(ParseHex(c.Field(2)));
        c.data.Set(DI_STATUS_FLAGS, flags);
        taken = true;
    }
    taken = TakeClock(c, 3, 4) || taken;
    taken = TakeCell(c, 13) || taken;
    taken = TakePower(c, 17, DI_EXT_POWER, 0.0, 14000.0) || taken;
    taken = TakePower(c, 18, DI_BATTERY, 3400.0, 650.0) || taken;
    taken = TakePower(c, 19, DI_AUX_POWER, 10600.0, 2500.0) || taken;
    SetTaken(c, taken);
}

void HandleEkey(CodecContext& c) {
    if (c.writeMode || !c.Has(1)) {
        c.result = kCodecData;
        return;
    }
    const uint64_t key = HexToU64(c.Field(1));
    c.data.Set(DI_EKEY, key);
    c.result = kCodecOk;
}

namespace {

// Only the two reset actions are written; the line ends after the subcommand.
void BuildStatist(CodecContext& c) {
    c.result = kCodecData;
    if (c.fileMode) return;
    if (c.SubIs("RESETALL")) {
        if (c.out.LastChar() == ';') c.out.DropLast();
        c.result = kCodecDone;
    } else if (c.SubIs("RESET")) {
        c.result = kCodecDone;
    }
}

}  // namespace

void HandleStatist(CodecContext& c) {
    if (c.writeMode) return BuildStatist(c);
    StatisticsRecord s;
    if (!c.data.Get(DI_STATISTICS, s)) return;
    // The reply carries idle before moving.
    bool taken = false;
    taken = TakeNumber(c, 1, s.deviceOn) || taken;
    taken = TakeNumber(c, 2, s.engineOn) || taken;
    taken = TakeNumber(c, 3, s.idle) || taken;
    taken = TakeNumber(c, 4, s.moving) || taken;
    taken = TakeNumber(c, 5, s.distance) || taken;
    if (c.SubIs("GET")) {
        taken = TakeNumber(c, 6, s.s5) || taken;
        taken = TakeNumber(c, 7, s.averageSpeed) || taken;
        taken = TakeNumber(c, 8, s.s7) || taken;
        taken = TakeNumber(c, 9, s.s8) || taken;
        taken = TakeNumber(c, 10, s.s9) || taken;
        taken = TakeNumber(c, 11, s.s10) || taken;
        taken = TakeNumber(c, 12, s.s11) || taken;
    }
    if (taken) c.data.Set(DI_STATISTICS, s);
    SetTaken(c, taken);
}
