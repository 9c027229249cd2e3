// Service commands: the lines they build, with and without the password
// prefix, and how their replies are judged.
#include "codec_harness.h"

#include <gtest/gtest.h>

namespace {

struct ServiceLine {
    const char* keyword;
    const char* subcommand;
    const char* body;  // the line after "$" and the optional password prefix
};

const ServiceLine kServiceLines[] = {
    {"RESET", "", "RESET"},
    {"DEFAULT", "", "DEFAULT"},
    {"ERASURE", "", "ERASURE"},
    {"FACTORY", "", "FACTORY"},
    {"STATIST", "RESET", "STATIST;RESET"},
    {"STATIST", "RESETALL", "STATIST;RESETALL"},
    {"COUNTER1", "RESET", "COUNTER1;RESET"},
    {"COUNTER4", "RESET", "COUNTER4;RESET"},
    {"COUNTER", "RESET", "COUNTER;RESET"},
    {"MSENS", "CALALL", "MSENS;CALALL"},
};

TEST(ServiceCommands, LinesWithAndWithoutPassword) {
    for (const bool protection : {false, true}) {
        for (const ServiceLine& s : kServiceLines) {
            CodecHarness h;
            h.SetProtection(protection);
            const BuiltLine built = h.Build(1, s.keyword, s.subcommand);
            const std::string expected = std::string(protection ? "$7391;" : "$") + s.body + "\r\n";
            EXPECT_EQ(built.result, kCodecDone) << s.body << " protection " << protection;
            EXPECT_EQ(built.text, expected) << s.body << " protection " << protection;
        }
    }
}

TEST(ServiceCommands, RefusedCountersBuildNothing) {
    struct Case {
        int type;
        const char* keyword;
    };
    const Case cases[] = {{0, "COUNTER5"}, {10, "COUNTER9"}, {0, "COUNTER0"}, {41, "COUNTER1"}};
    for (const Case& k : cases) {
        CodecHarness h(k.type);
        const BuiltLine built = h.Build(1, k.keyword, "RESET");
        EXPECT_EQ(built.result, kCodecData) << k.keyword << " type " << k.type;
        EXPECT_EQ(built.text, "") << k.keyword << " type " << k.type;
    }
}

// A query of a service keyword is built without the handler; the line is the same.
TEST(ServiceCommands, ReadBuildsThePlainLine) {
    CodecHarness h;
    const BuiltLine built = h.Build(0, "RESET", "");
    EXPECT_EQ(built.result, kCodecOk);
    EXPECT_EQ(built.text, "$RESET\r\n");
}

// After a write only a status word answers; as a read, a data reply carries
// nothing to store.
TEST(ServiceCommands, RepliesAreJudgedByTheirStatusWord) {
    struct Case {
        int write;
        const char* keyword;
        const char* reply;
        int result;
    };
    const Case cases[] = {
        {1, "FACTORY", "$FACTORY;OK", kCodecOk},      {1, "ERASURE", "$ERASURE;EE", kCodecDevError},
        {1, "DEFAULT", "$DEFAULT;CE", kCodecUnknown}, {1, "RESET", "$RESET;FE", kCodecFormat},
        {1, "RESET", "$RESET;1", kCodecUnexpected},   {1, "MSENS", "$MSENS;OK", kCodecOk},
        {0, "RESET", "$RESET;1", kCodecData},         {0, "DEFAULT", "$DEFAULT;done", kCodecData},
        {0, "RESET", "$RESET;OK", kCodecOk},
    };
    for (const Case& k : cases) {
        CodecHarness h;
        const std::string sub = std::string(k.keyword) == "MSENS" ? "CALALL" : "";
        EXPECT_EQ(h.Exchange(k.write, k.keyword, sub.c_str(), std::string(k.reply) + "\r"), k.result) << k.reply;
    }
}

// Neither building nor the reply touches the settings: a calibration leaves
// the accelerometer configuration and the counters' inputs as they were.
TEST(ServiceCommands, RecordUnchanged) {
    CodecHarness h;
    MotionSensorConfig m{0x03, 9, 99};
    h.data.Set(DI_MSENS_CONFIG, m);
    EXPECT_EQ(h.Exchange(1, "MSENS", "CALALL", "$MSENS;OK\r"), kCodecOk);
    EXPECT_EQ(h.Exchange(1, "COUNTER2", "RESET", "$COUNTER2;OK\r"), kCodecOk);
    const auto got = h.Item<MotionSensorConfig>(DI_MSENS_CONFIG);
    EXPECT_EQ(got.flags, 0x03);
    EXPECT_EQ(got.motion, 9);
    EXPECT_EQ(got.shock, 99);
    EXPECT_EQ(h.Item<InputRecord>(DI_INPUT_1 + 1).value3, 0);
}

}  // namespace
