// Inputs, outputs and sensor keywords: the lines built from the record and
// the items taken from replies.
#include "codec_harness.h"
#include "protocol/hex.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct WriteCase {
    const char* keyword;
    const char* subcommand;
    int result;
    const char* line;  // without CR LF; "" when nothing is built
};

// Lines built from the defaults of type 0 (four inputs, two outputs).
const WriteCase kDefaultWrites[] = {
    {"IN1", "", kCodecDone, "$IN1;0;1;33000;3000;2000;0;0;1;50;0"},
    {"IN8", "", kCodecDone, "$IN8;0;1;33000;3000;2000;0;0;1;50;0"},
    {"IN", "", kCodecUnknown, ""},
    {"IN0", "", kCodecUnknown, ""},
    {"IN9", "", kCodecUnknown, ""},
    {"INTRSHD2", "", kCodecDone, "$INTRSHD2;00;0;33000;33000;60;00;0;5000;5000;60;00;0;1000000000;1000000000;60"},
    {"INTRSHD9", "", kCodecUnknown, ""},
    {"INTRSHD", "", kCodecUnknown, ""},
    {"IGN", "", kCodecDone, "$IGN;2;33000;8000;6000;0"},
    {"SOS", "", kCodecDone, "$SOS;1;33000;3000;2000;0;1"},
    {"OUT1", "", kCodecDone, "$OUT1;0;0;0;0;100"},
    {"OUT4", "", kCodecDone, "$OUT4;0;0;0;0;100"},
    {"OUT5", "", kCodecUnknown, ""},
    {"OUT", "", kCodecUnknown, ""},
    {"RS232", "", kCodecDone, "$RS232;1;19200;3;0;0"},
    {"RS232B", "", kCodecDone, "$RS232B;1;19200;3;0;0"},
    {"RS485A", "", kCodecDone, "$RS485A;1;19200;3;0;0"},
    {"LLS1", "SET", kCodecDone, "$LLS1;SET;1;1;5"},
    {"LLS0", "SET", kCodecDone, "$LLS0;SET;1;0;5"},
    {"LLS1", "GET", kCodecUnknown, ""},
    {"LLS5", "SET", kCodecUnknown, ""},
    {"LLS", "SET", kCodecUnknown, ""},
    {"THERMOID", "", kCodecUnknown, ""},
    {"THERMO1", "SET", kCodecDone, "$THERMO1;SET;1;000000000000;1;-25;40"},
    {"THERMO1", "", kCodecUnknown, ""},
    {"THERMO5", "SET", kCodecUnknown, ""},
    {"MSENS", "SET", kCodecDone, "$MSENS;SET;1;6;1;127;1;1;1"},
    {"MSENS", "CALALL", kCodecDone, "$MSENS;CALALL"},
    {"MSENS", "GET", kCodecData, ""},
    {"TILT", "SET", kCodecDone, "$TILT;SET;1;30;0"},
    {"TILT", "", kCodecData, ""},
    {"TSENS", "SET", kCodecDone, "$TSENS;SET;1;-25;40"},
    {"TSENS", "GET", kCodecData, ""},
    {"PRSET10", "SET", kCodecDone, "$PRSET10;SET;c0000000000300000006000000000000"},
    {"PRSET21", "SET", kCodecDone, "$PRSET21;SET;00000000000000000000000000000000"},
    {"PRSET10", "GET", kCodecData, ""},
    {"PRSET30", "SET", kCodecData, ""},
    {"PRSET12", "SET", kCodecData, ""},
    {"PRSET1", "SET", kCodecData, ""},
    {"COUNTER3", "RESET", kCodecDone, "$COUNTER3;RESET"},
    {"COUNTER", "RESET", kCodecDone, "$COUNTER;RESET"},
    {"COUNTER5", "RESET", kCodecData, ""},
    {"COUNTER0", "RESET", kCodecData, ""},
    {"COUNTER", "", kCodecData, ""},
    {"COUNTER1", "GET", kCodecData, ""},
};

TEST(IoKeywordWrite, DefaultRecordLines) {
    for (const WriteCase& w : kDefaultWrites) {
        CodecHarness h;
        const BuiltLine built = h.Build(1, w.keyword, w.subcommand);
        const std::string expected = w.line[0] ? std::string(w.line) + "\r\n" : "";
        EXPECT_EQ(built.result, w.result) << w.keyword << ";" << w.subcommand;
        EXPECT_EQ(built.text, expected) << w.keyword << ";" << w.subcommand;
    }
}

// Values wider than their field go out as the low byte; the output's second
// field follows the stored mode.
TEST(IoKeywordWrite, LowBytesAndModeDependentFields) {
    struct Case {
        std::function<void(CDataServer&)> edit;
        const char* keyword;
        const char* subcommand;
        const char* line;
    };
    const Case cases[] = {
        {[](CDataServer& d) {
             InputRecord in;
             in.mode = 0x103;
             in.c = 0x1FF;
             in.d = -1;
             in.e = 300;
             in.freqFilter = 99;
             d.Set(DI_INPUT_1 + 1, in);
         },
         "IN2", "", "$IN2;3;1;33000;3000;2000;0;255;255;50;44"},
        {[](CDataServer& d) {
             OutputRecord o;
             o.mode = 1;
             o.param0 = 7;
             o.param1 = 0x1234;
             o.param2 = 300;
             o.f = 9;
             o.g = 257;
             d.Set(DI_OUTPUT_1, o);
         },
         "OUT1", "", "$OUT1;1;52;9;1;44"},
        {[](CDataServer& d) {
             OutputRecord o;
             o.mode = 2;
             o.param2 = 77;
             d.Set(DI_OUTPUT_1 + 1, o);
         },
         "OUT2", "", "$OUT2;2;77;0;0;77"},
        {[](CDataServer& d) {
             OutputRecord o;
             o.mode = 5;
             o.param0 = 1;
             d.Set(DI_OUTPUT_1 + 2, o);
         },
         "OUT3", "", "$OUT3;5;;0;0;100"},
        // Only the mode's low byte is written: its parameter follows that mode.
        {[](CDataServer& d) {
             OutputRecord o;
             o.mode = 0x101;
             o.param1 = 12;
             d.Set(DI_OUTPUT_1 + 3, o);
         },
         "OUT4", "", "$OUT4;1;12;0;0;100"},
        {[](CDataServer& d) {
             SerialInterfaceRecord r{{7, 260, 115200, 258, 259, 511}};
             d.Set(DI_RS485, r);
         },
         "RS485", "", "$RS485;4;115200;3;2;255"},
        {[](CDataServer& d) {
             ThresholdRecord t;
             t.voltage.flags = 0x0B;
             t.pulses.flags = 0x0F;
             t.pulses.upper = 4000000000u;
             d.Set(DI_INTRSHD_1, t);
         },
         "INTRSHD1", "", "$INTRSHD1;0b;0;33000;33000;60;00;0;5000;5000;60;0f;0;4000000000;1000000000;60"},
        {[](CDataServer& d) {
             ThermometerRecord t;
             t.flags = 0xFE;
             t.id = 0xFF00A1B2C3D4E5F6ull;
             t.v = 200;
             t.lower = -128;
             t.upper = 127;
             d.Set(DI_THERMO_1 + 3, t);
         },
         "THERMO4", "SET", "$THERMO4;SET;0;A1B2C3D4E5F6;200;-128;127"},
        {[](CDataServer& d) {
             MotionSensorConfig m{0x15, 65535, 0};
             d.Set(DI_MSENS_CONFIG, m);
         },
         "MSENS", "SET", "$MSENS;SET;1;65535;0;0;1;0;1"},
        {[](CDataServer& d) {
             ProtocolSetRecord p;
             p.set[1][0] = 0xABCD;
             p.set[1][7] = 0x0001;
             d.Set(DI_PRSET_1 + 1, p);
         },
         "PRSET21", "SET", "$PRSET21;SET;abcd0000000000000000000000000001"},
        {[](CDataServer& d) {
             FuelSensorRecord s;
             s.flags = 0xFE;
             s.address = 200;
             s.s = 9;
             d.Set(DI_LLS_0 + 4, s);
         },
         "LLS4", "SET", "$LLS4;SET;0;200;9"},
    };
    for (const Case& k : cases) {
        CodecHarness h;
        k.edit(h.data);
        const BuiltLine built = h.Build(1, k.keyword, k.subcommand);
        EXPECT_EQ(built.result, kCodecDone) << k.keyword;
        EXPECT_EQ(built.text, std::string(k.line) + "\r\n") << k.keyword;
    }
}

// Write takes the single digit after the stem, as the device's index.
TEST(IoKeywordWrite, IndexIsTheDigitAfterTheStem) {
    CodecHarness h;
    InputRecord in;
    in.mode = 2;
    h.data.Set(DI_INPUT_1, in);
    EXPECT_EQ(h.Build(1, "IN1X", "").text, "$IN1X;2;1;33000;3000;2000;0;0;1;50;0\r\n");
}

TEST(IoKeywordWrite, CounterIndexFollowsTheInputCount) {
    CodecHarness eight(10);
    EXPECT_EQ(eight.Build(1, "COUNTER8", "RESET").result, kCodecDone);
    const BuiltLine nine = eight.Build(1, "COUNTER9", "RESET");
    EXPECT_EQ(nine.result, kCodecData);
    EXPECT_EQ(nine.text, "");
    CodecHarness none(41);
    EXPECT_EQ(none.Build(1, "COUNTER1", "RESET").result, kCodecData);
    EXPECT_EQ(none.Build(1, "COUNTER", "RESET").text, "$COUNTER;RESET\r\n");
}

// ---------------------------------------------------------------------------
// Replies

struct ReplyCase {
    const char* name;
    const char* keyword;     // of the request
    const char* subcommand;  // of the request
    const char* reply;       // without CR
    int result;
    std::function<void(CodecHarness&)> check;
};

void NoCheck(CodecHarness&) {}

const ReplyCase kReplies[] = {
    {"live inputs", "IN", "", "$IN;4;0,1;1,250;2,12000;3,77", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint8_t>(DI_INPUT_COUNT), 4);
         const auto i1 = h.Item<InputRecord>(DI_INPUT_1);
         const auto i2 = h.Item<InputRecord>(DI_INPUT_1 + 1);
         const auto i3 = h.Item<InputRecord>(DI_INPUT_1 + 2);
         const auto i4 = h.Item<InputRecord>(DI_INPUT_1 + 3);
         EXPECT_EQ(i1.mode, 0);
         EXPECT_EQ(i1.lastValue, 1);
         EXPECT_EQ(i1.value0, 1);
         EXPECT_EQ(i2.mode, 1);
         EXPECT_EQ(i2.lastValue, 250);
         EXPECT_EQ(i2.value1, 250);
         EXPECT_EQ(i3.mode, 2);
         EXPECT_EQ(i3.lastValue, 12000);
         EXPECT_EQ(i3.value2, 12000);
         EXPECT_EQ(i4.mode, 3);
         EXPECT_EQ(i4.lastValue, 77);
         EXPECT_EQ(i4.value3, 77);
         EXPECT_EQ(i1.value1, 0);
         EXPECT_EQ(i2.value0, 0);  // only the reported mode's value
     }},
    {"live inputs, count cut to eight", "IN", "", "$IN;12;1,5;1,6;1,7;1,8;1,9;1,10;1,11;1,12;1,13", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint8_t>(DI_INPUT_COUNT), 8);
         EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1 + 7).value1, 12);
     }},
    {"live inputs, over-long member skipped", "IN", "", "$IN;3;0,1234567890;1,44;2", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1).lastValue, 0);
         EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1 + 1).value1, 44);
         EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1 + 2).mode, 0);  // no value: member skipped
     }},
    {"input thresholds without index are live inputs", "INTRSHD", "", "$INTRSHD;2;3,9;0,1", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint8_t>(DI_INPUT_COUNT), 2);
         EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1).value3, 9);
     }},
    {"input configuration", "IN3", "", "$IN3;1;2;30000;20000;10000;5000;7;8;9;10", kCodecOk,
     [](CodecHarness& h) {
         const auto in = h.Item<InputRecord>(DI_INPUT_1 + 2);
         EXPECT_EQ(in.mode, 1);
         EXPECT_EQ(in.analogFilter, 2);
         EXPECT_EQ(in.bounds.upper1, 30000);
         EXPECT_EQ(in.bounds.lower1, 20000);
         EXPECT_EQ(in.bounds.upper0, 10000);
         EXPECT_EQ(in.bounds.lower0, 5000);
         EXPECT_EQ(in.c, 7);
         EXPECT_EQ(in.d, 8);
         EXPECT_EQ(in.pulseFilter, 9);
         EXPECT_EQ(in.e, 10);
         EXPECT_EQ(in.freqFilter, 4);
     }},
    {"input configuration, empty fields keep values", "IN1", "", "$IN1;;;;;;;;;77", kCodecOk,
     [](CodecHarness& h) {
         const auto in = h.Item<InputRecord>(DI_INPUT_1);
         EXPECT_EQ(in.pulseFilter, 77);
         EXPECT_EQ(in.analogFilter, 1);
         EXPECT_EQ(in.bounds.upper1, 33000);
     }},
    {"input index above eight", "IN9", "", "$IN9;1;2", kCodecData, NoCheck},
    {"input index 0 never reaches the count item", "IN0", "", "$IN0;9", kCodecData,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<uint8_t>(DI_INPUT_COUNT), 4); }},
    {"input thresholds", "INTRSHD2", "", "$INTRSHD2;0f;1;2;3;4;a;5;6;7;8;3;9;4000000000;11;12", kCodecOk,
     [](CodecHarness& h) {
         const auto t = h.Item<ThresholdRecord>(DI_INTRSHD_1 + 1);
         EXPECT_EQ(t.voltage.flags, 0x0F);
         EXPECT_EQ(t.voltage.lower, 1);
         EXPECT_EQ(t.voltage.timer, 4);
         EXPECT_EQ(t.frequency.flags, 0x0A);
         EXPECT_EQ(t.frequency.upper, 6);
         EXPECT_EQ(t.pulses.flags, 3);
         EXPECT_EQ(t.pulses.upper, 4000000000u);
         EXPECT_EQ(t.pulses.timer, 12);
     }},
    {"input thresholds index 0", "INTRSHD0", "", "$INTRSHD0;0f", kCodecData, NoCheck},
    {"ignition", "IGN", "", "$IGN;3;30000;7000;5000;100", kCodecOk,
     [](CodecHarness& h) {
         const auto r = h.Item<IgnitionRecord>(DI_IGN);
         EXPECT_EQ(r.source, 3);
         EXPECT_EQ(r.bounds.upper1, 30000);
         EXPECT_EQ(r.bounds.lower0, 100);
     }},
    {"alarm", "SOS", "", "$SOS;2;1;2;3;4;0", kCodecOk,
     [](CodecHarness& h) {
         const auto r = h.Item<AlarmRecord>(DI_SOS);
         EXPECT_EQ(r.source, 2);
         EXPECT_EQ(r.bounds.upper1, 1);
         EXPECT_EQ(r.bounds.lower0, 4);
         EXPECT_EQ(r.level, 0);
     }},
    {"live outputs", "OUT", "", "$OUT;2;1,1;3,0", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint8_t>(DI_OUTPUT_COUNT), 2);
         const auto o1 = h.Item<OutputRecord>(DI_OUTPUT_1);
         const auto o2 = h.Item<OutputRecord>(DI_OUTPUT_1 + 1);
         EXPECT_EQ(o1.mode, 1);
         EXPECT_EQ(o1.liveState, 1);
         EXPECT_EQ(o2.mode, 3);
         EXPECT_EQ(o2.liveState, 0);
         EXPECT_EQ(o1.param1, 1);  // configuration untouched
     }},
    {"live outputs, count cut to four", "OUT", "", "$OUT;9;0,1;0,1;0,1;0,1;0,1", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint8_t>(DI_OUTPUT_COUNT), 4);
         EXPECT_EQ(h.Item<OutputRecord>(DI_OUTPUT_1 + 3).liveState, 1);
     }},
    {"output configuration, mode 1", "OUT2", "", "$OUT2;1;55;3;4;200", kCodecOk,
     [](CodecHarness& h) {
         const auto o = h.Item<OutputRecord>(DI_OUTPUT_1 + 1);
         EXPECT_EQ(o.mode, 1);
         EXPECT_EQ(o.param1, 55);
         EXPECT_EQ(o.param0, 0);
         EXPECT_EQ(o.f, 3);
         EXPECT_EQ(o.g, 4);
         EXPECT_EQ(o.param2, 200);
     }},
    {"output configuration, other mode keeps parameters", "OUT1", "", "$OUT1;6;55", kCodecOk,
     [](CodecHarness& h) {
         const auto o = h.Item<OutputRecord>(DI_OUTPUT_1);
         EXPECT_EQ(o.mode, 6);
         EXPECT_EQ(o.param0, 0);
         EXPECT_EQ(o.param1, 1);
         EXPECT_EQ(o.param2, 100);
     }},
    {"output index above four", "OUT5", "", "$OUT5;1", kCodecData, NoCheck},
    {"serial interface through its prefix", "RS485A", "", "$RS485A;2;9600;4;5;6", kCodecOk,
     [](CodecHarness& h) {
         const auto r = h.Item<SerialInterfaceRecord>(DI_RS485);
         EXPECT_EQ(r.r[0], 1);
         EXPECT_EQ(r.r[1], 2);
         EXPECT_EQ(r.r[2], 9600);
         EXPECT_EQ(r.r[4], 4);
         EXPECT_EQ(r.r[3], 5);
         EXPECT_EQ(r.r[5], 6);
         EXPECT_EQ(h.Item<SerialInterfaceRecord>(DI_RS232).r[2], 19200);
     }},
    {"sensor table", "LLS", "", "$LLS;1,7;2,3,4", kCodecOk,
     [](CodecHarness& h) {
         const struct {
             int n;
             uint8_t inUse;
             uint8_t address;
         } expected[] = {{0, 1, 7}, {1, 1, 3}, {2, 1, 4}, {3, 0, 3}, {4, 0, 4}};
         for (const auto& e : expected) {
             const auto s = h.Item<FuelSensorRecord>(DI_LLS_0 + e.n);
             EXPECT_EQ(s.flags & 1, e.inUse) << "LLS" << e.n;
             EXPECT_EQ(s.address, e.address) << "LLS" << e.n;
             EXPECT_EQ(s.addressCopy, e.address) << "LLS" << e.n;
         }
     }},
    {"sensor table, none in use", "LLS", "", "$LLS;0,9;0", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0).flags & 1, 0);
         EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0).address, 1);
         for (int k = 1; k <= 4; ++k) {
             EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0 + k).flags & 1, 0);
             EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0 + k).address, k);
         }
     }},
    {"sensor table, count cut to four", "LLS", "", "$LLS;1,1;9,11,12,13,14,15", kCodecOk,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0 + 4).address, 14); }},
    {"sensor table, over-long address skipped", "LLS", "", "$LLS;1,1234567890;1,8", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0).address, 0);
         EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0 + 1).address, 8);
     }},
    {"live sensor reading", "LLS2", "GET", "$LLS2;x;1;300;400;500;600", kCodecOk,
     [](CodecHarness& h) {
         const auto s = h.Item<FuelSensorRecord>(DI_LLS_0 + 2);
         EXPECT_EQ(s.liveFlags, 2);
         EXPECT_EQ(s.level, 300);
         EXPECT_EQ(s.volume, 400);
         EXPECT_EQ(s.t, 500);
         EXPECT_EQ(s.u, 600);
         EXPECT_EQ(s.address, 2);
     }},
    {"sensor index above four", "LLS5", "", "$LLS5;1;1;2", kCodecData, NoCheck},
    {"thermometer discovery", "THERMOID", "", "$THERMOID;2;0000AABBCCDD;112233445566", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<uint64_t>(DI_THERMO_ID_1), 0xAABBCCDDull);
         EXPECT_EQ(h.Item<uint64_t>(DI_THERMO_ID_1 + 1), 0x112233445566ull);
         EXPECT_EQ(h.Item<uint64_t>(DI_THERMO_ID_1 + 7), 0u);
     }},
    {"thermometer discovery, none found", "THERMOID", "", "$THERMOID;0;0000AABBCCDD", kCodecUnknown,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<uint64_t>(DI_THERMO_ID_1), 0u); }},
    {"thermometer configuration", "THERMO2", "GET", "$THERMO2;0;00000000ABCD;3;-10;55", kCodecOk,
     [](CodecHarness& h) {
         const auto t = h.Item<ThermometerRecord>(DI_THERMO_1 + 1);
         EXPECT_EQ(t.flags & 1, 0);
         EXPECT_EQ(t.id, 0xABCDu);
         EXPECT_EQ(t.v, 3);
         EXPECT_EQ(t.lower, -10);
         EXPECT_EQ(t.upper, 55);
         EXPECT_EQ(t.liveFlags, 0);
     }},
    {"thermometer index outside 1..4", "THERMO5", "GET", "$THERMO5;1", kCodecData, NoCheck},
    {"accelerometer configuration", "MSENS", "GET", "$MSENS;0;10;1;200;0;1;2", kCodecOk,
     [](CodecHarness& h) {
         const auto m = h.Item<MotionSensorConfig>(DI_MSENS_CONFIG);
         EXPECT_EQ(m.flags, 0x0A);
         EXPECT_EQ(m.motion, 10);
         EXPECT_EQ(m.shock, 200);
     }},
    {"live acceleration", "MSENS", "", "$MSENS;-5;6;1000", kCodecOk,
     [](CodecHarness& h) {
         const auto a = h.Item<AccelRecord>(DI_ACCEL);
         EXPECT_EQ(a.x, -5);
         EXPECT_EQ(a.y, 6);
         EXPECT_EQ(a.z, 1000);
         EXPECT_EQ(h.Item<MotionSensorConfig>(DI_MSENS_CONFIG).motion, 6);
     }},
    {"tilt configuration", "TILT", "GET", "$TILT;0;45;3", kCodecOk,
     [](CodecHarness& h) {
         const auto t = h.Item<TiltConfig>(DI_TILT_CONFIG);
         EXPECT_EQ(t.flags, 0);
         EXPECT_EQ(t.angle, 45);
         EXPECT_EQ(t.value, 3);
     }},
    {"live tilt", "TILT", "", "$TILT;-2;7", kCodecOk,
     [](CodecHarness& h) {
         EXPECT_EQ(h.Item<TiltLive>(DI_TILT).a, -2);
         EXPECT_EQ(h.Item<TiltLive>(DI_TILT).b, 7);
         EXPECT_EQ(h.Item<TiltConfig>(DI_TILT_CONFIG).angle, 30);
     }},
    {"internal thermometer configuration", "TSENS", "GET", "$TSENS;0;-30;60", kCodecOk,
     [](CodecHarness& h) {
         const auto t = h.Item<TempSensorConfig>(DI_TSENS_CONFIG);
         EXPECT_EQ(t.flags, 0);
         EXPECT_EQ(t.lower, -30);
         EXPECT_EQ(t.upper, 60);
     }},
    {"live internal temperature", "TSENS", "", "$TSENS;-4", kCodecOk,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<int8_t>(DI_TINT), -4); }},
    {"protocol set", "PRSET21", "GET", "$PRSET21;0123456789abcdefFEDC223344556677", kCodecOk,
     [](CodecHarness& h) {
         const auto p = h.Item<ProtocolSetRecord>(DI_PRSET_1 + 1);
         const uint16_t expected[8] = {0x0123, 0x4567, 0x89AB, 0xCDEF, 0xFEDC, 0x2233, 0x4455, 0x6677};
         for (int w = 0; w < 8; ++w)
             EXPECT_EQ(p.set[1][w], expected[w]) << w;
         EXPECT_EQ(p.set[0][0], 0xC000);
     }},
    {"protocol set, bad digit leaves it untouched", "PRSET10", "GET", "$PRSET10;0123456789abcdefFEDC2233445566x7",
     kCodecFormat, [](CodecHarness& h) { EXPECT_EQ(h.Item<ProtocolSetRecord>(DI_PRSET_1).set[0][0], 0xC000); }},
    {"protocol set, short field leaves it untouched", "PRSET10", "GET", "$PRSET10;0123", kCodecFormat,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<ProtocolSetRecord>(DI_PRSET_1).set[0][0], 0xC000); }},
    {"protocol set, empty field", "PRSET10", "GET", "$PRSET10;;x", kCodecFormat, NoCheck},
    {"protocol set, bad keyword digits", "PRSET30", "GET", "$PRSET30;0123456789abcdefFEDC223344556677", kCodecFormat,
     NoCheck},
    {"protocol set after a plain read", "PRSET10", "", "$PRSET10;0123456789abcdefFEDC223344556677", kCodecData,
     [](CodecHarness& h) { EXPECT_EQ(h.Item<ProtocolSetRecord>(DI_PRSET_1).set[0][0], 0xC000); }},
    {"one counter", "COUNTER3", "", "$COUNTER3;1234", kCodecOk, NoCheck},
    {"counter above the inputs", "COUNTER5", "", "$COUNTER5;1", kCodecData, NoCheck},
    {"all counters", "COUNTER", "", "$COUNTER;4;1;2;3;4", kCodecOk, NoCheck},
    {"all counters without values", "COUNTER", "", "$COUNTER;4", kCodecData, NoCheck},
};

TEST(IoKeywordReply, FieldsReachTheirItems) {
    for (const ReplyCase& r : kReplies) {
        SCOPED_TRACE(r.name);
        CodecHarness h;
        EXPECT_EQ(h.Exchange(0, r.keyword, r.subcommand, std::string(r.reply) + "\r"), r.result);
        r.check(h);
    }
}

// The temperature belongs to a thermometer only when the reporting sensor is
// the configured one; the live flags follow every report.
TEST(IoKeywordReply, ThermometerLiveReadingMatchesTheIdentifier) {
    struct Case {
        const char* reply;
        uint8_t liveFlags;
        int8_t temperature;
    };
    const Case cases[] = {
        {"$THERMO1;1;0000DEADBEEF;23", 3, 23},
        {"$THERMO1;1;0000DEADBEEE;23", 3, -7},
        {"$THERMO1;1;;23", 3, -7},
        {"$THERMO1;0;0000DEADBEEF;", 0, -7},
    };
    for (const Case& k : cases) {
        CodecHarness h;
        ThermometerRecord t;
        t.id = 0xDEADBEEF;
        t.temperature = -7;
        t.liveFlags = 3;
        h.data.Set(DI_THERMO_1, t);
        EXPECT_EQ(h.Exchange(0, "THERMO1", "", std::string(k.reply) + "\r"), kCodecOk) << k.reply;
        const auto got = h.Item<ThermometerRecord>(DI_THERMO_1);
        EXPECT_EQ(got.liveFlags, k.liveFlags) << k.reply;
        EXPECT_EQ(got.temperature, k.temperature) << k.reply;
        EXPECT_EQ(got.id, 0xDEADBEEFu) << k.reply;
    }
}

// A discovery reply replaces the whole list: empty and missing places clear
// what an earlier reply left there.
TEST(IoKeywordReply, ThermometerDiscoveryReplacesTheList) {
    CodecHarness h;
    for (int k = 0; k < kThermoIds; ++k)
        h.data.Set(DI_THERMO_ID_1 + k, uint64_t{0xBADBADBADBADull});
    ASSERT_EQ(h.Exchange(0, "THERMOID", "", "$THERMOID;2;;112233445566\r"), kCodecOk);
    for (int k = 0; k < kThermoIds; ++k) {
        EXPECT_EQ(h.Item<uint64_t>(DI_THERMO_ID_1 + k), k == 1 ? 0x112233445566ull : 0u) << k;
    }
}

// A settings-file LLS line carries in-use bit, address and S; all three come back.
TEST(IoKeywordFile, SensorLineRestoresInUseAddressAndS) {
    CodecHarness h;
    EXPECT_EQ(h.ParseFile("LLS3;0;42;8\r\n"), kCodecOk);
    auto s = h.Item<FuelSensorRecord>(DI_LLS_0 + 3);
    EXPECT_EQ(s.flags & 1, 0);
    EXPECT_EQ(s.address, 42);
    EXPECT_EQ(s.s, 8);
    EXPECT_EQ(s.liveFlags, 0);
    EXPECT_EQ(h.ParseFile("LLS3;1;42;8\r\n"), kCodecOk);
    EXPECT_EQ(h.Item<FuelSensorRecord>(DI_LLS_0 + 3).flags & 1, 1);
    EXPECT_EQ(h.ParseFile("LLS7;0;42;8\r\n"), kCodecData);
}

TEST(IoKeywordFile, LinesCarryNoSubcommand) {
    CodecHarness h;
    EXPECT_EQ(h.BuildFile("LLS1", "SET").text, "LLS1;1;1;5\r\n");
    EXPECT_EQ(h.BuildFile("PRSET10", "SET").text, "PRSET10;c0000000000300000006000000000000\r\n");
    EXPECT_EQ(h.BuildFile("THERMO2", "SET").text, "THERMO2;1;000000000000;1;-25;40\r\n");
}

}  // namespace
