// Inputs, thresholds, counters, ignition and alarm inputs, outputs, serial
// interfaces, fuel level sensors, 1-Wire thermometers, accelerometer, tilt,
// internal thermometer and protocol sets.
#include "protocol/fieldtable.h"
#include "protocol/handlers.h"
#include "protocol/hex.h"
#include "protocol/zramds.h"

#include <cstdio>
#include <cstring>

namespace {

// One item copied out for a read-modify-write; Loaded() is false when the
// record's lock was not obtained, and then nothing may be written back.
template <class T> class ItemEdit {
public:
    ItemEdit(CDataServer& data, int item) : m_data(data), m_item(item), m_loaded(data.Get(item, value) != 0) {}
    bool Loaded() const { return m_loaded; }
    void Store() { m_data.Set(m_item, value); }
    T value{};

private:
    CDataServer& m_data;
    int m_item;
    bool m_loaded;
};

unsigned LowByte(long long v) { return static_cast<unsigned>(v) & 0xFFu; }

// ---------------------------------------------------------------------------
// Inputs

void StoreInputValue(InputRecord& in, int mode, long long value) {
    in.mode = mode;
    in.lastValue = static_cast<int32_t>(value);
    switch (mode) {
    case 0: in.value0 = static_cast<int32_t>(value); break;
    case 1: in.value1 = static_cast<uint16_t>(value); break;
    case 2: in.value2 = static_cast<uint16_t>(value); break;
    case 3: in.value3 = static_cast<int32_t>(value); break;
    default: break;
    }
}

// "IN" (and "INTRSHD") without an index: the count, then "mode,value" per input.
void ParseLiveInputs(CodecContext& c) {
    const int count = Clamp(ParseDecimal(c.Field(1)), kInputs);
    c.data.Set(DI_INPUT_COUNT, static_cast<uint8_t>(count));
    for (int j = 1; j <= count; ++j) {
        if (!c.Has(j + 1))
            continue;
        const CommaList pair(c.Field(j + 1));
        if (!pair.Usable(0) || !pair.Usable(1))
            continue;
        ItemEdit<InputRecord> in(c.data, ItemBase::Input + j);
        if (!in.Loaded())
            continue;
        StoreInputValue(in.value, static_cast<int>(pair.Number(0)), pair.Number(1));
        in.Store();
    }
    c.result = kCodecOk;
}

void BuildInput(CodecContext& c, const InputRecord& in) { BuildFields(c, Group::kIn.fields, in); }
void ParseInput(const CodecContext& c, InputRecord& in) { ParseFields(c, Group::kIn.fields, in); }

// Writes take the digit after the stem, replies the number: a reply index of
// 0 would address the count item, so it is refused like one above the family.
template <class T>
void HandleIndexed(CodecContext& c, size_t stem, int family, int base, void (*build)(CodecContext&, const T&),
                   void (*parse)(const CodecContext&, T&), void (*live)(CodecContext&)) {
    if (c.writeMode) {
        const int n = c.Digit(stem);
        if (!InRange(n, 1, family)) {
            c.result = kCodecUnknown;
            return;
        }
        ItemEdit<T> item(c.data, base + n);
        if (!item.Loaded()) {
            c.result = kCodecDevError;
            return;
        }
        build(c, item.value);
        c.result = kCodecDone;
        return;
    }
    const int n = c.Number(stem);
    if (n < 0) {
        live(c);
        return;
    }
    if (!InRange(n, 1, family)) {
        c.result = kCodecData;
        return;
    }
    ItemEdit<T> item(c.data, base + n);
    if (!item.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    parse(c, item.value);
    item.Store();
    c.result = kCodecOk;
}

void BuildThresholds(CodecContext& c, const ThresholdRecord& t) { BuildFields(c, Group::kIntrshd.fields, t); }
void ParseThresholds(const CodecContext& c, ThresholdRecord& t) { ParseFields(c, Group::kIntrshd.fields, t); }

// ---------------------------------------------------------------------------
// Outputs

// The parameter follows the mode as written (its low byte), so that the line
// reads back as the mode it shows.
void BuildOutput(CodecContext& c, const OutputRecord& o) {
    c.out.Field("%u", LowByte(o.mode));
    switch (LowByte(o.mode)) {
    case 0: c.out.Field("%u", LowByte(o.param0)); break;
    case 1: c.out.Field("%u", LowByte(o.param1)); break;
    case 2: c.out.Field("%u", LowByte(o.param2)); break;
    default: c.out.EmptyField(); break;
    }
    c.out.Field("%u", LowByte(o.f));
    c.out.Field("%u", LowByte(o.g));
    c.out.Field("%u", LowByte(o.param2));
}

void ParseOutput(const CodecContext& c, OutputRecord& o) {
    TakeDecimal(c, 1, o.mode);
    switch (o.mode) {
    case 0: TakeDecimal(c, 2, o.param0); break;
    case 1: TakeDecimal(c, 2, o.param1); break;
    case 2: TakeDecimal(c, 2, o.param2); break;
    default: break;
    }
    TakeDecimal(c, 3, o.f);
    TakeDecimal(c, 4, o.g);
    TakeDecimal(c, 5, o.param2);
}

// "OUT" without an index: the count, then "mode,state" per output.
void ParseLiveOutputs(CodecContext& c) {
    const int count = Clamp(ParseDecimal(c.Field(1)), kOutputs);
    c.data.Set(DI_OUTPUT_COUNT, static_cast<uint8_t>(count));
    for (int j = 1; j <= count; ++j) {
        if (!c.Has(j + 1))
            continue;
        const CommaList pair(c.Field(j + 1));
        if (!pair.Usable(0) || !pair.Usable(1))
            continue;
        ItemEdit<OutputRecord> out(c.data, ItemBase::Output + j);
        if (!out.Loaded())
            continue;
        out.value.mode = static_cast<int32_t>(pair.Number(0));
        out.value.liveState = static_cast<int32_t>(pair.Number(1));
        out.Store();
    }
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// Serial interfaces: R1, R2, R4, R3, R5 (R2 the baud rate, sent whole).

void HandleSerial(CodecContext& c, const GroupDesc& group) {
    ItemEdit<SerialInterfaceRecord> rec(c.data, group.item);
    if (!rec.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    if (c.writeMode) {
        BuildFields(c, group.fields, rec.value);
        c.result = kCodecDone;
        return;
    }
    ParseFields(c, group.fields, rec.value);
    rec.Store();
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// Fuel level sensors

void MarkSensor(FuelSensorRecord& s, bool inUse, int address) {
    SetBits(s.flags, 1u, inUse);
    s.address = static_cast<uint8_t>(address);
    s.addressCopy = static_cast<uint8_t>(address);
}

// Edits one sensor of the "LLS" table; skipped when its lock is not obtained.
void EditSensor(CDataServer& data, int n, bool inUse, int address) {
    ItemEdit<FuelSensorRecord> s(data, ItemBase::FuelSensor + n);
    if (!s.Loaded())
        return;
    MarkSensor(s.value, inUse, address);
    s.Store();
}

// "LLS" without an index: "inUse,address" of LLS0, then "count,a1,a2,..." of LLS1-4.
void ParseSensorTable(CodecContext& c) {
    if (c.Has(1)) {
        const CommaList rs232(c.Field(1));
        if (rs232.Usable(0) && rs232.Usable(1)) {
            const bool inUse = rs232.Number(0) != 0;
            EditSensor(c.data, 0, inUse, inUse ? static_cast<int>(rs232.Number(1)) : 1);
        }
    }
    if (c.Has(2)) {
        const CommaList rs485(c.Field(2));
        if (rs485.Usable(0)) {
            const int count = Clamp(rs485.Number(0), kFuelSensors - 1);
            for (int k = 1; k < kFuelSensors; ++k) {
                if (k > count)
                    EditSensor(c.data, k, false, k);
                else if (rs485.Usable(k))
                    EditSensor(c.data, k, true, static_cast<int>(rs485.Number(k)));
            }
        }
    }
    c.result = kCodecOk;
}

void ParseSensorLive(const CodecContext& c, FuelSensorRecord& s) {
    TakeBits(c, 2, s.liveFlags, 2u);  // reading valid
    TakeDecimal(c, 3, s.level);
    TakeDecimal(c, 4, s.volume);
    TakeDecimal(c, 5, s.t);
    TakeDecimal(c, 6, s.u);
}

// The settings-file line carries the in-use bit, the address and S; the
// in-use bit is read back too, so a sensor saved as unused stays unused.
void ParseSensorFile(const CodecContext& c, FuelSensorRecord& s) { ParseFields(c, Group::kLls485.fields, s); }

// ---------------------------------------------------------------------------
// Thermometers

void BuildThermometer(CodecContext& c, const ThermometerRecord& t) { BuildFields(c, Group::kThermo.fields, t); }
void ParseThermometerConfig(const CodecContext& c, ThermometerRecord& t) { ParseFields(c, Group::kThermo.fields, t); }

// Live reading: the temperature belongs to this thermometer only when the
// reporting sensor's identifier is the configured one.
void ParseThermometerLive(const CodecContext& c, ThermometerRecord& t) {
    TakeBits(c, 1, t.liveFlags, 3u);  // both bits report together
    uint64_t id = 0;
    if (TakeId(c, 2, id) && id == t.id)
        TakeDecimal(c, 3, t.temperature);
}

// ---------------------------------------------------------------------------
// Accelerometer, tilt, internal thermometer

void BuildMsens(CodecContext& c, const MotionSensorConfig& m) { BuildFields(c, Group::kMsens.fields, m); }
void ParseMsens(const CodecContext& c, MotionSensorConfig& m) { ParseFields(c, Group::kMsens.fields, m); }

void ParseAccel(const CodecContext& c, AccelRecord& a) {
    TakeDecimal(c, 1, a.x);
    TakeDecimal(c, 2, a.y);
    TakeDecimal(c, 3, a.z);
}

void BuildTilt(CodecContext& c, const TiltConfig& t) { BuildFields(c, Group::kTilt.fields, t); }
void ParseTiltConfig(const CodecContext& c, TiltConfig& t) { ParseFields(c, Group::kTilt.fields, t); }

void ParseTiltLive(const CodecContext& c, TiltLive& t) {
    TakeDecimal(c, 1, t.a);
    TakeDecimal(c, 2, t.b);
}

void BuildTsens(CodecContext& c, const TempSensorConfig& t) { BuildFields(c, Group::kTsens.fields, t); }
void ParseTsensConfig(const CodecContext& c, TempSensorConfig& t) { ParseFields(c, Group::kTsens.fields, t); }

void ParseTint(const CodecContext& c, int8_t& t) { TakeDecimal(c, 1, t); }

// A sensor keyword whose write needs "SET" and whose reply is configuration
// after "GET" and live values after a plain read.
template <class Config, class Live>
void HandleSensor(CodecContext& c, int configItem, void (*build)(CodecContext&, const Config&),
                  void (*parseConfig)(const CodecContext&, Config&), int liveItem,
                  void (*parseLive)(const CodecContext&, Live&)) {
    if (c.writeMode) {
        if (!c.SubIs("SET")) {
            c.result = kCodecData;
            return;
        }
        ItemEdit<Config> config(c.data, configItem);
        if (!config.Loaded()) {
            c.result = kCodecDevError;
            return;
        }
        build(c, config.value);
        c.result = kCodecDone;
        return;
    }
    if (c.SubIs("GET")) {
        ItemEdit<Config> config(c.data, configItem);
        if (!config.Loaded()) {
            c.result = kCodecDevError;
            return;
        }
        parseConfig(c, config.value);
        config.Store();
    } else {
        ItemEdit<Live> live(c.data, liveItem);
        if (!live.Loaded()) {
            c.result = kCodecDevError;
            return;
        }
        parseLive(c, live.value);
        live.Store();
    }
    c.result = kCodecOk;
}

// ---------------------------------------------------------------------------
// Protocol sets: eight 16-bit words as 32 hexadecimal digits.

constexpr int kPrsetWords = 8;

// Strict reading: every one of the 32 characters must be a hexadecimal digit.
bool ParseWords(const char* text, uint16_t (&words)[kPrsetWords]) {
    if (std::strlen(text) < 4 * kPrsetWords)
        return false;
    for (int w = 0; w < kPrsetWords; ++w) {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const int d = HexDigit(text[4 * w + i]);
            if (d < 0)
                return false;
            value = (value << 4) | static_cast<unsigned>(d);
        }
        words[w] = static_cast<uint16_t>(value);
    }
    return true;
}

}  // namespace

void HandleIn(CodecContext& c) {
    HandleIndexed<InputRecord>(c, 2, kInputs, ItemBase::Input, BuildInput, ParseInput, ParseLiveInputs);
}

void HandleIntrshd(CodecContext& c) {
    HandleIndexed<ThresholdRecord>(c, 7, kInputs, ItemBase::Threshold, BuildThresholds, ParseThresholds,
                                   ParseLiveInputs);
}

void HandleOut(CodecContext& c) {
    HandleIndexed<OutputRecord>(c, 3, kOutputs, ItemBase::Output, BuildOutput, ParseOutput, ParseLiveOutputs);
}

// Counters are only reset or read; the record keeps no counter values.
void HandleCounter(CodecContext& c) {
    constexpr size_t kStem = 7;
    const bool indexed = std::strlen(c.keyword) > kStem;
    const int n = c.Digit(kStem);
    uint8_t inputs = 0;
    c.data.Get(DI_INPUT_COUNT, inputs);
    const bool valid = InRange(n, 1, inputs < kInputs ? inputs : kInputs);
    if (c.writeMode) {
        c.result = (c.SubIs("RESET") && (!indexed || valid)) ? kCodecDone : kCodecData;
        return;
    }
    if (indexed) {
        c.result = (valid && c.Has(1)) ? kCodecOk : kCodecData;
        return;
    }
    const int count = Clamp(ParseDecimal(c.Field(1)), kInputs);
    bool carried = false;
    for (int j = 1; j <= count; ++j)
        carried = carried || c.Has(j + 1);
    c.result = carried ? kCodecOk : kCodecData;
}

void HandleIgn(CodecContext& c) {
    ItemEdit<IgnitionRecord> ign(c.data, DI_IGN);
    if (!ign.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    if (c.writeMode) {
        BuildFields(c, Group::kIgn.fields, ign.value);
        c.result = kCodecDone;
        return;
    }
    ParseFields(c, Group::kIgn.fields, ign.value);
    ign.Store();
    c.result = kCodecOk;
}

void HandleSos(CodecContext& c) {
    ItemEdit<AlarmRecord> sos(c.data, DI_SOS);
    if (!sos.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    if (c.writeMode) {
        BuildFields(c, Group::kSos.fields, sos.value);
        c.result = kCodecDone;
        return;
    }
    ParseFields(c, Group::kSos.fields, sos.value);
    sos.Store();
    c.result = kCodecOk;
}

void HandleRs232(CodecContext& c) { HandleSerial(c, Group::kRs232); }
void HandleRs485(CodecContext& c) { HandleSerial(c, Group::kRs485); }

void HandleLls(CodecContext& c) {
    constexpr size_t kStem = 3;
    const bool indexed = std::strlen(c.keyword) > kStem;
    const int n = c.Digit(kStem);
    const bool valid = InRange(n, 0, kFuelSensors - 1);
    if (c.writeMode && (!valid || !c.SubIs("SET"))) {
        c.result = kCodecUnknown;
        return;
    }
    if (!c.writeMode && !indexed) {
        ParseSensorTable(c);
        return;
    }
    if (!valid) {
        c.result = kCodecData;
        return;
    }
    ItemEdit<FuelSensorRecord> s(c.data, ItemBase::FuelSensor + n);
    if (!s.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    if (c.writeMode) {
        BuildFields(c, Group::kLls485.fields, s.value);
        c.result = kCodecDone;
        return;
    }
    if (c.fileMode)
        ParseSensorFile(c, s.value);
    else
        ParseSensorLive(c, s.value);
    s.Store();
    c.result = kCodecOk;
}

void HandleThermoId(CodecContext& c) {
    if (c.writeMode || ParseDecimal(c.Field(1)) == 0) {
        c.result = kCodecUnknown;
        return;
    }
    for (int k = 0; k < kThermoIds; ++k) {
        uint64_t id = 0;  // an empty or missing place clears the slot
        TakeId(c, k + 2, id);
        c.data.Set(ItemBase::ThermoId + k, id);
    }
    c.result = kCodecOk;
}

void HandleThermo(CodecContext& c) {
    const int n = c.Number(6);
    if (!InRange(n, 1, kThermometers)) {
        c.result = c.writeMode ? kCodecUnknown : kCodecData;
        return;
    }
    if (c.writeMode && !c.SubIs("SET")) {
        c.result = kCodecUnknown;
        return;
    }
    ItemEdit<ThermometerRecord> t(c.data, ItemBase::Thermometer + n);
    if (!t.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    if (c.writeMode) {
        BuildThermometer(c, t.value);
        c.result = kCodecDone;
        return;
    }
    if (c.SubIs("GET"))
        ParseThermometerConfig(c, t.value);
    else
        ParseThermometerLive(c, t.value);
    t.Store();
    c.result = kCodecOk;
}

void HandleMsens(CodecContext& c) {
    if (c.writeMode && c.SubIs("CALALL")) {
        // The build appended ";" after the subcommand; the command ends there.
        c.out.DropLast();
        c.result = kCodecDone;
        return;
    }
    HandleSensor<MotionSensorConfig, AccelRecord>(c, DI_MSENS_CONFIG, BuildMsens, ParseMsens, DI_ACCEL, ParseAccel);
}

void HandleTilt(CodecContext& c) {
    HandleSensor<TiltConfig, TiltLive>(c, DI_TILT_CONFIG, BuildTilt, ParseTiltConfig, DI_TILT, ParseTiltLive);
}

void HandleTsens(CodecContext& c) {
    HandleSensor<TempSensorConfig, int8_t>(c, DI_TSENS_CONFIG, BuildTsens, ParseTsensConfig, DI_TINT, ParseTint);
}

void HandlePrset(CodecContext& c) {
    const int n = c.Digit(5);
    const int m = c.Digit(6);
    const bool valid = InRange(n, 1, 2) && InRange(m, 0, 1);
    if (!c.SubIs(c.writeMode ? "SET" : "GET")) {
        c.result = kCodecData;
        return;
    }
    if (!valid) {
        c.result = c.writeMode ? kCodecData : kCodecFormat;
        return;
    }
    ItemEdit<ProtocolSetRecord> p(c.data, ItemBase::ProtocolSet + n);
    if (!p.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    uint16_t(&words)[kPrsetWords] = p.value.set[m];
    if (c.writeMode) {
        char text[4 * kPrsetWords + 1];
        for (int w = 0; w < kPrsetWords; ++w)
            std::snprintf(text + 4 * w, 5, "%04x", unsigned{words[w]});
        c.out.TextField(text, sizeof text - 1);
        c.result = kCodecDone;
        return;
    }
    if (!ParseWords(c.Field(1), words)) {
        c.result = kCodecFormat;
        return;
    }
    p.Store();
    c.result = kCodecOk;
}
