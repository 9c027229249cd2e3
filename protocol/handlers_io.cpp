// Inputs, thresholds, counters, ignition and alarm inputs, outputs, serial
// interfaces, fuel level sensors, 1-Wire thermometers, accelerometer, tilt,
// internal thermometer and protocol sets.
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
unsigned Bit(unsigned flags, unsigned bit) { return (flags >> bit) & 1u; }

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

// Level bounds in record order: upper "1", lower "1", upper "0", lower "0".
void BuildBounds(CodecContext& c, const LevelBounds& b) {
    c.out.Field("%u", unsigned{b.upper1});
    c.out.Field("%u", unsigned{b.lower1});
    c.out.Field("%u", unsigned{b.upper0});
    c.out.Field("%u", unsigned{b.lower0});
}

void ParseBounds(const CodecContext& c, int first, LevelBounds& b) {
    TakeDecimal(c, first, b.upper1);
    TakeDecimal(c, first + 1, b.lower1);
    TakeDecimal(c, first + 2, b.upper0);
    TakeDecimal(c, first + 3, b.lower0);
}

void BuildInput(CodecContext& c, const InputRecord& in) {
    c.out.Field("%u", LowByte(in.mode));
    c.out.Field("%u", unsigned{in.analogFilter});
    BuildBounds(c, in.bounds);
    c.out.Field("%u", LowByte(in.c));
    c.out.Field("%u", LowByte(in.d));
    c.out.Field("%u", unsigned{in.pulseFilter});
    c.out.Field("%u", LowByte(in.e));
}

void ParseInput(const CodecContext& c, InputRecord& in) {
    TakeDecimal(c, 1, in.mode);
    TakeDecimal(c, 2, in.analogFilter);
    ParseBounds(c, 3, in.bounds);
    TakeDecimal(c, 7, in.c);
    TakeDecimal(c, 8, in.d);
    TakeDecimal(c, 9, in.pulseFilter);
    TakeDecimal(c, 10, in.e);
}

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

// ---------------------------------------------------------------------------
// Thresholds: three sets of flags (hex), lower, upper, change, timer.

template <class Set> void BuildThresholdSet(CodecContext& c, const Set& s) {
    c.out.Field("%02x", unsigned{s.flags});
    c.out.Field("%lu", static_cast<unsigned long>(s.lower));
    c.out.Field("%lu", static_cast<unsigned long>(s.upper));
    c.out.Field("%lu", static_cast<unsigned long>(s.change));
    c.out.Field("%u", unsigned{s.timer});
}

template <class Set> void ParseThresholdSet(const CodecContext& c, int first, Set& s) {
    TakeHex(c, first, s.flags);
    TakeDecimal(c, first + 1, s.lower);
    TakeDecimal(c, first + 2, s.upper);
    TakeDecimal(c, first + 3, s.change);
    TakeDecimal(c, first + 4, s.timer);
}

void BuildThresholds(CodecContext& c, const ThresholdRecord& t) {
    BuildThresholdSet(c, t.voltage);
    BuildThresholdSet(c, t.frequency);
    BuildThresholdSet(c, t.pulses);
}

void ParseThresholds(const CodecContext& c, ThresholdRecord& t) {
    ParseThresholdSet(c, 1, t.voltage);
    ParseThresholdSet(c, 6, t.frequency);
    ParseThresholdSet(c, 11, t.pulses);
}

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

struct SerialField {
    int r;
    bool lowByte;
};
constexpr SerialField kSerialFields[] = {{1, true}, {2, false}, {4, true}, {3, true}, {5, true}};

void HandleSerial(CodecContext& c, int item) {
    ItemEdit<SerialInterfaceRecord> rec(c.data, item);
    if (!rec.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    int k = 1;
    for (const SerialField& f : kSerialFields) {
        int32_t& r = rec.value.r[f.r];
        if (!c.writeMode)
            TakeDecimal(c, k++, r);
        else if (f.lowByte)
            c.out.Field("%u", LowByte(r));
        else
            c.out.Field("%d", r);
    }
    if (c.writeMode) {
        c.result = kCodecDone;
        return;
    }
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
void ParseSensorFile(const CodecContext& c, FuelSensorRecord& s) {
    TakeBit(c, 1, s.flags, 0);
    TakeDecimal(c, 2, s.address);
    TakeDecimal(c, 3, s.s);
}

// ---------------------------------------------------------------------------
// Thermometers

void BuildThermometer(CodecContext& c, const ThermometerRecord& t) {
    char id[13];
    U64ToHex(t.id, id);
    c.out.Field("%u", Bit(t.flags, 0));
    c.out.TextField(id, sizeof id - 1);
    c.out.Field("%u", unsigned{t.v});
    c.out.Field("%d", int{t.lower});
    c.out.Field("%d", int{t.upper});
}

void ParseThermometerConfig(const CodecContext& c, ThermometerRecord& t) {
    TakeBit(c, 1, t.flags, 0);
    TakeId(c, 2, t.id);
    TakeDecimal(c, 3, t.v);
    TakeDecimal(c, 4, t.lower);
    TakeDecimal(c, 5, t.upper);
}

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

// MSENS configuration fields: flag bits interleaved with the two thresholds.
struct MsensFlagField {
    int field;
    unsigned bit;
};
constexpr MsensFlagField kMsensFlags[] = {{1, 0}, {3, 1}, {5, 2}, {6, 3}, {7, 4}};

void BuildMsens(CodecContext& c, const MotionSensorConfig& m) {
    c.out.Field("%u", Bit(m.flags, 0));
    c.out.Field("%u", unsigned{m.motion});
    c.out.Field("%u", Bit(m.flags, 1));
    c.out.Field("%u", unsigned{m.shock});
    c.out.Field("%u", Bit(m.flags, 2));
    c.out.Field("%u", Bit(m.flags, 3));
    c.out.Field("%u", Bit(m.flags, 4));
}

void ParseMsens(const CodecContext& c, MotionSensorConfig& m) {
    for (const MsensFlagField& f : kMsensFlags)
        TakeBit(c, f.field, m.flags, f.bit);
    TakeDecimal(c, 2, m.motion);
    TakeDecimal(c, 4, m.shock);
}

void ParseAccel(const CodecContext& c, AccelRecord& a) {
    TakeDecimal(c, 1, a.x);
    TakeDecimal(c, 2, a.y);
    TakeDecimal(c, 3, a.z);
}

void BuildTilt(CodecContext& c, const TiltConfig& t) {
    c.out.Field("%u", Bit(t.flags, 0));
    c.out.Field("%u", unsigned{t.angle});
    c.out.Field("%u", unsigned{t.value});
}

void ParseTiltConfig(const CodecContext& c, TiltConfig& t) {
    TakeBit(c, 1, t.flags, 0);
    TakeDecimal(c, 2, t.angle);
    TakeDecimal(c, 3, t.value);
}

void ParseTiltLive(const CodecContext& c, TiltLive& t) {
    TakeDecimal(c, 1, t.a);
    TakeDecimal(c, 2, t.b);
}

void BuildTsens(CodecContext& c, const TempSensorConfig& t) {
    c.out.Field("%u", Bit(t.flags, 0));
    c.out.Field("%d", int{t.lower});
    c.out.Field("%d", int{t.upper});
}

void ParseTsensConfig(const CodecContext& c, TempSensorConfig& t) {
    TakeBit(c, 1, t.flags, 0);
    TakeDecimal(c, 2, t.lower);
    TakeDecimal(c, 3, t.upper);
}

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
    IgnitionRecord& r = ign.value;
    if (c.writeMode) {
        c.out.Field("%u", unsigned{r.source});
        BuildBounds(c, r.bounds);
        c.result = kCodecDone;
        return;
    }
    TakeDecimal(c, 1, r.source);
    ParseBounds(c, 2, r.bounds);
    ign.Store();
    c.result = kCodecOk;
}

void HandleSos(CodecContext& c) {
    ItemEdit<AlarmRecord> sos(c.data, DI_SOS);
    if (!sos.Loaded()) {
        c.result = kCodecDevError;
        return;
    }
    AlarmRecord& r = sos.value;
    if (c.writeMode) {
        c.out.Field("%u", unsigned{r.source});
        BuildBounds(c, r.bounds);
        c.out.Field("%d", r.level);
        c.result = kCodecDone;
        return;
    }
    TakeDecimal(c, 1, r.source);
    ParseBounds(c, 2, r.bounds);
    TakeDecimal(c, 6, r.level);
    sos.Store();
    c.result = kCodecOk;
}

void HandleRs232(CodecContext& c) { HandleSerial(c, DI_RS232); }
void HandleRs485(CodecContext& c) { HandleSerial(c, DI_RS485); }

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
        c.out.Field("%u", Bit(s.value.flags, 0));
        c.out.Field("%u", unsigned{s.value.address});
        c.out.Field("%u", unsigned{s.value.s});
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
