// The simulator keeps what is written: a write followed by a read returns the
// written values in the reply layout, which differs from the write layout for
// several groups.

#include "sim_client.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct RoundTrip {
    const char* write;    // the set line
    const char* read;     // the read that follows
    const char* reply;    // expected reply payload
    const char* keyword;  // group as stored
    const char* stored;   // expected stored set-line fields
};

const RoundTrip kRoundTrips[] = {
    {"$SERVER1;SET;01;02;192.168.001.010;5000;user;pw;60;1;120;15;2;3;4;1", "$SERVER1;GET",
     "01;02;192.168.001.010;5000;user;pw;60;1;120;15;2;3;4", "SERVER1",
     "01;02;192.168.001.010;5000;user;pw;60;1;120;15;2;3;4;1"},
    {"$WIFINET1;SET;1;Home;2;3;secret;1;192.168.000.005;255.255.255.000;192.168.000.001;"
     "008.008.008.008;001.001.001.001",
     "$WIFINET1;GET", "1;Home;2;3;secret;1;192.168.000.005;255.255.255.000;008.008.008.008;001.001.001.001", "WIFINET1",
     "1;Home;2;3;secret;1;192.168.000.005;255.255.255.000;192.168.000.001;008.008.008.008;001.001.001.001"},
    {"$APN1;internet.x;user;pass", "$APN1", "internet.x;user;pass", "APN1", "internet.x;user;pass"},
    {"$APN;net;;", "$APN1", "net;;", "APN1", "net;;"},
    {"$PHONE1;SET;+79990000001", "$PHONE1;GET", "+79990000001", "PHONE1", "+79990000001"},
    {"$SMS3;SET;NA", "$SMS3;GET", "NA", "SMS3", "NA"},
    {"$IN1;1;2;30000;4000;3000;100;5;6;40;7", "$IN1", "1;2;30000;4000;3000;100;5;6;40;7", "IN1",
     "1;2;30000;4000;3000;100;5;6;40;7"},
    {"$INTRSHD2;03;10;200;30;40;00;0;5000;5000;60;01;5;1000;10;60", "$INTRSHD2",
     "03;10;200;30;40;00;0;5000;5000;60;01;5;1000;10;60", "INTRSHD2",
     "03;10;200;30;40;00;0;5000;5000;60;01;5;1000;10;60"},
    {"$OUT1;1;5;2;3;100", "$OUT1", "1;5;2;3;100", "OUT1", "1;5;2;3;100"},
    {"$OUT2;4;;2;3;100", "$OUT2", "4;;2;3;100", "OUT2", "4;;2;3;100"},
    {"$LLS1;SET;1;9;5", "$LLS", "1,0;4,9,2,3,4", "LLS1", "1;9;5"},
    {"$LLS2;SET;0;2;5", "$LLS", "1,0;3,1,3,4", "LLS2", "0;2;5"},
    {"$LLS0;SET;1;7;5", "$LLS", "1,7;4,1,2,3,4", "LLS0", "1;7;5"},
    {"$THERMO1;SET;1;28FF00112233;2;-10;30", "$THERMO1;GET", "1;28FF00112233;2;-10;30", "THERMO1",
     "1;28FF00112233;2;-10;30"},
    {"$PRSET10;SET;c0010000000300000006000000000abc", "$PRSET10;GET", "c0010000000300000006000000000abc", "PRSET10",
     "c0010000000300000006000000000abc"},
    {"$PRSET21;SET;0000000000000000000000000000ffff", "$PRSET21;GET", "0000000000000000000000000000ffff", "PRSET21",
     "0000000000000000000000000000ffff"},
    {"$DEV;Truck7;0042", "$DEV", "Truck7;0042", "DEV", "Truck7;0042"},
    {"$MODE;4", "$MODE", "4;0201", "MODE", "4"},
    {"$LOG;12;1", "$LOG", "12;1", "LOG", "12;1"},
    {"$FILTER;1,150;0,15;1,3;0,70;2;6;400", "$FILTER", "1,150;0,15;1,3;0,70;2;6;400", "FILTER",
     "1,150;0,15;1,3;0,70;2;6;400"},
    {"$SIMS;4", "$SIMS", "01;01;4;00", "SIMS", "4"},
    {"$IGN;3;30000;9000;5000;0", "$IGN", "3;30000;9000;5000;0", "IGN", "3;30000;9000;5000;0"},
    {"$SOS;4;30000;9000;5000;0;0", "$SOS", "4;30000;9000;5000;0;0", "SOS", "4;30000;9000;5000;0;0"},
    {"$RS232B;2;115200;1;2;3", "$RS232", "2;115200;1;2;3", "RS232", "2;115200;1;2;3"},
    {"$RS485;2;57600;1;2;3", "$RS485A", "2;57600;1;2;3", "RS485", "2;57600;1;2;3"},
    {"$MSENS;SET;0;8;1;100;0;1;0", "$MSENS;GET", "0;8;1;100;0;1;0", "MSENS", "0;8;1;100;0;1;0"},
    {"$TILT;SET;1;45;2", "$TILT;GET", "1;45;2", "TILT", "1;45;2"},
    {"$TSENS;SET;1;-30;60", "$TSENS;GET", "1;-30;60", "TSENS", "1;-30;60"},
};

class SimSettings : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<CDevSim>(FastOptions(11));
        ASSERT_TRUE(sim->Start());
        ASSERT_TRUE(client.Open(sim->PortPath()));
    }
    SimReply Ask(const std::string& line) { return ParseSimReply(client.Ask(line)); }

    std::unique_ptr<CDevSim> sim;
    CSimClient client;
};

TEST_F(SimSettings, WriteThenReadReturnsWhatWasWritten) {
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.write);
        const SimReply ack = Ask(c.write);
        EXPECT_TRUE(ack.checksumOk);
        ASSERT_EQ(ack.payload, "OK");
        EXPECT_EQ(Ask(c.read).payload, c.reply);
        EXPECT_EQ(sim->Setting(c.keyword), c.stored);
        ASSERT_EQ(Ask("$DEFAULT").payload, "OK");  // each case starts from the defaults
    }
}

TEST_F(SimSettings, RefusedWriteKeepsTheOldValue) {
    ASSERT_EQ(Ask("$MODE;3").payload, "OK");
    EXPECT_EQ(Ask("$MODE;7").payload, "FE");
    EXPECT_EQ(sim->Setting("MODE"), "3");
    ASSERT_EQ(Ask("$SERVER2;SET;01;02;10.0.0.1;80;a;b;1;2;3;4;5;6;7;1").payload, "OK");
    EXPECT_EQ(Ask("$SERVER2;SET;01;02;10.0.0.1;80").payload, "FE");
    EXPECT_EQ(Ask("$SERVER2;GET").fields[2], "10.0.0.1");
}

TEST_F(SimSettings, DeletionAndDefaultsRestoreTheFactoryValues) {
    const std::string server = Ask("$SERVER1;GET").payload;
    const std::string phone = Ask("$PHONE2;GET").payload;
    ASSERT_EQ(Ask("$SERVER1;SET;01;02;10.0.0.1;80;a;b;1;2;3;4;5;6;7;1").payload, "OK");
    ASSERT_EQ(Ask("$PHONE2;SET;+70000000002").payload, "OK");
    ASSERT_EQ(Ask("$PHONE3;SET;+70000000003").payload, "OK");
    EXPECT_EQ(Ask("$PHONE").payload, "3;2");
    ASSERT_EQ(Ask("$PHONE2;DEL").payload, "OK");
    EXPECT_EQ(Ask("$PHONE2;GET").payload, phone);
    EXPECT_EQ(Ask("$PHONE3;GET").payload, "+70000000003");
    ASSERT_EQ(Ask("$SERVER;DEL").payload, "OK");
    EXPECT_EQ(Ask("$SERVER1;GET").payload, server);
    ASSERT_EQ(Ask("$MODE;5").payload, "OK");
    ASSERT_EQ(Ask("$FACTORY").payload, "OK");
    EXPECT_EQ(Ask("$MODE").fields[0], "1");
    EXPECT_EQ(Ask("$PHONE3;GET").payload, phone);
}

TEST_F(SimSettings, DateWriteSetsTheDeviceClock) {
    ASSERT_EQ(Ask("$DATE;310199;235900;+3;1;0;1").payload, "OK");
    const SimReply r = Ask("$DATE");
    EXPECT_EQ(r.fields[0], "310199");
    EXPECT_EQ(r.fields[1].substr(0, 4), "2359");
    EXPECT_EQ(r.payload.substr(r.payload.size() - 8), "+3;1;0;1");
    EXPECT_EQ(Ask("$REP").fields[2], "310199");
}

TEST_F(SimSettings, LiveReadingsFollowTheConfiguration) {
    ASSERT_EQ(Ask("$IN2;1;1;33000;3000;2000;0;0;1;50;0").payload, "OK");  // input 2 analog
    ASSERT_EQ(Ask("$THERMO3;SET;1;28FF00AABBCC;1;-25;40").payload, "OK");
    ASSERT_EQ(Ask("$OUT3;2;7;0;0;7").payload, "OK");
    const SimReply in = Ask("$IN");
    EXPECT_EQ(in.fields[2].substr(0, 2), "1,");
    EXPECT_GE(std::stoi(in.fields[2].substr(2)), 12000);  // an analog level in mV
    EXPECT_EQ(Ask("$THERMO3").fields[1], "28FF00AABBCC");
    EXPECT_EQ(Ask("$OUT").fields[3].substr(0, 2), "2,");
    ASSERT_EQ(Ask("$LLS3;SET;0;3;5").payload, "OK");
    EXPECT_EQ(Ask("$LLS3").fields[1], "0");  // not in use: no valid reading
}

struct PassCase {
    const char* line;
    const char* status;
    const char* password;  // afterwards
    bool protection;       // afterwards
};

TEST_F(SimSettings, PasswordChangeNeedsTheCurrentPassword) {
    // One sequence: each step starts from the state the previous one left.
    const PassCase steps[] = {
        {"$PASS;0000;1111;1111;1", "PE", "", false},     {"$PASS;;1111;2222;1", "PE", "", false},
        {"$PASS;;1234;1234;1", "PC", "1234", true},      {"$1234;PASS;1234;;;0", "PC", "1234", false},
        {"$PASS;1234;5678;5678;0", "PC", "5678", false}, {"$PASS;5678;123456789;123456789;0", "FE", "5678", false},
        {"$PASS;5678;;;2", "FE", "5678", false},
    };
    for (const PassCase& step : steps) {
        SCOPED_TRACE(step.line);
        EXPECT_EQ(Ask(step.line).payload, step.status);
        EXPECT_EQ(sim->Password(), step.password);
        EXPECT_EQ(sim->Protection(), step.protection);
        EXPECT_EQ(Ask(std::string("$") + step.password + ";PASS").payload,
                  std::string(step.password) + (step.protection ? ";1" : ";0"));
    }
}

}  // namespace
