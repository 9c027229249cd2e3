// Identity and system keywords: versions, hardware configuration, identity,
// operating mode, password, device logging, clock, status report, electronic
// key and statistics.
#include "model/registry.h"
#include "protocol/handlers.h"
#include "protocol/zramds.h"

#include <cstring>

namespace {

// Three pairs of a DDMMYY or HHMMSS field; false when any part is missing,
// not two digits or above its max.
bool ReadTriple(const char* field, const int (&max)[3], uint8_t* (&out)[3]) {
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        parts[i] = DigitPair(field, 2u * i);
        if (parts[i] < 0 || parts[i] > max[i])
            return false;
    }
    for (int i = 0; i < 3; ++i)
        *out[i] = static_cast<uint8_t>(parts[i]);
    return true;
}

// The clock fields shared by DATE and REP: the date is taken when all its
// parts are valid; the time only when all its parts are valid and the date of
// the same reply was not refused. Returns whether anything was stored.
bool TakeClock(const CodecContext& c, int dateField, int timeField) {
    static constexpr int kDateMax[3] = {31, 12, 99};
    static constexpr int kTimeMax[3] = {23, 59, 59};
    DateTime t;
    if (!c.data.Get(DI_DEVICE_TIME, t))
        return false;
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
    if (stored)
        c.data.Set(DI_DEVICE_TIME, t);
    return stored;
}

// Power percentage of a supply: (mV - floor) / span x 100, truncated toward
// zero, within 0..100.
uint8_t Percent(uint16_t millivolts, double floor, double span) {
    const double value = (millivolts - floor) / span * 100.0;
    if (value <= 0.0)
        return 0;
    if (value >= 100.0)
        return 100;
    return static_cast<uint8_t>(value);
}

bool TakePower(const CodecContext& c, int k, int item, double floor, double span) {
    if (!c.Has(k))
        return false;
    PowerRecord p;
    if (!IsNA(c.Field(k))) {
        TakeDecimal(c, k, p.millivolts);
        p.percent = Percent(p.millivolts, floor, span);
    }
    c.data.Set(item, p);
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
        if (!c.data.Get(DI_DEV_TYPE, type))
            return;
        c.out.Field("%d", type.type & 0xFF);
        c.result = kCodecDone;
        return;
    }
    bool taken = false;
    // Type numbers whose low byte is above 101 are not device types.
    constexpr int kHighestType = 101;
    uint8_t number = 0;
    if (TakeDecimal(c, 1, number) && number <= kHighestType) {
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
        if (!c.data.Get(DI_DEVICE_NAME, name) || !c.data.Get(DI_DEVICE_ID, id))
            return;
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
        if (!c.data.Get(DI_MODE, mode))
            return;
        c.out.Field("%d", mode & 0xFF);
        c.result = kCodecDone;
        return;
    }
    // A mode outside the registry's range refuses the whole reply: the read of
    // the group failed, and the record keeps the mode the user saw.
    const auto [lowest, highest] = FieldRange(Group::kMode.fields[0]);
    uint8_t value = 0;
    if (TakeDecimal(c, 1, value) && !InRange(value, lowest, highest)) {
        c.result = kCodecData;
        return;
    }
    bool taken = false;
    if (c.Has(1)) {
        mode = value;
        c.data.Set(DI_MODE, mode);
        taken = true;
    }
    taken = TakeItem<uint16_t>(c, 2, DI_STATUS_FLAGS, TakeHex) || taken;
    SetTaken(c, taken);
}

void HandlePass(CodecContext& c) {
    PasswordRecord p;
    if (!c.data.Get(DI_PASSWORD, p))
        return;
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
        c.out.Field("%1d", (p.flags & PasswordFlag::kWanted) ? 1 : 0);
        c.result = kCodecDone;
        return;
    }
    bool taken = TakeText(c, 1, p.current, kMax);
    // The protection switch puts it in force and wanted together.
    taken = TakeSwitch(c, 2, p.flags, PasswordFlag::kBoth) || taken;
    // A file line is the write form: its last field is the wanted bit, which a
    // file read back must keep, or every save would reset it.
    if (c.fileMode)
        taken = TakeSwitch(c, 4, p.flags, PasswordFlag::kWanted) || taken;
    if (taken)
        c.data.Set(DI_PASSWORD, p);
    SetTaken(c, taken);
}

void HandleLog(CodecContext& c) {
    uint8_t log = 0;
    if (!c.data.Get(DI_LOG, log))
        return;
    if (c.writeMode) {
        c.out.Field("%d", (log >> 1) & 0x3F);
        c.out.Field("%1d", log & 1);
        c.result = kCodecDone;
        return;
    }
    constexpr int kHighestSource = 34;
    bool taken = false;
    uint8_t source = 0;
    if (TakeDecimal(c, 1, source) && source <= kHighestSource) {
        log = static_cast<uint8_t>((log & 0x81) | (source << 1));
        taken = true;
    }
    taken = TakeSwitch(c, 2, log, 1u) || taken;
    if (taken)
        c.data.Set(DI_LOG, log);
    SetTaken(c, taken);
}

namespace {

void BuildDate(CodecContext& c) {
    DateTime t;
    DateOptions o;
    if (!c.data.Get(DI_DEVICE_TIME, t) || !c.data.Get(DI_DATE_OPTIONS, o))
        return;
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
    if (!c.data.Get(DI_DATE_OPTIONS, o))
        return false;
    bool changed = false;
    long long zone = 0;
    if (TakeDecimal(c, 3, zone) && InRange(zone, -12, 14)) {
        o.zone = static_cast<int8_t>(zone);
        changed = true;
    }
    static constexpr int kFlagBits[] = {1, 0, 2};  // fields 4, 5, 6
    for (int i = 0; i < 3; ++i) {
        if (c.Has(4 + i))
            changed = TakeSwitch(c, 4 + i, o.flags, 1u << kFlagBits[i]);
    }
    if (changed)
        c.data.Set(DI_DATE_OPTIONS, o);
    return changed;
}

}  // namespace

void HandleDate(CodecContext& c) {
    if (c.writeMode)
        return BuildDate(c);
    const bool clock = TakeClock(c, 1, 2);
    const bool options = TakeDateOptions(c);
    SetTaken(c, clock || options);
}

bool TakeCell(const CodecContext& c, int first) {
    bool anyNA = false;
    for (int k = first; k < first + 4; ++k) {
        if (!c.Has(k))
            return false;
        anyNA = anyNA || IsNA(c.Field(k));
    }
    CellRecord cell;
    if (!anyNA) {
        TakeDecimal(c, first, cell.mcc);
        TakeDecimal(c, first + 1, cell.mnc);
        TakeDecimal(c, first + 2, cell.lac);
        TakeDecimal(c, first + 3, cell.cid);
    }
    c.data.Set(DI_CELL, cell);
    return true;
}

void HandleRep(CodecContext& c) {
    if (c.writeMode) {
        c.result = kCodecData;
        return;
    }
    bool taken = TakeTextItem(c, 1, DI_DEVICE_NAME, 8);
    taken = TakeItem<uint16_t>(c, 2, DI_STATUS_FLAGS, TakeHex) || taken;
    taken = TakeClock(c, 3, 4) || taken;
    taken = TakeCell(c, 13) || taken;
    taken = TakePower(c, 17, DI_EXT_POWER, 0.0, 14000.0) || taken;
    taken = TakePower(c, 18, DI_BATTERY, 3400.0, 650.0) || taken;
    taken = TakePower(c, 19, DI_AUX_POWER, 10600.0, 2500.0) || taken;
    SetTaken(c, taken);
}

void HandleEkey(CodecContext& c) {
    uint64_t key = 0;
    if (c.writeMode || !TakeId(c, 1, key)) {
        c.result = kCodecData;
        return;
    }
    c.data.Set(DI_EKEY, key);
    c.result = kCodecOk;
}

namespace {

// Only the two reset actions are written; the line ends after the subcommand.
void BuildStatist(CodecContext& c) {
    c.result = kCodecData;
    if (c.fileMode)
        return;
    if (c.SubIs("RESETALL")) {
        if (c.out.LastChar() == ';')
            c.out.DropLast();
        c.result = kCodecDone;
    } else if (c.SubIs("RESET")) {
        c.result = kCodecDone;
    }
}

}  // namespace

void HandleStatist(CodecContext& c) {
    if (c.writeMode)
        return BuildStatist(c);
    StatisticsRecord s;
    if (!c.data.Get(DI_STATISTICS, s))
        return;
    // The reply carries idle before moving.
    bool taken = false;
    taken = TakeDecimal(c, 1, s.deviceOn) || taken;
    taken = TakeDecimal(c, 2, s.engineOn) || taken;
    taken = TakeDecimal(c, 3, s.idle) || taken;
    taken = TakeDecimal(c, 4, s.moving) || taken;
    taken = TakeDecimal(c, 5, s.distance) || taken;
    if (c.SubIs("GET")) {
        taken = TakeDecimal(c, 6, s.s5) || taken;
        taken = TakeDecimal(c, 7, s.averageSpeed) || taken;
        taken = TakeDecimal(c, 8, s.s7) || taken;
        taken = TakeDecimal(c, 9, s.s8) || taken;
        taken = TakeDecimal(c, 10, s.s9) || taken;
        taken = TakeDecimal(c, 11, s.s10) || taken;
        taken = TakeDecimal(c, 12, s.s11) || taken;
    }
    if (taken)
        c.data.Set(DI_STATISTICS, s);
    SetTaken(c, taken);
}
