#include "codec_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Setup = void (*)(CodecHarness&);
using Check = void (*)(CodecHarness&);

std::string Text(CodecHarness& h, int item) {
    char text[34] = {};
    h.data.Get(item, text, sizeof text);
    return text;
}

void SerialKnown(CodecHarness& h) { h.data.Set(DI_SERIAL, "FFFF", 5); }

void ClockAndOptionsKnown(CodecHarness& h) {
    const DateTime t{1, 2, 3, 4, 5, 6};
    const DateOptions o{6, 2};
    h.data.Set(DI_DEVICE_TIME, t);
    h.data.Set(DI_DATE_OPTIONS, o);
}

void ExpectClock(CodecHarness& h, DateTime want) {
    const auto t = h.Item<DateTime>(DI_DEVICE_TIME);
    EXPECT_EQ(t.day, want.day);
    EXPECT_EQ(t.month, want.month);
    EXPECT_EQ(t.year, want.year);
    EXPECT_EQ(t.hour, want.hour);
    EXPECT_EQ(t.minute, want.minute);
    EXPECT_EQ(t.second, want.second);
}

void ExpectOptions(CodecHarness& h, int flags, int zone) {
    const auto o = h.Item<DateOptions>(DI_DATE_OPTIONS);
    EXPECT_EQ(o.flags, flags);
    EXPECT_EQ(o.zone, zone);
}

const char* kStatist = "$STATIST;1;2;3;4;5;6;7;8;9;10;11;12\r";

struct ReplyCase {
    const char* keyword;
    const char* subcommand;
    const char* reply;
    int type;  // device type the record starts from
    Setup setup;
    int result;
    Check check;
};

TEST(SystemKeywords, ReplyEdgeCases) {
    const ReplyCase cases[] = {
        // HWCFG: type and model from the table, counts untouched.
        {"HWCFG", "", "$HWCFG;70;00A5C3F100000000\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<DeviceTypeRecord>(DI_DEV_TYPE).type, 70);
             EXPECT_EQ(Text(h, DI_MODEL_NAME), "Quil");
             EXPECT_EQ(Text(h, DI_SERIAL), "00A5C3F100000000");
         }},
        {"HWCFG", "", "$HWCFG;8\r", 20, nullptr, kCodecOk,
         [](CodecHarness& h) {
             const auto type = h.Item<DeviceTypeRecord>(DI_DEV_TYPE);
             EXPECT_EQ(type.type, 0);
             EXPECT_EQ(type.capsComm, 0x0101000Fu);
             EXPECT_EQ(Text(h, DI_MODEL_NAME), "Quil");
             EXPECT_EQ(h.Item<uint8_t>(DI_INPUT_COUNT), 8);  // still the counts of type 20
         }},
        {"HWCFG", "", "$HWCFG;150\r", 20, nullptr, kCodecData,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<DeviceTypeRecord>(DI_DEV_TYPE).type, 20);
             EXPECT_EQ(Text(h, DI_MODEL_NAME), "Vel");
         }},
        {"HWCFG", "", "$HWCFG;102;0123456789ABCDEF99\r", 20, nullptr, kCodecOk,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<DeviceTypeRecord>(DI_DEV_TYPE).type, 20);
             EXPECT_EQ(Text(h, DI_SERIAL), "0123456789ABCDEF");
         }},
        {"HWCFG", "", "$HWCFG;326\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<DeviceTypeRecord>(DI_DEV_TYPE).type, 70); }},  // low byte 70
        // MODE: only 1..6; status flags in hexadecimal.
        {"MODE", "", "$MODE;7\r", 0, nullptr, kCodecData,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<int32_t>(DI_MODE), 1); }},
        // A refused mode refuses the whole reply: a read that gave no mode failed.
        {"MODE", "", "$MODE;7;00A1\r", 0, nullptr, kCodecData,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<int32_t>(DI_MODE), 1);
             EXPECT_EQ(h.Item<uint16_t>(DI_STATUS_FLAGS), 0);
         }},
        {"MODE", "", "$MODE;3;00A1\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<int32_t>(DI_MODE), 3);
             EXPECT_EQ(h.Item<uint16_t>(DI_STATUS_FLAGS), 0x00A1);
         }},
        // The mode is judged by its low byte; the flags end at the first non-hex digit.
        {"MODE", "", "$MODE;259;0A1G2\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             EXPECT_EQ(h.Item<int32_t>(DI_MODE), 3);
             EXPECT_EQ(h.Item<uint16_t>(DI_STATUS_FLAGS), 0x0A1);
         }},
        // DATE: validity of each half, the options mark.
        {"DATE", "", "$DATE;310199;235959;+3;1;0;1\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             ExpectClock(h, {31, 1, 99, 23, 59, 59});
             ExpectOptions(h, 0b110, 3);
         }},
        {"DATE", "", "$DATE;010224;000000;-12;0;1;0\r", 0, ClockAndOptionsKnown, kCodecOk,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 24, 0, 0, 0});
             ExpectOptions(h, 0b001, -12);
         }},
        {"DATE", "", "$DATE;320199;235959\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 3, 4, 5, 6});
         }},
        {"DATE", "", "$DATE;3a0199;235959\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 3, 4, 5, 6});
         }},
        {"DATE", "", "$DATE;3101;235959\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 3, 4, 5, 6});
         }},
        {"DATE", "", "$DATE;311299;240000\r", 0, ClockAndOptionsKnown, kCodecOk,
         [](CodecHarness& h) {
             ExpectClock(h, {31, 12, 99, 4, 5, 6});
         }},
        {"DATE", "", "$DATE;;125960\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 3, 4, 5, 6});
         }},
        {"DATE", "", "$DATE;;101010\r", 0, ClockAndOptionsKnown, kCodecOk,
         [](CodecHarness& h) {
             ExpectClock(h, {1, 2, 3, 10, 10, 10});
         }},
        {"DATE", "", "$DATE;;;+3;0;1;2\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) { ExpectOptions(h, 6, 2); }},
        {"DATE", "", "$DATE;;;+3;2;1;0\r", 0, ClockAndOptionsKnown, kCodecOk,
         [](CodecHarness& h) { ExpectOptions(h, 0b011, 3); }},
        {"DATE", "", "$DATE;;;+15;0\r", 0, ClockAndOptionsKnown, kCodecOk,
         [](CodecHarness& h) { ExpectOptions(h, 0b100, 2); }},
        {"DATE", "", "$DATE;;;+4294967299\r", 0, ClockAndOptionsKnown, kCodecData,
         [](CodecHarness& h) { ExpectOptions(h, 6, 2); }},  // a zone is judged whole, not by its low bits
        // STATIST: the plain poll carries five values, the GET read all twelve.
        {"STATIST", "", kStatist, 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             const auto s = h.Item<StatisticsRecord>(DI_STATISTICS);
             EXPECT_EQ(s.deviceOn, 1u);
             EXPECT_EQ(s.engineOn, 2u);
             EXPECT_EQ(s.idle, 3u);
             EXPECT_EQ(s.moving, 4u);
             EXPECT_EQ(s.distance, 5);
             EXPECT_EQ(s.s5, 0);
             EXPECT_EQ(s.averageSpeed, 0);
             EXPECT_EQ(s.s11, 0);
         }},
        {"STATIST", "GET", kStatist, 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             const auto s = h.Item<StatisticsRecord>(DI_STATISTICS);
             EXPECT_EQ(s.idle, 3u);
             EXPECT_EQ(s.s5, 6);
             EXPECT_EQ(s.averageSpeed, 7);
             EXPECT_EQ(s.s7, 8);
             EXPECT_EQ(s.s11, 12);
         }},
        {"STATIST", "GET", "$STATIST;;;;\r", 0, nullptr, kCodecData, nullptr},
        // PASS, LOG, versions, key.
        {"PASS", "GET", "$PASS;5555;0\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             const auto p = h.Item<PasswordRecord>(DI_PASSWORD);
             EXPECT_STREQ(p.current, "5555");
             EXPECT_EQ(p.flags & 3, 0);
         }},
        {"PASS", "GET", "$PASS;;1\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<PasswordRecord>(DI_PASSWORD).flags & 3, 3); }},
        {"LOG", "", "$LOG;5;1\r", 0, [](CodecHarness& h) { h.data.Set(DI_LOG, uint8_t{0x80}); }, kCodecOk,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<uint8_t>(DI_LOG), 0x8B); }},
        {"LOG", "", "$LOG;35;2\r", 0, nullptr, kCodecData,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<uint8_t>(DI_LOG), 0); }},
        {"VER", "", "$VER;X;1.2.345;2.0;;01022024X\r", 0, nullptr, kCodecDone,
         [](CodecHarness& h) {
             EXPECT_EQ(Text(h, DI_HW_VERSION), "1.2.3");
             EXPECT_EQ(Text(h, DI_FW_VERSION), "2.0");
             EXPECT_EQ(Text(h, DI_PLATFORM_VERSION), "---");
             EXPECT_EQ(Text(h, DI_FW_DATE), "01022024");
         }},
        {"BOOTVER", "", "$BOOTVER;B1;311223\r", 0, nullptr, kCodecDone,
         [](CodecHarness& h) { EXPECT_EQ(Text(h, DI_BOOT_DATE), "311223"); }},
        {"EKEY", "", "$EKEY;00A5C3F1000FFF\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) { EXPECT_EQ(h.Item<uint64_t>(DI_EKEY), 0x00A5C3F1000Full); }},
        {"EKEY", "", "$EKEY;;\r", 0, nullptr, kCodecData, nullptr},
        {"DEV", "GET", "$DEV;TRUCK0123;0042\r", 0, nullptr, kCodecOk,
         [](CodecHarness& h) {
             EXPECT_EQ(Text(h, DI_DEVICE_NAME), "TRUCK012");
             EXPECT_EQ(Text(h, DI_DEVICE_ID), "0042");
         }},
    };
    for (const ReplyCase& r : cases) {
        SCOPED_TRACE(r.reply);
        CodecHarness h(r.type);
        if (r.setup)
            r.setup(h);
        EXPECT_EQ(h.Exchange(0, r.keyword, r.subcommand, r.reply), r.result);
        if (r.check)
            r.check(h);
    }
}

// A status report with everything but the cell and the three supplies fixed.
std::string Report(const char* cell, const char* ext, const char* battery, const char* aux) {
    return std::string("$REP;CAR1;0010;150324;101500;;;;;;;;;") + cell + ";" + ext + ";" + battery + ";" + aux + "\r";
}

TEST(SystemKeywords, ReportPowerPercentages) {
    struct Case {
        const char* ext;
        const char* battery;
        const char* aux;
        PowerRecord wantExt, wantBattery, wantAux;
    };
    const Case cases[] = {
        {"14000", "3400", "10600", {14000, 100}, {3400, 0}, {10600, 0}},
        {"7000", "4050", "11850", {7000, 50}, {4050, 100}, {11850, 50}},
        {"13999", "4000", "13100", {13999, 99}, {4000, 92}, {13100, 100}},
        {"NA", "5400", "NA", {0, 0}, {5400, 100}, {0, 0}},
        {"20000", "3000", "9000", {20000, 100}, {3000, 0}, {9000, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ext) + "/" + c.battery + "/" + c.aux);
        CodecHarness h;
        const PowerRecord stale{1, 1};
        h.data.Set(DI_EXT_POWER, stale);
        h.data.Set(DI_AUX_POWER, stale);
        ASSERT_EQ(h.Exchange(0, "REP", "", Report("250;1;100;200", c.ext, c.battery, c.aux)), kCodecOk);
        const PowerRecord got[] = {h.Item<PowerRecord>(DI_EXT_POWER), h.Item<PowerRecord>(DI_BATTERY),
                                   h.Item<PowerRecord>(DI_AUX_POWER)};
        const PowerRecord want[] = {c.wantExt, c.wantBattery, c.wantAux};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(got[i].millivolts, want[i].millivolts) << i;
            EXPECT_EQ(got[i].percent, want[i].percent) << i;
        }
    }
}

TEST(SystemKeywords, ReportTakesNameFlagsClockAndCellAsASet) {
    CodecHarness h;
    ASSERT_EQ(h.Exchange(0, "REP", "", Report("250;1;100;200", "", "", "")), kCodecOk);
    EXPECT_EQ(Text(h, DI_DEVICE_NAME), "CAR1");
    EXPECT_EQ(h.Item<uint16_t>(DI_STATUS_FLAGS), 0x10);
    ExpectClock(h, {15, 3, 24, 10, 15, 0});
    auto cell = h.Item<CellRecord>(DI_CELL);
    EXPECT_EQ(cell.mcc, 250);
    EXPECT_EQ(cell.cid, 200);

    // An incomplete set is ignored; any "NA" clears all four.
    ASSERT_EQ(h.Exchange(0, "REP", "", Report("1;2;3;", "", "", "")), kCodecOk);
    EXPECT_EQ(h.Item<CellRecord>(DI_CELL).mcc, 250);
    ASSERT_EQ(h.Exchange(0, "REP", "", Report("1;NA;3;4", "", "", "")), kCodecOk);
    cell = h.Item<CellRecord>(DI_CELL);
    EXPECT_EQ(cell.mcc, 0);
    EXPECT_EQ(cell.cid, 0);

    // A report with a bad date keeps both halves of the clock.
    ASSERT_EQ(h.Exchange(0, "REP", "", "$REP;;;150324;;;;;;;;;;;;;;;;\r"), kCodecOk);
    ASSERT_EQ(h.Exchange(0, "REP", "", "$REP;;;150399;101500\r"), kCodecOk);
    ASSERT_EQ(h.Exchange(0, "REP", "", "$REP;;;991324;235959\r"), kCodecData);
    ExpectClock(h, {15, 3, 99, 10, 15, 0});
    EXPECT_EQ(h.Exchange(0, "REP", "", "$REP;;;;\r"), kCodecData);
}

struct WriteCase {
    const char* keyword;
    const char* subcommand;
    Setup setup;
    const char* line;
    int result;
};

TEST(SystemKeywords, WriteLines) {
    const WriteCase cases[] = {
        {"HWCFG", "",
         [](CodecHarness& h) {
             h.data.ResetToDefaults(74);
             h.SetProtection(false);
         },
         "$HWCFG;74\r\n", kCodecDone},
        {"DEV", "", [](CodecHarness& h) { h.data.Set(DI_DEVICE_ID, "0042", 5); }, "$DEV;Quil;0042\r\n", kCodecDone},
        {"MODE", "", [](CodecHarness& h) { h.data.Set(DI_MODE, int32_t{0x105}); }, "$MODE;5\r\n", kCodecDone},
        {"PASS", "SET", nullptr, "$PASS;SET;7391;;;0\r\n", kCodecDone},
        {"PASS", "",
         [](CodecHarness& h) {
             PasswordRecord p = h.Item<PasswordRecord>(DI_PASSWORD);
             p.flags = 2;
             std::strcpy(p.next, "4321");
             h.data.Set(DI_PASSWORD, p);
         },
         "$PASS;7391;4321;4321;1\r\n", kCodecDone},
        {"LOG", "", [](CodecHarness& h) { h.data.Set(DI_LOG, uint8_t{0x8B}); }, "$LOG;5;1\r\n", kCodecDone},
        {"DATE", "",
         [](CodecHarness& h) {
             h.data.Set(DI_DEVICE_TIME, DateTime{31, 1, 99, 3, 4, 5});
             h.data.Set(DI_DATE_OPTIONS, DateOptions{0b101, -3});
         },
         "$DATE;310199;030405;-3;0;1;1\r\n", kCodecDone},
        {"EKEY", "", nullptr, "", kCodecData},
        {"STATIST", "GET", nullptr, "", kCodecData},
    };
    for (const WriteCase& w : cases) {
        SCOPED_TRACE(w.line);
        CodecHarness h;
        if (w.setup)
            w.setup(h);
        const BuiltLine built = h.Build(1, w.keyword, w.subcommand);
        EXPECT_EQ(built.result, w.result);
        EXPECT_EQ(built.text, w.line);
    }
}

TEST(SystemKeywords, PasswordFileLineRestoresOnlyTheCurrentPassword) {
    struct Case {
        const char* next;
        const char* line;
        int flagsAfter;  // read back into a record whose flags are 3; the last field is the wanted bit
    };
    const Case cases[] = {
        {"", "PASS;7391;;;0\r\n", 1},
        {"0", "PASS;7391;0;0;0\r\n", 0},
        {"1", "PASS;7391;1;1;0\r\n", 1},
        {"4321", "PASS;7391;4321;4321;0\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CodecHarness writer;
        PasswordRecord p = writer.Item<PasswordRecord>(DI_PASSWORD);
        std::strcpy(p.next, c.next);
        writer.data.Set(DI_PASSWORD, p);
        const BuiltLine built = writer.BuildFile("PASS", "GET");
        ASSERT_EQ(built.result, kCodecDone);
        ASSERT_EQ(built.text, c.line);

        CodecHarness reader;
        reader.SetProtection(true);
        PasswordRecord old = reader.Item<PasswordRecord>(DI_PASSWORD);
        std::strcpy(old.current, "0000");
        reader.data.Set(DI_PASSWORD, old);
        EXPECT_EQ(reader.ParseFile(built.text), kCodecOk);
        const auto back = reader.Item<PasswordRecord>(DI_PASSWORD);
        EXPECT_STREQ(back.current, "7391");
        EXPECT_STREQ(back.next, "");
        EXPECT_EQ(back.flags & 3, c.flagsAfter);
    }
}

TEST(SystemKeywords, HardwareFileLineCarriesOnlyTheType) {
    CodecHarness writer(20);
    const BuiltLine built = writer.BuildFile("HWCFG", "GET");
    ASSERT_EQ(built.text, "HWCFG;20\r\n");

    CodecHarness reader;
    SerialKnown(reader);
    EXPECT_EQ(reader.ParseFile(built.text), kCodecOk);
    EXPECT_EQ(reader.Item<DeviceTypeRecord>(DI_DEV_TYPE).type, 20);
    EXPECT_EQ(Text(reader, DI_MODEL_NAME), "Vel");
    EXPECT_EQ(Text(reader, DI_SERIAL), "FFFF");
}

TEST(SystemKeywords, StatisticsFileLineTakesAllTwelve) {
    CodecHarness h;
    EXPECT_EQ(h.ParseFile("STATIST;1;2;3;4;5;6;7;8;9;10;11;12\r\n"), kCodecOk);
    EXPECT_EQ(h.Item<StatisticsRecord>(DI_STATISTICS).s11, 12);
}

}  // namespace
