// Network keywords on the wire and in the settings file: command lines built
// from the record, replies taken into it, and file lines that must bring back
// what was saved.
#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

LineBuffer Line(const std::string& text) {
    LineBuffer line;
    line.length = static_cast<uint16_t>(text.size());
    std::memcpy(line.text, text.data(), text.size());
    return line;
}

template <class T> T Item(CDataServer& data, int item) {
    T value{};
    data.Get(item, value);
    return value;
}

std::string Text(CDataServer& data, int item) {
    char text[32] = {};
    data.Get(item, text, CDataServer::ItemSize(item));
    return text;
}

std::string DescribeGnss(const GnssRecord& g) {
    const DateTime& t = g.time;
    return Format(
        "%02u.%02u.%02u %02u:%02u:%02u %c%02u %02u.%04u %c%03u %02u.%04u alt=%d fix=%c state=%02x "
        "speed=%u course=%u sat=%u hdop=%.2f",
        t.day, t.month, t.year, t.hour, t.minute, t.second, g.latitude.hemisphere, g.latitude.degrees,
        g.latitude.minutes, g.latitude.fraction, g.longitude.hemisphere, g.longitude.degrees, g.longitude.minutes,
        g.longitude.fraction, g.altitude, g.fix, g.state, g.speed, g.course, g.satellites, static_cast<double>(g.hdop));
}

std::string DescribeGsm(CDataServer& data) {
    const auto cell = Item<CellRecord>(data, DI_CELL);
    return Format("state=%02x imei=%s rssi=%u balance=%d cell=%u/%u/%u/%u", Item<uint8_t>(data, DI_GSM_STATE),
                  Text(data, DI_IMEI).c_str(), Item<uint8_t>(data, DI_RSSI), Item<int16_t>(data, DI_BALANCE), cell.mcc,
                  cell.mnc, cell.lac, cell.cid);
}

std::string DescribeWifi(CDataServer& data) {
    return Format("flags=%02x mac=%s value=%u", Item<uint8_t>(data, DI_WIFI_FLAGS), Text(data, DI_WIFI_MAC).c_str(),
                  Item<uint8_t>(data, DI_WIFI_VALUE));
}

std::string DescribeAccessPoint(const AccessPointRecord& a) {
    return Format("apn=%s login=%s password=%s balance=%s service=%s sim=%s", a.apn, a.login, a.password, a.balanceCode,
                  a.serviceCode, a.simString);
}

std::string DescribeWifiNetwork(const WifiNetworkRecord& w) {
    return Format("flags=%u n1=%u ssid=%s n2=%d n3=%u key=%s n4=%u ip=%s mask=%s gw=%s dns=%s,%s", w.flags, w.n1,
                  w.ssid, w.n2, w.n3, w.key, w.n4, w.ip, w.mask, w.gateway, w.dns1, w.dns2);
}

std::string DescribeServer(const ServerRecord& s) {
    return Format("flags=%02x protocol=%02x %s:%s login=%s password=%s P=%u,%u,%u,%u,%d,%d,%d on=%d", s.flags,
                  s.protocol, s.ip, s.port, s.login, s.password, s.p1, s.p2, s.p3, s.p4, s.p5, s.p6, s.p7, s.lastOn);
}

std::string DescribeFilter(const TrackFilterRecord& f) {
    return Format("flags=%04x distance=%u angle=%u speed=%u fourth=%u w=%u moving=%u rest=%u", f.flags, f.distance,
                  f.angle, f.minSpeed, f.fourth, f.w, f.timeMoving, f.timeRest);
}

// One readable line per setting group, so a mismatch shows which value moved.
std::string Describe(CDataServer& data, int item) {
    if (item >= DI_WIFINET_1 && item < DI_WIFINET_1 + kWifiNets) {
        return DescribeWifiNetwork(Item<WifiNetworkRecord>(data, item));
    }
    if (item >= DI_SERVER_1 && item < DI_SERVER_1 + kServers)
        return DescribeServer(Item<ServerRecord>(data, item));
    if (item >= DI_PHONE_1 && item < DI_SMS_1 + kPhones)
        return Text(data, item);
    switch (item) {
    case DI_GNSS: return DescribeGnss(Item<GnssRecord>(data, item));
    case DI_GSM_STATE: return DescribeGsm(data);
    case DI_WIFI_FLAGS: return DescribeWifi(data);
    case DI_APN_1:
    case DI_APN_2: return DescribeAccessPoint(Item<AccessPointRecord>(data, item));
    case DI_SIM_CONTROL: return Format("%d", Item<int32_t>(data, item));
    case DI_RING:
    case DI_AUDIO: {
        const auto pair = Item<BytePair>(data, item);
        return Format("%u,%u", pair.first, pair.second);
    }
    case DI_WIFINET_COUNT:
    case DI_SERVER_COUNT: return Format("%u", Item<uint8_t>(data, item));
    case DI_TRACK_FILTER: return DescribeFilter(Item<TrackFilterRecord>(data, item));
    default: ADD_FAILURE() << "no description for item " << item; return "";
    }
}

// Settings that differ from the defaults in every field the file carries.
void SeedNetworkSettings(CDataServer& data) {
    const char phone1[16] = "+79991234567";
    const char phone2[16] = "";
    const char sms3[16] = "112";
    data.Set(DI_PHONE_1, phone1);
    data.Set(DI_PHONE_1 + 1, phone2);
    data.Set(DI_SMS_1 + 2, sms3);
    data.Set(DI_SIM_CONTROL, int32_t{4});

    // The SIM codes keep their defaults: no settings-file line carries them.
    AccessPointRecord ap1{"internet.a", "alogin", "apass", "*100#", "111*0887#", ""};
    AccessPointRecord ap2{"internet.b", "user", "pw", "*102#", "110*10#", ""};
    data.Set(DI_APN_1, ap1);
    data.Set(DI_APN_2, ap2);

    WifiNetworkRecord net;
    net.flags = 1;
    net.n1 = 2;
    std::strcpy(net.ssid, "Home net");
    net.n2 = 52;
    net.n3 = 3;
    std::strcpy(net.key, "secret-key");
    net.n4 = 0;
    std::strcpy(net.ip, "010.000.000.002");
    std::strcpy(net.mask, "255.255.255.000");
    std::strcpy(net.gateway, "010.000.000.001");
    std::strcpy(net.dns1, "008.008.008.008");
    std::strcpy(net.dns2, "008.008.004.004");
    data.Set(DI_WIFINET_1 + 1, net);

    ServerRecord s1{1, 0x1A, "192.168.001.010", "20332", "lg", "pw", 60, 5, 120, 15, 44, 255, 7, 1};
    ServerRecord s2{0, 0x03, "010.001.002.003", "8080", "", "secret", 30, 1, 0, 10, 2, 0, 9, 0};
    data.Set(DI_SERVER_1, s1);
    data.Set(DI_SERVER_1 + 1, s2);

    TrackFilterRecord filter{0xFFEB, 15, 3, 90, 250, 2, 10, 600};
    data.Set(DI_TRACK_FILTER, filter);
}

class NetworkCodec : public ::testing::Test {
protected:
    void SetUp() override { SetProtection(false); }

    void SetProtection(bool on) {
        auto password = Item<PasswordRecord>(data, DI_PASSWORD);
        password.flags = on ? 1 : 0;
        data.Set(DI_PASSWORD, password);
    }

    int Build(int write, const char* keyword, const char* subcommand, std::string& line) {
        LineBuffer out;
        const int result = codec.BuildCommand(write, keyword, subcommand, out);
        line.assign(out.text, out.length);
        return result;
    }

    // Sends the request (so the codec remembers its subcommand), then parses the reply.
    int Exchange(const char* keyword, const char* subcommand, const std::string& reply) {
        std::string sent;
        Build(0, keyword, subcommand, sent);
        char found[10] = {};
        return codec.ParseReply(0, found, Line(reply + "\r"));
    }

    int ParseFile(CZRAMDS& target, const std::string& text) {
        char found[10] = {};
        return target.ParseFileLine(found, Line(text + "\r\n"));
    }

    CDataServer data;
    CZRAMDS codec{data};
};

// ---------------------------------------------------------------------------
// Building command lines

struct BuildCase {
    int write;
    const char* keyword;
    const char* subcommand;
    int result;
    const char* line;
};

TEST_F(NetworkCodec, BuildsCommandLinesFromTheRecord) {
    SeedNetworkSettings(data);
    const BuildCase cases[] = {
        {0, "PHONE1", "GET", kCodecOk, "$PHONE1;GET\r\n"},
        {1, "PHONE1", "SET", kCodecDone, "$PHONE1;SET;+79991234567\r\n"},
        {1, "PHONE2", "SET", kCodecDone, "$PHONE2;SET;NA\r\n"},
        {1, "PHONE2", "DEL", kCodecDone, "$PHONE2;DEL\r\n"},
        {1, "PHONE2", "GET", kCodecUnexpected, ""},
        {1, "PHONE", "DEL", kCodecDone, "$PHONE;DEL\r\n"},
        {1, "PHONE", "SET", kCodecUnknown, ""},
        {1, "PHONE0", "SET", kCodecUnknown, ""},
        {1, "PHONE4", "DEL", kCodecUnknown, ""},
        {1, "SMS3", "SET", kCodecDone, "$SMS3;SET;112\r\n"},
        {1, "SMS", "SET", kCodecUnknown, ""},
        {1, "SIMS", "", kCodecDone, "$SIMS;4\r\n"},
        {1, "APN", "", kCodecDone, "$APN;internet.a;alogin;apass\r\n"},
        {1, "APN2", "", kCodecDone, "$APN2;internet.b;user;pw\r\n"},
        {1, "SERVER1", "SET", kCodecDone, "$SERVER1;SET;01;1a;192.168.001.010;20332;lg;pw;60;5;120;15;44;255;7;1\r\n"},
        {1, "SERVER2", "SET", kCodecDone, "$SERVER2;SET;00;03;010.001.002.003;8080;;secret;30;1;0;10;2;0;9;0\r\n"},
        {1, "SERVER1", "DEL", kCodecDone, "$SERVER1;DEL\r\n"},
        {1, "SERVER", "DEL", kCodecDone, "$SERVER;DEL\r\n"},
        {1, "SERVER", "SET", kCodecUnknown, ""},
        {1, "SERVER3", "SET", kCodecUnknown, ""},
        {1, "SERVER0", "DEL", kCodecUnknown, ""},
        {1, "SERVER1", "", kCodecUnknown, ""},
        {1, "WIFINET2", "SET", kCodecDone,
         "$WIFINET2;SET;2;Home net;52;3;secret-key;0;010.000.000.002;255.255.255.000;010.000.000.001;"
         "008.008.008.008;008.008.004.004\r\n"},
        {1, "WIFINET", "DEL", kCodecDone, "$WIFINET;DEL\r\n"},
        {1, "WIFINET", "SET", kCodecUnknown, ""},
        {1, "WIFINET0", "SET", kCodecUnknown, ""},
        {1, "WIFINET11", "SET", kCodecUnknown, ""},
        {1, "WIFINET1", "DEL", kCodecUnknown, ""},  // would run the fields into "DEL"
        {1, "FILTER", "", kCodecDone, "$FILTER;1,250;0,15;1,3;0,90;2;10;600\r\n"},
        {1, "GNSS", "", kCodecData, ""},
        {1, "GSM", "", kCodecData, ""},
        {1, "SIM", "", kCodecData, ""},
        {1, "SIM2", "", kCodecData, ""},
        {1, "RING", "", kCodecData, ""},
        {1, "AUDIO", "", kCodecData, ""},
        {1, "WIFI", "", kCodecData, ""},
    };
    for (const BuildCase& c : cases) {
        SCOPED_TRACE(std::string(c.keyword) + ";" + c.subcommand);
        std::string line;
        EXPECT_EQ(Build(c.write, c.keyword, c.subcommand, line), c.result);
        EXPECT_EQ(line, c.line);
    }
}

TEST_F(NetworkCodec, WriteLinesCarryThePasswordWhenProtectionIsOn) {
    SeedNetworkSettings(data);
    SetProtection(true);
    std::string line;
    EXPECT_EQ(Build(1, "PHONE1", "SET", line), kCodecDone);
    EXPECT_EQ(line, "$7391;PHONE1;SET;+79991234567\r\n");
    EXPECT_EQ(Build(1, "SERVER", "DEL", line), kCodecDone);
    EXPECT_EQ(line, "$7391;SERVER;DEL\r\n");
}

TEST_F(NetworkCodec, WriteLinesNeverExceedTheFieldWidths) {
    AccessPointRecord ap;
    // No terminators: the widths alone must bound the copies.
    std::memset(ap.apn, 'x', sizeof ap.apn);
    std::memset(ap.login, 'x', sizeof ap.login);
    std::memset(ap.password, 'x', sizeof ap.password);
    data.Set(DI_APN_1, ap);
    std::string line;
    ASSERT_EQ(Build(1, "APN1", "", line), kCodecDone);
    EXPECT_EQ(line, "$APN1;" + std::string(20, 'x') + ";" + std::string(24, 'x') + ";" + std::string(15, 'x') + "\r\n");
}

// ---------------------------------------------------------------------------
// Replies

struct ReplyCase {
    const char* request;
    const char* subcommand;
    const char* before;  // settings-file line applied first ("" for none)
    const char* reply;
    int result;
    int item;
    const char* expected;  // Describe() of the item afterwards
};

TEST_F(NetworkCodec, TakesRepliesIntoTheRecord) {
    const ReplyCase cases[] = {
        // GNSS
        {"GNSS", "", "", "$GNSS;010120;120000;5545.4321;N;03737.5678;E;150;1;60;90;9;0.9", kCodecOk, DI_GNSS,
         "01.01.20 12:00:00 N55 45.4321 E037 37.5678 alt=150 fix=1 state=04 speed=60 course=90 sat=9 hdop=0.90"},
        {"GNSS", "", "GNSS;010120;120000;5545.4321;N;03737.5678;E;150;1;60;90;9;0.9",
         "$GNSS;NA;NA;NA;NA;NA;NA;NA;NA;NA;NA;NA;NA", kCodecOk, DI_GNSS,
         "01.01.20 12:00:00 N00 00.0000 E000 00.0000 alt=0 fix=0 state=00 speed=0 course=0 sat=0 hdop=0.00"},
        {"GNSS", "", "", "$GNSS;3112;2359xx;5545.4321;S;;E;-20;2", kCodecOk, DI_GNSS,
         "31.12.00 23:59:00 S55 45.4321 E000 00.0000 alt=-20 fix=2 state=04 speed=0 course=0 sat=0 hdop=0.00"},
        // GSM
        {"GSM", "", "", "$GSM;1F;0C;861234567890123;25001;23;-150;250;1;7712;40123", kCodecOk, DI_GSM_STATE,
         "state=0c imei=861234567890123 rssi=23 balance=-150 cell=250/1/7712/40123"},
        {"GSM", "", "GSM;1F;0C;861234567890123;25001;23;-150;250;1;7712;40123",
         "$GSM;1F;08;861234567890123;NA;NA;NA;250;NA;7712;40123", kCodecOk, DI_GSM_STATE,
         "state=08 imei=861234567890123 rssi=0 balance=0 cell=0/0/0/0"},
        {"GSM", "", "GSM;1F;0C;861234567890123;25001;23;-150;250;1;7712;40123", "$GSM;1F;02;;;;;250;2;7713", kCodecOk,
         DI_GSM_STATE, "state=02 imei=861234567890123 rssi=23 balance=-150 cell=250/1/7712/40123"},
        // WIFI
        {"WIFI", "", "", "$WIFI;03;x;1A;AA:BB:CC:DD:EE:FF;77", kCodecOk, DI_WIFI_FLAGS,
         "flags=1a mac=AA:BB:CC:DD:EE:FF value=77"},
        {"WIFI", "", "WIFI;03;x;1A;AA:BB:CC:DD:EE:FF;77", "$WIFI;NA;NA;NA;;NA", kCodecOk, DI_WIFI_FLAGS,
         "flags=00 mac=AA:BB:CC:DD:EE:FF value=0"},
        // SIM use and SIM status
        {"SIMS", "", "", "$SIMS;3;0;2;1", kCodecOk, DI_SIM_CONTROL, "2"},
        {"SIMS", "", "", "$SIMS;1;0;;1", kCodecOk, DI_SIM_CONTROL, "3"},
        {"SIM2", "", "APN2;b;c;d", "$SIM2;1;2;3;4;5;6;7;8;9;SIMSTR;*111#;*100#", kCodecOk, DI_APN_2,
         "apn=b login=c password=d balance=*100# service=*111# sim=SIMSTR"},
        {"SIM", "", "APN1;b;c;d", "$SIM;1;2;3;4;5;6;7;8;9;S;;*1#", kCodecOk, DI_APN_1,
         "apn=b login=c password=d balance=*1# service=111*0887# sim=S"},
        // Access points
        {"APN1", "", "APN1;a;b;c", "$APN1;;user", kCodecOk, DI_APN_1,
         "apn=a login=user password=c balance=*100# service=111*0887# sim="},
        {"APN2", "", "", "$APN2;internet.b;u2;p2", kCodecOk, DI_APN_2,
         "apn=internet.b login=u2 password=p2 balance=*102# service=110*10# sim="},
        // Phone and SMS numbers
        {"PHONE2", "GET", "", "$PHONE2;+79990000000", kCodecOk, DI_PHONE_1 + 1, "+79990000000"},
        {"PHONE2", "", "", "$PHONE2;+79990000000", kCodecData, DI_PHONE_1 + 1, ""},
        {"PHONE2", "GET", "PHONE2;+7111", "$PHONE2;NA", kCodecOk, DI_PHONE_1 + 1, ""},
        {"PHONE2", "GET", "PHONE2;+7111", "$PHONE2;;x", kCodecData, DI_PHONE_1 + 1, "+7111"},
        {"PHONE", "", "", "$PHONE;+7222", kCodecOk, DI_PHONE_1, ""},
        {"PHONE4", "GET", "", "$PHONE4;+7333", kCodecData, DI_PHONE_1 + 2, ""},
        {"SMS1", "GET", "", "$SMS1;+7000", kCodecOk, DI_SMS_1, "+7000"},
        {"SMS1", "GET", "", "$SMS1;+7000", kCodecOk, DI_PHONE_1, ""},
        // Ring and audio
        {"RING", "", "", "$RING;7;2", kCodecOk, DI_RING, "7,2"},
        {"AUDIO", "", "", "$AUDIO;;9", kCodecOk, DI_AUDIO, "8,9"},
        // WiFi networks: the reply's field 8 is both mask and gateway
        {"WIFINET3", "GET", "", "$WIFINET3;2;Cafe;5;1;pass;0;192.168.000.010;255.255.255.000;008.008.008.008;8.8.4.4",
         kCodecOk, DI_WIFINET_1 + 2,
         "flags=1 n1=2 ssid=Cafe n2=5 n3=1 key=pass n4=0 ip=192.168.000.010 mask=255.255.255.000 "
         "gw=255.255.255.000 dns=008.008.008.008,8.8.4.4"},
        {"WIFINET", "", "", "$WIFINET;x;6", kCodecOk, DI_WIFINET_COUNT, "6"},
        {"WIFINET11", "GET", "", "$WIFINET11;2;Cafe", kCodecData, DI_WIFINET_COUNT, "10"},
        // Servers: every reply starts from the defaults; the on/off flag is not in it
        {"SERVER1", "GET", "SERVER1;00;00;;;;;1;2;3;4;5;6;7;1",
         "$SERVER1;01;1A;192.168.001.010;20332;lg;pw;60;5;120;15;44;255;7;1", kCodecOk, DI_SERVER_1,
         "flags=01 protocol=1a 192.168.001.010:20332 login=lg password=pw P=60,5,120,15,44,255,7 on=0"},
        {"SERVER2", "GET", "SERVER2;00;00;;;;;1;2;3;4;5;6;9;1",
         "$SERVER2;01;02;010.000.000.001;8080;u;p;60;1;100;20;3;4", kCodecOk, DI_SERVER_1 + 1,
         "flags=01 protocol=02 010.000.000.001:8080 login=u password=p P=60,1,100,20,3,4,0 on=0"},
        {"SERVER1", "", "", "$SERVER1;01;1A;192.168.001.010", kCodecData, DI_SERVER_1,
         "flags=00 protocol=00 : login= password= P=120,0,240,30,1,0,0 on=0"},
        {"SERVER", "", "SERVER;x;5", "$SERVER;x;2", kCodecOk, DI_SERVER_COUNT, "2"},
        {"SERVER3", "GET", "", "$SERVER3;01", kCodecData, DI_SERVER_COUNT, "2"},
        {"SERVER0", "GET", "", "$SERVER0;07", kCodecData, DI_SERVER_COUNT, "2"},
        // Track filter
        {"FILTER", "", "FILTER;0,1;1,2;0,3;1,4;5;6;7", "$FILTER;1,100;0,10;1,2;0,60;1;5;300", kCodecOk, DI_TRACK_FILTER,
         "flags=ffeb distance=100 angle=10 speed=2 fourth=60 w=1 moving=5 rest=300"},
        {"FILTER", "", "", "$FILTER;0", kCodecOk, DI_TRACK_FILTER,
         "flags=fffd distance=100 angle=10 speed=2 fourth=60 w=1 moving=5 rest=300"},
        // a sub-value of more than nine characters is skipped, the rest of the pair is taken
        {"FILTER", "", "", "$FILTER;0,1234567890;0000000001,20;;,7;;;301", kCodecOk, DI_TRACK_FILTER,
         "flags=fffd distance=100 angle=20 speed=2 fourth=7 w=1 moving=5 rest=301"},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.reply);
        CDataServer fresh;
        CZRAMDS target(fresh);
        if (c.before[0] != '\0')
            ParseFile(target, c.before);
        LineBuffer request;
        target.BuildCommand(0, c.request, c.subcommand, request);
        char found[10] = {};
        EXPECT_EQ(target.ParseReply(0, found, Line(std::string(c.reply) + "\r")), c.result);
        EXPECT_EQ(Describe(fresh, c.item), c.expected);
    }
}

TEST_F(NetworkCodec, WifiNetworkReplyMarksTheNetworkReceived) {
    WifiNetworkRecord net;
    net.flags = 0;
    data.Set(DI_WIFINET_1, net);
    ASSERT_EQ(Exchange("WIFINET1", "GET", "$WIFINET1;1"), kCodecOk);
    EXPECT_EQ(Item<WifiNetworkRecord>(data, DI_WIFINET_1).flags & 1, 1);
}

// ---------------------------------------------------------------------------
// Settings-file lines

TEST_F(NetworkCodec, FileLinesHoldTheWriteFieldsWithoutLeadInOrSubcommand) {
    SeedNetworkSettings(data);
    SetProtection(true);  // never in a file
    struct {
        const char* keyword;
        const char* subcommand;
        int result;
        const char* line;
    } const cases[] = {
        {"PHONE1", "SET", kCodecDone, "PHONE1;+79991234567\r\n"},
        {"PHONE2", "SET", kCodecDone, "PHONE2;NA\r\n"},
        {"SIMS", "", kCodecDone, "SIMS;4\r\n"},
        {"SERVER1", "SET", kCodecDone, "SERVER1;01;1a;192.168.001.010;20332;lg;pw;60;5;120;15;44;255;7;1\r\n"},
        {"GSM", "", kCodecData, ""},
        {"SIM1", "", kCodecData, ""},
        {"WIFI", "", kCodecData, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword);
        LineBuffer out;
        EXPECT_EQ(codec.BuildFileLine(c.keyword, c.subcommand, out), c.result);
        EXPECT_EQ(std::string(out.text, out.length), c.line);
    }
}

struct FileCase {
    const char* keyword;
    const char* subcommand;
    int item;
};

// Every network group the settings file keeps comes back unchanged.
TEST_F(NetworkCodec, FileLinesRoundTrip) {
    SeedNetworkSettings(data);
    const FileCase cases[] = {
        {"PHONE1", "SET", DI_PHONE_1},   {"SMS3", "SET", DI_SMS_1 + 2},
        {"SIMS", "", DI_SIM_CONTROL},    {"APN1", "", DI_APN_1},
        {"APN2", "", DI_APN_2},          {"WIFINET2", "SET", DI_WIFINET_1 + 1},
        {"SERVER1", "SET", DI_SERVER_1}, {"SERVER2", "SET", DI_SERVER_1 + 1},
        {"FILTER", "", DI_TRACK_FILTER},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.keyword);
        LineBuffer line;
        ASSERT_EQ(codec.BuildFileLine(c.keyword, c.subcommand, line), kCodecDone);
        CDataServer loaded;
        CZRAMDS reader(loaded);
        char found[10] = {};
        EXPECT_EQ(reader.ParseFileLine(found, line), kCodecOk);
        EXPECT_STREQ(found, c.keyword);
        EXPECT_EQ(Describe(loaded, c.item), Describe(data, c.item));
    }
}

// An empty number is saved as "NA" and must load as empty, also over a stored one.
TEST_F(NetworkCodec, EmptyPhoneNumberSurvivesTheFile) {
    SeedNetworkSettings(data);
    LineBuffer line;
    ASSERT_EQ(codec.BuildFileLine("PHONE2", "SET", line), kCodecDone);
    CDataServer loaded;
    const char stale[16] = "+7000";
    loaded.Set(DI_PHONE_1 + 1, stale);
    CZRAMDS reader(loaded);
    char found[10] = {};
    EXPECT_EQ(reader.ParseFileLine(found, line), kCodecOk);
    EXPECT_EQ(Text(loaded, DI_PHONE_1 + 1), "");
}

// What the line formats cannot carry: the values come back changed.
TEST_F(NetworkCodec, FileLinesLoseWhatTheLineFormatCannotCarry) {
    ServerRecord server{1, 2, "1.2.3.4", "80", "", "", 1, 2, 3, 4, 300, -1, 256, 5};
    data.Set(DI_SERVER_1, server);
    WifiNetworkRecord net;
    net.flags = 0x06;
    net.n2 = 0x1234;
    data.Set(DI_WIFINET_1, net);
    AccessPointRecord ap{"apn", "", "", "*105#", "111*1#", "sim"};
    data.Set(DI_APN_1, ap);
    TrackFilterRecord filter;
    filter.flags = 0x0000;
    data.Set(DI_TRACK_FILTER, filter);

    CDataServer loaded;
    const auto defaultAp = Item<AccessPointRecord>(loaded, DI_APN_1);
    CZRAMDS reader(loaded);
    for (const char* keyword : {"SERVER1", "WIFINET1", "APN1", "FILTER"}) {
        LineBuffer line;
        ASSERT_EQ(codec.BuildFileLine(keyword, "SET", line), kCodecDone) << keyword;
        char found[10] = {};
        ASSERT_EQ(reader.ParseFileLine(found, line), kCodecOk) << keyword;
    }
    // P5..P7 travel as their low byte; any on/off value but 1 is "off".
    const auto s = Item<ServerRecord>(loaded, DI_SERVER_1);
    EXPECT_EQ(s.p5, 44);
    EXPECT_EQ(s.p6, 255);
    EXPECT_EQ(s.p7, 0);
    EXPECT_EQ(s.lastOn, 0);
    // N2 travels as its low byte; the flags are not carried and loading marks the network received.
    const auto w = Item<WifiNetworkRecord>(loaded, DI_WIFINET_1);
    EXPECT_EQ(w.n2, 0x34);
    EXPECT_EQ(w.flags, 1);
    // Empty access point texts keep what the record held before.
    const auto a = Item<AccessPointRecord>(loaded, DI_APN_1);
    EXPECT_STREQ(a.apn, "apn");
    EXPECT_STREQ(a.login, defaultAp.login);
    EXPECT_STREQ(a.password, defaultAp.password);
    // The SIM codes and SIM string are read-only on the device and not saved.
    EXPECT_EQ(DescribeAccessPoint(a).substr(DescribeAccessPoint(a).find(" balance=")),
              DescribeAccessPoint(defaultAp).substr(DescribeAccessPoint(defaultAp).find(" balance=")));
    // Only the four enable bits of the filter flags are carried.
    EXPECT_EQ(Item<TrackFilterRecord>(loaded, DI_TRACK_FILTER).flags, 0xFFE1);
}

}  // namespace
