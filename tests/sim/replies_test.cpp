// Reply layouts, checksums, access control and refusals, spoken over the pty.

#include "sim_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

namespace {

class SimFixture : public ::testing::Test {
protected:
    void StartSim(DevSimOptions options) {
        sim = std::make_unique<CDevSim>(std::move(options));
        ASSERT_TRUE(sim->Start());
        ASSERT_TRUE(client.Open(sim->PortPath()));
    }
    SimReply Ask(const std::string& line) { return ParseSimReply(client.Ask(line)); }

    std::unique_ptr<CDevSim> sim;
    CSimClient client;
};

struct LayoutCase {
    const char* line;
    const char* keyword;
    size_t fields;
};

// Every read the configurator makes, with the number of fields its handler expects.
const LayoutCase kLayouts[] = {
    {"$HWCFG", "HWCFG", 2},
    {"$VER", "VER", 5},
    {"$BOOTVER", "BOOTVER", 2},
    {"$DEV", "DEV", 2},
    {"$MODE", "MODE", 2},
    {"$PASS", "PASS", 2},
    {"$LOG", "LOG", 2},
    {"$DATE", "DATE", 6},
    {"$REP", "REP", 19},
    {"$EKEY", "EKEY", 1},
    {"$STATIST", "STATIST", 5},
    {"$STATIST;GET", "STATIST", 12},
    {"$GNSS", "GNSS", 12},
    {"$GSM", "GSM", 10},
    {"$SIMS", "SIMS", 4},
    {"$SIM1", "SIM1", 12},
    {"$SIM", "SIM", 12},
    {"$SIM2", "SIM2", 12},
    {"$APN1", "APN1", 3},
    {"$APN2", "APN2", 3},
    {"$RING", "RING", 2},
    {"$AUDIO", "AUDIO", 2},
    {"$PHONE", "PHONE", 2},
    {"$SMS2;GET", "SMS2", 1},
    {"$PHONE3;GET", "PHONE3", 1},
    {"$WIFI", "WIFI", 5},
    {"$WIFINET", "WIFINET", 2},
    {"$WIFINET10;GET", "WIFINET10", 10},
    {"$SERVER", "SERVER", 2},
    {"$SERVER2;GET", "SERVER2", 13},
    {"$FILTER", "FILTER", 7},
    {"$IN", "IN", 9},
    {"$IN8", "IN8", 10},
    {"$INTRSHD3", "INTRSHD3", 15},
    {"$INTRSHD", "INTRSHD", 9},
    {"$COUNTER", "COUNTER", 9},
    {"$COUNTER2", "COUNTER2", 1},
    {"$IGN", "IGN", 5},
    {"$SOS", "SOS", 6},
    {"$OUT", "OUT", 5},
    {"$OUT4", "OUT4", 5},
    {"$RS232", "RS232", 5},
    {"$RS232B", "RS232B", 5},
    {"$RS485", "RS485", 5},
    {"$RS485A", "RS485A", 5},
    {"$LLS", "LLS", 2},
    {"$LLS0;GET", "LLS0", 6},
    {"$LLS4", "LLS4", 6},
    {"$THERMOID", "THERMOID", 9},
    {"$THERMO1;GET", "THERMO1", 5},
    {"$THERMO8", "THERMO8", 3},
    {"$MSENS;GET", "MSENS", 7},
    {"$MSENS", "MSENS", 3},
    {"$TILT;GET", "TILT", 3},
    {"$TILT", "TILT", 2},
    {"$TSENS;GET", "TSENS", 3},
    {"$TSENS", "TSENS", 1},
    {"$PRSET10;GET", "PRSET10", 1},
    {"$PRSET21;GET", "PRSET21", 1},
    {"$mode", "MODE", 2},
};

TEST_F(SimFixture, EveryReadAnswersItsLayoutWithAValidChecksum) {
    StartSim(FastOptions(11));
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.line);
        const SimReply r = Ask(c.line);
        ASSERT_TRUE(r.framed);
        EXPECT_TRUE(r.checksumOk);
        EXPECT_EQ(r.keyword, c.keyword);
        EXPECT_EQ(r.fields.size(), c.fields) << r.payload;
        EXPECT_NE(r.fields[0], "CE");
        EXPECT_LE(r.payload.size(), 239u);
    }
}

TEST_F(SimFixture, ChecksumMatchesTheWorkedExample) {
    StartSim(FastOptions(11));
    EXPECT_EQ(client.Ask("$MODE;2"), "$MODE;OK^3C");
    EXPECT_EQ(client.Ask("$MODE"), "$MODE;2;0201^32");
}

TEST_F(SimFixture, LiveValuesMoveAndGnssTimeIsNow) {
    StartSim(FastOptions(11));
    const SimReply first = Ask("$STATIST");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const SimReply second = Ask("$STATIST");
    EXPECT_GT(std::stoul(second.fields[0]), std::stoul(first.fields[0]));  // device-on time grows
    const SimReply gnss = Ask("$GNSS");
    char now[8];
    const std::time_t t = std::time(nullptr);
    struct tm utc;
    gmtime_r(&t, &utc);
    std::strftime(now, sizeof now, "%d%m%y", &utc);
    EXPECT_EQ(gnss.fields[0], now);
}

TEST_F(SimFixture, LineFramingToleratesFragmentsAndBareTerminators) {
    StartSim(FastOptions(11));
    client.Send("$MO");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    client.Send("DE\r\n");
    EXPECT_EQ(ParseSimReply(client.ReadLine(1000)).fields[0], "1");
    client.Send("$DEV\r");  // CR alone ends a line
    EXPECT_EQ(ParseSimReply(client.ReadLine(1000)).keyword, "DEV");
    client.Send("\r\n\r\n");  // empty lines are no commands
    EXPECT_EQ(client.ReadLine(150), "");
    EXPECT_EQ(sim->ReceivedLines(), (std::vector<std::string>{"$MODE", "$DEV"}));
}

struct AccessCase {
    const char* line;
    const char* firstField;  // "PE" or a data field
};

TEST_F(SimFixture, ProtectionDemandsTheCurrentPasswordAsPrefix) {
    DevSimOptions options = FastOptions(11);
    options.password = "1234";
    options.protection = true;
    StartSim(options);
    const AccessCase cases[] = {
        {"$MODE", "PE"},        {"$9999;MODE", "PE"}, {"$1234;MODE", "1"},   {"$;MODE", "PE"},
        {"$1234;PASS", "1234"}, {"$RESET", "PE"},     {"$1234;RESET", "OK"}, {"$12345;MODE", "PE"},
    };
    for (const AccessCase& c : cases) {
        SCOPED_TRACE(c.line);
        const SimReply r = Ask(c.line);
        EXPECT_TRUE(r.checksumOk);
        EXPECT_EQ(r.fields[0], c.firstField);
    }
}

TEST_F(SimFixture, WithoutProtectionAnyPrefixIsAccepted) {
    StartSim(FastOptions(11));
    EXPECT_EQ(Ask("$7391;MODE").fields[0], "1");
    EXPECT_EQ(Ask("$MODE").fields[0], "1");
}

struct PresenceCase {
    int type;
    const char* line;
    bool present;
};

// Groups exist only where the model table gives the hardware.
const PresenceCase kPresence[] = {
    {3, "$GSM", false},         {3, "$APN1", false},         {3, "$PHONE1;GET", false},   {3, "$SIMS", false},
    {3, "$WIFI", true},         {1, "$WIFI", false},         {1, "$WIFINET1;GET", false}, {1, "$IN4", true},
    {1, "$IN5", false},         {1, "$INTRSHD5", false},     {1, "$COUNTER5", false},     {1, "$OUT2", true},
    {1, "$OUT3", false},        {1, "$THERMO2;GET", true},   {1, "$THERMO3;GET", false},  {1, "$LLS0", false},
    {1, "$RS232", false},       {1, "$LLS1", true},          {1, "$LLS", true},           {2, "$LLS0", true},
    {1, "$SIM2", false},        {1, "$APN2", false},         {5, "$SIM2", true},          {30, "$THERMOID", false},
    {30, "$TSENS", false},      {30, "$MSENS", true},        {41, "$IN", false},          {41, "$OUT1", false},
    {41, "$IGN", false},        {40, "$RS485", false},       {11, "$SERVER3;GET", false}, {11, "$WIFINET11;GET", false},
    {11, "$PHONE4;GET", false}, {11, "$PRSET12;GET", false}, {11, "$PRSET30;GET", false}, {11, "$IN9", false},
    {11, "$FOO", false},        {11, "$THERMO8;GET", true},  {11, "$THERMO9;GET", false},
};

TEST_F(SimFixture, AbsentGroupsAnswerCE) {
    int type = -1;
    for (const PresenceCase& c : kPresence) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.line);
        if (c.type != type) {
            client.Close();
            sim.reset();
            StartSim(FastOptions(c.type));
            type = c.type;
        }
        const SimReply r = Ask(c.line);
        ASSERT_TRUE(r.framed);
        EXPECT_TRUE(r.checksumOk);
        EXPECT_EQ(r.fields[0] == "CE", !c.present) << r.payload;
    }
}

struct StatusCase {
    const char* line;
    const char* status;
};

// Writes and commands that are judged by their status word alone.
const StatusCase kStatus[] = {
    {"$GNSS;1", "CE"},
    {"$VER;1;2;3;4", "CE"},
    {"$REP;x", "CE"},
    {"$IN;1", "CE"},
    {"$LLS;1,1;0", "CE"},
    {"$WIFI;1", "CE"},
    {"$MODE;9", "FE"},
    {"$MODE;x", "FE"},
    {"$MODE;", "FE"},
    {"$MODE;1;2", "FE"},
    {"$SIMS;5", "FE"},
    {"$LOG;35;1", "FE"},
    {"$DATE;320199;120000;+3;1;0;1", "FE"},
    {"$DATE;010199;126000;+3;1;0;1", "FE"},
    {"$DATE;000000;000000;+15;1;0;1", "FE"},
    {"$DATE;000000;000000;+3;1;0;1", "OK"},
    {"$SERVER1;01;00;1.2.3.4;80;a;b;1;2;3;4;5;6;7;1", "FE"},  // SET missing
    {"$LLS1;SET;1;2", "FE"},
    {"$LLS1;1;2;5", "FE"},
    {"$PRSET10;SET;0123", "FE"},
    {"$PRSET10;SET;zz000000000000000000000000000000", "FE"},
    {"$FILTER;1;0;1;0;1;5;300", "FE"},
    {"$IN1;1;2;3", "FE"},
    {"$MODE;DEL", "FE"},
    {"$RESET;1", "FE"},
    {"$PASS;x;y", "FE"},
    {"$HWCFG;abc", "FE"},
    {"$RESET", "OK"},
    {"$ERASURE", "OK"},
    {"$STATIST;RESET", "OK"},
    {"$STATIST;RESETALL", "OK"},
    {"$COUNTER2;RESET", "OK"},
    {"$COUNTER;RESET", "OK"},
    {"$MSENS;CALALL", "OK"},
    {"$PHONE;DEL", "OK"},
    {"$SERVER;DEL", "OK"},
    {"$WIFINET;DEL", "OK"},
    {"$SMS2;DEL", "OK"},
    {"$DEFAULT", "OK"},
    {"$FACTORY", "OK"},
};

TEST_F(SimFixture, WritesAndCommandsAnswerTheirStatusWord) {
    StartSim(FastOptions(11));
    for (const StatusCase& c : kStatus) {
        SCOPED_TRACE(c.line);
        const SimReply r = Ask(c.line);
        EXPECT_TRUE(r.checksumOk);
        EXPECT_EQ(r.payload, c.status);
    }
}

}  // namespace
