#include "model/dataserver.h"
#include "protocol/hex.h"
#include "protocol/zramds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

LineBuffer MakeLine(const std::string& text) {
    LineBuffer line;
    line.length = static_cast<uint16_t>(text.size());
    std::memcpy(line.text, text.data(), text.size());
    return line;
}

std::string Text(const LineBuffer& line) { return std::string(line.text, line.length); }

using Setup = void (*)(CDataServer&);
using Check = void (*)(CDataServer&);

void ProtectionOff(CDataServer& d) {
    PasswordRecord p;
    d.Get(DI_PASSWORD, p);
    p.flags = 0;
    d.Set(DI_PASSWORD, p);
}

void ModeTwo(CDataServer& d) {
    ProtectionOff(d);
    const int32_t mode = 2;
    d.Set(DI_MODE, mode);
}

void NewPasswordPending(CDataServer& d) {
    PasswordRecord p;
    d.Get(DI_PASSWORD, p);
    p.flags = 1;  // in force now, not wanted after the change
    std::strcpy(p.next, "1234");
    d.Set(DI_PASSWORD, p);
}

int32_t Mode(CDataServer& d) {
    int32_t mode = 0;
    d.Get(DI_MODE, mode);
    return mode;
}

std::string DeviceName(CDataServer& d) {
    char name[9];
    d.Get(DI_DEVICE_NAME, name);
    return name;
}

struct BuildCase {
    int write;
    const char* keyword;
    const char* subcommand;
    Setup setup;
    const char* line;
    int result;
};

TEST(CodecBuild, CommandLines) {
    const std::string tenChars = "ABCDEFGHIJ";
    const BuildCase cases[] = {
        {0, "MODE", "", ProtectionOff, "$MODE\r\n", kCodecOk},
        {0, "PHONE1", "GET", ProtectionOff, "$PHONE1;GET\r\n", kCodecOk},
        {0, "MODE", "", nullptr, "$7391;MODE\r\n", kCodecOk},
        {0, "VER", "", ProtectionOff, "$VER\r\n", kCodecOk},
        {0, "XYZ", nullptr, ProtectionOff, "$XYZ\r\n", kCodecOk},  // a query needs no handler
        {0, "HWCFG", "SUBCOMMAND", ProtectionOff, "$HWCFG;SUBCOMMAN\r\n", kCodecOk},
        {1, "MODE", "", ModeTwo, "$MODE;2\r\n", kCodecDone},
        {1, "MODE", "", nullptr, "$7391;MODE;1\r\n", kCodecDone},
        {1, "STATIST", "RESET", ProtectionOff, "$STATIST;RESET\r\n", kCodecDone},
        {1, "STATIST", "RESETALL", ProtectionOff, "$STATIST;RESETALL\r\n", kCodecDone},
        {1, "STATIST", "", ProtectionOff, "", kCodecData},
        {1, "VER", "", ProtectionOff, "", kCodecFormat},
        {1, "BOOTVER", "", ProtectionOff, "", kCodecFormat},
        {1, "REP", "", ProtectionOff, "", kCodecData},
        {1, "XYZ", "", ProtectionOff, "", kCodecUnknown},
        {1, tenChars.c_str(), "", ProtectionOff, "", kCodecUnknown},
        {0, "", "", ProtectionOff, "", kCodecUnknown},
        {1, nullptr, "", ProtectionOff, "", kCodecUnknown},
    };
    for (const BuildCase& b : cases) {
        SCOPED_TRACE(std::string(b.keyword ? b.keyword : "(null)") + " write " + std::to_string(b.write));
        CDataServer data;
        CZRAMDS codec(data);
        if (b.setup)
            b.setup(data);
        LineBuffer out = MakeLine("stale");
        EXPECT_EQ(codec.BuildCommand(b.write, b.keyword, b.subcommand, out), b.result);
        EXPECT_EQ(Text(out), b.line);
        EXPECT_EQ(out.text[out.length], '\0');
    }
}

TEST(CodecBuild, FileLinesCarryNoDollarPasswordOrSubcommand) {
    CDataServer data;
    CZRAMDS codec(data);
    LineBuffer out;
    EXPECT_EQ(codec.BuildFileLine("MODE", "GET", out), kCodecDone);
    EXPECT_EQ(Text(out), "MODE;1\r\n");
    EXPECT_EQ(codec.BuildFileLine("VER", "GET", out), kCodecFormat);
    EXPECT_EQ(Text(out), "");
}

struct ReplyCase {
    std::string line;
    int write;
    int result;
    Setup setup;
    Check check;
};

TEST(CodecParse, ReplyLines) {
    const std::string name239 = "$DEV;NAME" + std::string(235, ';') + "\r";  // payload of 239
    const std::string name240 = "$DEV;NAME" + std::string(236, ';') + "\r";
    const ReplyCase cases[] = {
        // Checksums.
        {"$MODE;2^0A\r", 0, kCodecOk, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 2); }},
        {"$MODE;OK^3C\r", 1, kCodecOk, nullptr, nullptr},
        {"$MODE;3^QQ\r", 0, kCodecOk, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 3); }},
        {"$MODE;2^0a\r", 0, kCodecData, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 1); }},
        {"$MODE;2^0B\r", 0, kCodecData, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 1); }},
        {"$MODE;2^\r", 0, kCodecFormat, nullptr, nullptr},
        {"$MODE;2^0\r", 0, kCodecFormat, nullptr, nullptr},
        // Shape of the line.
        {"$OK\r", 0, kCodecFormat, nullptr, nullptr},
        {"$MODE\n", 0, kCodecFormat, nullptr, nullptr},
        {"$MODE;\r", 0, kCodecFormat, nullptr, nullptr},
        {"$;2\r", 0, kCodecFormat, nullptr, nullptr},
        {"MODE;2\r", 0, kCodecFormat, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 1); }},
        {"$MODE;2", 0, kCodecFormat, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 1); }},
        {"$MODE;2\n", 0, kCodecFormat, nullptr, nullptr},  // LF inside a payload is data
        {"$ABCDEFGHIJ;1\r", 0, kCodecFormat, nullptr, nullptr},
        {"$ABCDEFGHI;1\r", 0, kCodecUnknown, nullptr, nullptr},
        {"$mode;2;1f\r", 0, kCodecOk, nullptr,
         [](CDataServer& d) {
             uint16_t flags = 0;
             d.Get(DI_STATUS_FLAGS, flags);
             EXPECT_EQ(Mode(d), 2);
             EXPECT_EQ(flags, 0x1F);
         }},
        {name239, 0, kCodecOk, nullptr, [](CDataServer& d) { EXPECT_EQ(DeviceName(d), "NAME"); }},
        {name240, 0, kCodecFormat, nullptr, [](CDataServer& d) { EXPECT_EQ(DeviceName(d), "Quil"); }},
        // Status words.
        {"$MODE;OK\r", 0, kCodecOk, nullptr, nullptr},
        {"$MODE;FE\r", 1, kCodecFormat, nullptr, nullptr},
        {"$MODE;CE\r", 1, kCodecUnknown, nullptr, nullptr},
        {"$MODE;DE\r", 1, kCodecData, nullptr, nullptr},
        {"$MODE;EE\r", 0, kCodecDevError, nullptr, nullptr},
        {"$PASS;PC\r", 1, kCodecPassChanged, NewPasswordPending,
         [](CDataServer& d) {
             PasswordRecord p;
             d.Get(DI_PASSWORD, p);
             EXPECT_STREQ(p.current, "1234");
             EXPECT_STREQ(p.next, "");
             EXPECT_EQ(p.flags & 3, 0);  // bit 0 follows bit 1
         }},
        {"$PASS;PE\r", 1, kCodecPassError, NewPasswordPending,
         [](CDataServer& d) {
             PasswordRecord p;
             d.Get(DI_PASSWORD, p);
             EXPECT_STREQ(p.current, "7391");
             EXPECT_STREQ(p.next, "7391");
             EXPECT_EQ(p.flags & 3, 3);  // bit 1 follows bit 0
         }},
        // Data after a write is unexpected; after a read it is taken.
        {"$MODE;2\r", 1, kCodecUnexpected, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 1); }},
        {"$MODE;2\r", 0, kCodecOk, nullptr, [](CDataServer& d) { EXPECT_EQ(Mode(d), 2); }},
        // After a read an empty first field is data and keeps the stored value.
        {"$DEV;;ID77\r", 0, kCodecOk, nullptr,
         [](CDataServer& d) {
             char id[9];
             d.Get(DI_DEVICE_ID, id);
             EXPECT_EQ(DeviceName(d), "Quil");
             EXPECT_STREQ(id, "ID77");
         }},
        {"$DEV;;ID77\r", 1, kCodecUnexpected, nullptr, nullptr},
        {"$MODE;;\r", 0, kCodecData, nullptr, nullptr},
        {"$XYZ;1\r", 0, kCodecUnknown, nullptr, nullptr},
    };
    for (const ReplyCase& r : cases) {
        SCOPED_TRACE(r.line + " write " + std::to_string(r.write));
        CDataServer data;
        CZRAMDS codec(data);
        if (r.setup)
            r.setup(data);
        char keyword[10] = "unset";
        EXPECT_EQ(codec.ParseReply(r.write, keyword, MakeLine(r.line)), r.result);
        if (r.check)
            r.check(data);
    }
}

TEST(CodecParse, KeywordIsReportedFoldedAndFileLinesNeedNoDollar) {
    CDataServer data;
    CZRAMDS codec(data);
    char keyword[10] = {};
    EXPECT_EQ(codec.ParseReply(0, keyword, MakeLine("$mode;4\r\n")), kCodecOk);
    EXPECT_STREQ(keyword, "MODE");
    EXPECT_EQ(codec.ParseFileLine(keyword, MakeLine("dev;Truck7;0042\r\n")), kCodecOk);
    EXPECT_STREQ(keyword, "DEV");
    EXPECT_EQ(DeviceName(data), "Truck7");
}

TEST(CodecLock, TimeOutGivesSevenAndTouchesNothing) {
    CDataServer data;
    CZRAMDS codec(data);
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        std::lock_guard<std::timed_mutex> lock(codec.LockForTest());
        held = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    LineBuffer out = MakeLine("untouched");
    char keyword[10] = "unset";
    EXPECT_EQ(codec.BuildCommand(1, "MODE", "", out), kCodecDevError);
    EXPECT_EQ(Text(out), "untouched");
    EXPECT_EQ(codec.ParseReply(0, keyword, MakeLine("$MODE;5\r")), kCodecDevError);
    EXPECT_STREQ(keyword, "unset");
    EXPECT_EQ(codec.BuildFileLine("MODE", "GET", out), kCodecDevError);
    EXPECT_EQ(codec.ParseFileLine(keyword, MakeLine("MODE;5\r\n")), kCodecDevError);
    EXPECT_EQ(Text(out), "untouched");
    release = true;
    holder.join();
    EXPECT_EQ(Mode(data), 1);
}

TEST(Hex, TwelveDigitIdentifiers) {
    struct Case {
        const char* text;
        uint64_t value;
    };
    const Case reads[] = {
        {"0000000000FF", 0xFF},
        {"123456789ABCDE", 0x123456789ABCull},  // digits past the twelfth are ignored
        {"abcdef", 0xABCDEF},
        {"12G4", 0x1204},  // a non-digit counts as 0
        {"", 0},
    };
    for (const Case& c : reads)
        EXPECT_EQ(HexToU64(c.text), c.value) << c.text;

    const Case writes[] = {
        {"000000FFFFFF", 0xFFFFFF},
        {"000000000000", 0},
        {"FEDCBA987654", 0xFFFFFEDCBA987654ull},  // only the low 48 bits
    };
    for (const Case& c : writes) {
        char text[13];
        U64ToHex(c.value, text);
        EXPECT_STREQ(text, c.text);
    }
}

}  // namespace
