// The command-line tool in-process against the simulated device on a
// pseudo-terminal: file bytes, writes, the type check, exit statuses, the
// status poll, raw lines, the comparison with a file, lost ports, bad lines
// and bad paths.
#include "cli/cli.h"

#include "cli/headlessui.h"
#include "files/settingsfile.h"
#include "model/dataserver.h"
#include "shell/livesamples.h"
#include "shell/pageset.h"
#include "shell/session.h"
#include "shell/shell.h"
#include "sim/devsim.h"
#include "tests/support/asuser.h"
#include "tests/support/fake_ui.h"
#include "tests/support/received.h"
#include "transport/serialport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct CliFixture : testing::Test {
    std::unique_ptr<CDevSim> sim;
    std::string dir;

    void SetUp() override {
        static std::atomic<int> serial{0};
        const std::string stem = "orvena-cli-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
        dir = (std::filesystem::temp_directory_path() / stem).string();
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove_all(dir);
    }
    void StartDevice(DevSimOptions options) {
        sim.reset();
        options.pacing = false;
        options.link = dir + "/port";
        sim = std::make_unique<CDevSim>(options);
        ASSERT_TRUE(sim->Start());
    }
    void StartProtectedDevice(const std::string& password) {
        DevSimOptions options;
        options.password = password;
        options.protection = true;
        StartDevice(options);
    }
    void StartDevice(int type) {
        DevSimOptions options;
        options.type = type;
        StartDevice(options);
    }
    CliRun Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunCli(args, out, err);
        return {status, out.str(), err.str()};
    }
    // Reads the device into a file with the tool; returns the file's path.
    std::string ReadDevice(const std::string& name = "device.kvs") {
        const std::string path = dir + "/" + name;
        const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", path});
        EXPECT_EQ(run.status, 0) << run.err;
        return path;
    }
    // Replaces the first line that starts with prefix by replacement.
    static std::string ReplaceLine(const std::string& text, const std::string& prefix, const std::string& line) {
        const size_t start = text.find("\n" + prefix) + 1;
        const size_t end = text.find('\n', start);
        return text.substr(0, start) + line + "\r" + text.substr(end);
    }
};

// The core's own save of a freshly connected device: what "Сохранить" writes.
std::string CoreSave(const std::string& port) {
    std::ostringstream quiet;
    CHeadlessUi ui(quiet);
    CDataServer data;
    CShellState state;
    CPageSet pages;
    CSession session(data, state, ui.Roles(), pages);
    session.SetPortPath(port);
    EXPECT_TRUE(session.ConnectDevice());
    return ComposeSettings(session.Codec());
}

TEST_F(CliFixture, ReadWritesTheBytesTheCoreSaves) {
    for (int type : {11, 20, 3, 41}) {
        SCOPED_TRACE(type);
        StartDevice(type);
        const std::string cli = ReadText(ReadDevice());
        EXPECT_EQ(cli.rfind("KVS CONFIG FILE", 0), 0u);
        EXPECT_EQ(cli, CoreSave(sim->PortPath()));
    }
}

TEST_F(CliFixture, WriteLeavesTheFileValuesInTheDevice) {
    StartDevice(11);
    const std::string path = ReadDevice();
    std::string text = ReadText(path);
    text = ReplaceLine(text, "APN1;", "APN1;internet.cli;user7;pass7");
    text = ReplaceLine(text, "TILT;", "TILT;1;45;0");
    WriteText(path, text);
    const CliRun run = Run({"write", "--port", sim->PortPath(), path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(sim->Setting("APN1").find("internet.cli"), std::string::npos) << sim->Setting("APN1");
    EXPECT_NE(sim->Setting("TILT").find("45"), std::string::npos) << sim->Setting("TILT");
    const std::string back = ReadText(ReadDevice("back.kvs"));
    EXPECT_NE(back.find("APN1;internet.cli;user7;pass7\r\n"), std::string::npos);
    EXPECT_NE(back.find("TILT;1;45;0\r\n"), std::string::npos);
}

TEST_F(CliFixture, GarbledRepliesAreReadOnTheSecondAttempt) {
    DevSimOptions options;
    options.garbleEveryN = 5;
    StartDevice(options);
    const std::string path = dir + "/x.kvs";
    const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(path), CoreSave(sim->PortPath()));
}

// A group whose replies are garbled on both attempts fails as before, named
// with its reason; the sequence goes on and the old file stays whole.
TEST_F(CliFixture, ReadReplacesOutOnlyWhenEveryGroupWasRead) {
    DevSimOptions options;
    options.garbleKeyword = "TILT";
    StartDevice(options);
    const std::string path = dir + "/good.kvs";
    WriteText(path, "the good file\r\n");
    CliRun run = Run({"read", "--port", sim->PortPath(), "--out", path});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("orvena-cli: TILT GET: bad checksum\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(path + " left as it was: not read: TILT GET"), std::string::npos) << run.err;
    EXPECT_EQ(ReadText(path), "the good file\r\n");
    EXPECT_EQ(ReceivedRequests(*sim).back(), "PRSET11;GET");

    run = Run({"read", "--port", sim->PortPath(), "--out", path, "--partial"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string rescued = ReadText(path);
    EXPECT_EQ(rescued.rfind("KVS CONFIG FILE", 0), 0u);
    EXPECT_NE(rescued.find("\r\nPRSET11;"), std::string::npos);
}

TEST_F(CliFixture, StatusJsonIsNullWhereAReadFailedInThePass) {
    DevSimOptions options;
    options.garbleKeyword = "GNSS";
    StartDevice(options);
    const CliRun run = Run({"status", "--port", sim->PortPath(), "--count", "1", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const nlohmann::json object = nlohmann::json::parse(run.out);
    EXPECT_TRUE(object["position"].is_null());
    EXPECT_TRUE(object["fix"].is_null());
    EXPECT_TRUE(object["gsm"].is_object());
    EXPECT_TRUE(object["statistics"].is_object());
}

TEST_F(CliFixture, FileOfAnotherTypeIsRefusedBeforeAnyWrite) {
    StartDevice(11);
    const std::string path = ReadDevice();
    StartDevice(3);
    const CliRun run = Run({"write", "--port", sim->PortPath(), path});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("type 11"), std::string::npos) << run.err;
    for (const std::string& line : sim->ReceivedLines())
        EXPECT_NE(line.find("HWCFG"), std::string::npos) << line;
}

TEST_F(CliFixture, ExitStatusesOfBadInput) {
    StartProtectedDevice("1234");
    const std::string port = sim->PortPath();
    const std::string missingFile = dir + "/missing.kvs";
    const std::string notSettings = dir + "/notes.txt";
    WriteText(notSettings, "just some text\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"read", "--port", port, "--password", "9999", "--out", dir + "/x.kvs"}, 3, "refused the password"},
        {{"read", "--port", port, "--no-password", "--out", dir + "/x.kvs"}, 3, "refused the password"},
        {{"read", "--port", dir + "/no-such-port", "--out", dir + "/x.kvs"}, 3, "cannot open port"},
        {{"send", "--port", notSettings, "$VER"}, 3, "not a serial port"},
        {{"write", "--port", port, missingFile}, 2, "missing.kvs: No such file or directory"},
        {{"diff", "--port", port, notSettings}, 2, "notes.txt: not a settings file (no KVS CONFIG FILE header)"},
        {{"read", "--port", port, "--bogus", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--port", port, "--password", "1", "--no-password", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--port", port, "--password", "123456789", "--out", dir + "/x.kvs"}, 2, "8 characters"},
        {{"read", "--port", port, "--password", "73;91", "--out", dir + "/x.kvs"}, 2, "must not hold"},
        {{"read", "--port", port, "--password", "12^4", "--out", dir + "/x.kvs"}, 2, "must not hold"},
        {{"send", "--port", port, "--password", "$1", "$VER"}, 2, "must not hold"},
        {{}, 2, ""},
        {{"--version"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.kvs"));
    const CliRun right = Run({"read", "--port", port, "--password", "1234", "--out", dir + "/x.kvs"});
    EXPECT_EQ(right.status, 0) << right.err;
}

// Output that cannot be written is a failure with a message, not a silent success.
TEST(Cli, OutputThatCannotBeWrittenExits1) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--version"}, {"--help"}, {"ports"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        std::ostringstream out, err;
        out.setstate(std::ios::badbit);
        EXPECT_EQ(RunCli(args, out, err), 1);
        EXPECT_NE(err.str().find("orvena-cli: standard output: "), std::string::npos) << err.str();
    }
}

TEST_F(CliFixture, StatusJsonPrintsOneObjectPerPass) {
    StartDevice(11);
    const CliRun run = Run({"status", "--port", sim->PortPath(), "--count", "3", "--interval-ms", "0", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    int objects = 0;
    while (std::getline(lines, line)) {
        const nlohmann::json object = nlohmann::json::parse(line);
        for (const char* key :
             {"position", "fix", "gsm", "power", "inputs", "outputs", "fuel", "temperatures", "statistics", "flags"})
            EXPECT_TRUE(object.contains(key)) << key;
        EXPECT_EQ(object["inputs"].size(), 8u);
        // Numbers as the device sent them, one type per field.
        EXPECT_NE(line.find("\"hdop\":0.9,"), std::string::npos) << line;
        EXPECT_TRUE(object["fix"]["fix"].is_number_integer()) << line;
        ++objects;
    }
    EXPECT_EQ(objects, 3);

    const CliRun text = Run({"status", "--port", sim->PortPath(), "--count", "1"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 1);
    for (const char* field : {"position=", "gsm=", "power=", "flags="})
        EXPECT_NE(text.out.find(field), std::string::npos) << field << " in " << text.out;
}

// The columns the window's plot saves; the speed, read from a garbled GNSS
// reply, is empty in every row while the supply voltage is there.
TEST_F(CliFixture, StatusCsvPrintsTheHeaderOnceThenOneRowPerPass) {
    DevSimOptions options;
    options.garbleKeyword = "GNSS";
    StartDevice(options);
    const CliRun run = Run({"status", "--port", sim->PortPath(), "--count", "2", "--interval-ms", "0", "--csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, LiveCsv::Header());
    int rows = 0;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        cells.resize(kLiveSeriesCount + 1);
        EXPECT_FALSE(cells[1 + static_cast<size_t>(LiveSeries::ExtPower)].empty()) << line;
        EXPECT_TRUE(cells[1 + static_cast<size_t>(LiveSeries::Speed)].empty()) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 2);
    EXPECT_NE(Run({"status", "--port", sim->PortPath(), "--csv", "--json"}).status, 0);
}

TEST_F(CliFixture, LogDirKeepsTheConnectionsLines) {
    StartDevice(11);
    const CliRun run = Run({"send", "--port", sim->PortPath(), "--log-dir", dir, "$VER"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/Logs"))
        logs.push_back(entry.path());
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = ReadText(logs[0].string());
    EXPECT_NE(log.find(">> $VER"), std::string::npos) << log;
    EXPECT_NE(log.find("<< " + run.out.substr(0, run.out.size() - 1)), std::string::npos) << log;
}

TEST_F(CliFixture, SendPrintsTheReplyLine) {
    StartDevice(11);
    const CliRun run = Run({"send", "--port", sim->PortPath(), "$VER"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("$VER;", 0), 0u) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

// Only the reply naming the line's keyword answers it: a late reply to an
// earlier command that arrives first is not printed, and a line whose own
// reply never comes says so.
TEST_F(CliFixture, SendWaitsForTheReplyToItsOwnKeyword) {
    struct Case {
        const char* name;
        int dropEveryN;  // the third reply is the one to VER
        int status;
        const char* out;
        const char* message;
    } cases[] = {
        {"late reply first", 0, 0, "$VER;", ""},
        {"own reply lost", 3, 1, "", "orvena-cli: $VER: no reply naming VER came within 3 s\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DevSimOptions options;
        options.lateBeforeKeyword = "VER";  // repeats its GSM reply of identification first
        options.dropEveryN = c.dropEveryN;
        StartDevice(options);
        const CliRun run = Run({"send", "--port", sim->PortPath(), "$VER"});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.status == 0 ? 1 : 0) << run.out;
        EXPECT_EQ(run.out.find("GSM"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, c.message);
    }
}

// A reply the device sends but the codec cannot take fails its group with the
// reply named; without --partial the old file stays.
TEST_F(CliFixture, AReplyTheCodecRefusesIsAFailedRead) {
    DevSimOptions options;
    options.payloads["MODE"] = "7";
    StartDevice(options);
    const std::string path = dir + "/good.kvs";
    WriteText(path, "the good file\r\n");
    const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", path});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("orvena-cli: MODE: reply not taken, its values are out of range or unusable: $MODE;7^"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(path + " left as it was: not read: MODE"), std::string::npos) << run.err;
    EXPECT_EQ(ReadText(path), "the good file\r\n");
}

// Identification that meets a bad checksum twice says so, not "no answer".
TEST_F(CliFixture, ChecksumErrorsInIdentificationAreNamed) {
    DevSimOptions options;
    options.garbleKeyword = "HWCFG";
    StartDevice(options);
    const CliRun run = Run({"send", "--port", sim->PortPath(), "$VER"});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(run.err,
              "orvena-cli: the device on " + sim->PortPath() + " could not be identified: HWCFG: bad checksum\n");
}

TEST_F(CliFixture, DiffPrintsOnlyTheChangedGroup) {
    StartDevice(11);
    const std::string path = ReadDevice();
    CliRun run = Run({"diff", "--port", sim->PortPath(), path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    WriteText(path, ReplaceLine(ReadText(path), "OUT2;", "OUT2;1;0;0;0;100"));
    run = Run({"diff", "--port", sim->PortPath(), path});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "-OUT2;0;0;0;0;100\n+OUT2;1;0;0;0;100\n");
}

// ---- lost ports ----

struct LostPortFixture : CliFixture {
    // The device goes away when it receives its unplugAfter-th command; the
    // tool runs the window's recheck and ends with one line.
    CliRun RunUntilGone(std::vector<std::string> args, int unplugAfter, double& seconds) {
        DevSimOptions options;
        options.unplugAfterCommands = unplugAfter;
        StartDevice(options);
        args.insert(args.begin() + 1, {"--port", sim->PortPath()});
        const auto start = std::chrono::steady_clock::now();
        CliRun run = Run(args);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return run;
    }
    // The keyword of the command the device received last.
    std::string LastKeyword() const {
        const std::string last = ReceivedRequests(*sim).back();
        return last.substr(0, last.find(';'));
    }
    void ExpectGoneForGood(const CliRun& run, double seconds, const std::string& note) {
        EXPECT_EQ(run.status, 3) << run.err;
        EXPECT_LT(seconds, 25.0);
        EXPECT_GT(seconds, 15.0);  // the port was looked for, about once a second
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find("orvena-cli: connection to " + sim->PortPath() + " lost at " + LastKeyword()),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(", the port did not come back" + note + "\n"), std::string::npos) << run.err;
    }
};

TEST_F(LostPortFixture, ReadEndsWithExit3WhenThePortDoesNotComeBack) {
    double seconds = 0;
    const std::string path = dir + "/lost.kvs";
    const CliRun run = RunUntilGone({"read", "--out", path}, 21, seconds);
    ExpectGoneForGood(run, seconds, "");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LostPortFixture, WriteTellsHowManyGroupsWereWritten) {
    StartDevice(11);
    const std::string path = ReadDevice();
    // Identification (2), read-all (74), then DEV, DATE, MODE and LOG are written.
    double seconds = 0;
    const CliRun run = RunUntilGone({"write", path}, 81, seconds);
    ExpectGoneForGood(run, seconds, "; 4 groups written");
    EXPECT_EQ(LastKeyword(), "SMS1");
}

TEST_F(LostPortFixture, StatusEndsWithExit3WhenThePortIsGone) {
    double seconds = 0;
    const CliRun run = RunUntilGone({"status", "--interval-ms", "100", "--json"}, 30, seconds);
    ExpectGoneForGood(run, seconds, "");
    EXPECT_GE(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

TEST_F(LostPortFixture, PortBackInTimeReadsEverythingAgain) {
    DevSimOptions options;
    options.unplugAfterCommands = 21;
    options.replugAfterSeconds = 3;
    StartDevice(options);
    const std::string path = dir + "/back.kvs";
    const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("; the port is back, again"), std::string::npos) << run.err;
    const std::vector<std::string> sent = ReceivedRequests(*sim);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "HWCFG"), 4);  // identification and read-all, twice
    EXPECT_EQ(ReadText(path), CoreSave(sim->PortPath()));
}

// Another user is the one whom a forgotten exclusive-use mark, or a port
// check apart from the open, misleads: root opens a terminal whatever its mark.
TEST_F(CliFixture, HeldPortsAndClosedFoldersAreToldToAUserWhoIsNotRoot) {
    if (!CanRunAsNobody())
        GTEST_SKIP() << "switching to an unprivileged user needs root";
    StartDevice(11);
    ASSERT_EQ(chmod(sim->SlavePath().c_str(), 0666), 0);
    const std::vector<std::string> send = {ORVENA_CLI_PATH, "send", "--port", sim->PortPath(), "$VER"};
    {
        CSerialPort holder;
        holder.Open(sim->PortPath());
        const UserRun held = RunAsNobody(send);
        EXPECT_EQ(held.status, 3) << held.output;
        EXPECT_NE(held.output.find("held by another program"), std::string::npos) << held.output;
    }
    for (int round = 0; round < 5; ++round) {
        UserRun first, second;
        std::thread other([&] { second = RunAsNobody(send); });
        first = RunAsNobody(send);
        other.join();
        for (const UserRun* run : {&first, &second}) {
            const bool held = run->status == 3 && run->output.find("held by another program") != std::string::npos;
            EXPECT_TRUE(run->status == 0 || held) << run->output;
        }
    }
    const UserRun after = RunAsNobody(send);
    EXPECT_EQ(after.status, 0) << after.output;

    // A settings file in a folder this user cannot enter is a message, not an abort.
    const std::string closed = dir + "/closed";
    std::filesystem::create_directory(closed);
    WriteText(closed + "/x.kvs", "KVS CONFIG FILE\r\nHWCFG;11\r\n");
    ASSERT_EQ(chmod(closed.c_str(), 0700), 0);
    const UserRun denied = RunAsNobody({ORVENA_CLI_PATH, "write", "--port", sim->PortPath(), closed + "/x.kvs"});
    EXPECT_EQ(denied.status, 2) << denied.output;
    EXPECT_EQ(denied.output, "orvena-cli: " + closed + "/x.kvs: Permission denied\n");
}

// ---- files and lines that are not what they seem ----

TEST_F(CliFixture, WriteKeepsEveryGroupTheFileDoesNotHold) {
    StartDevice(11);
    const std::string full = ReadText(ReadDevice());
    const std::string header = full.substr(0, full.find('\n') + 1);
    const size_t hwcfg = full.find("\nHWCFG;") + 1;
    const std::string partial =
        header + full.substr(hwcfg, full.find('\n', hwcfg) + 1 - hwcfg) + "APN1;internet.cli;user7;pass7\r\n";
    const std::string path = dir + "/partial.kvs";
    WriteText(path, partial);
    // WIFINET1 is left out: the device's reply carries no gateway of its own.
    std::vector<std::string> kept = {"DEV",   "MODE",  "LOG",   "FILTER", "SERVER1", "IGN",     "SOS",
                                     "RS232", "RS485", "MSENS", "TILT",   "TSENS",   "PRSET10", "PRSET11"};
    for (int i = 1; i <= 3; ++i)
        kept.insert(kept.end(), {"SMS" + std::to_string(i), "PHONE" + std::to_string(i)});
    for (int i = 1; i <= 8; ++i)
        kept.insert(kept.end(), {"IN" + std::to_string(i), "INTRSHD" + std::to_string(i)});
    for (int i = 0; i <= 4; ++i)
        kept.push_back("LLS" + std::to_string(i));
    std::vector<std::string> before;
    for (const std::string& group : kept)
        before.push_back(sim->Setting(group));
    const std::string dateOptions = sim->Setting("DATE").substr(14);

    const CliRun run = Run({"write", "--port", sim->PortPath(), path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim->Setting("APN1"), "internet.cli;user7;pass7");
    for (size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(sim->Setting(kept[i]), before[i]) << kept[i];
    EXPECT_EQ(sim->Setting("DATE").substr(14), dateOptions);  // only the clock is set
}

TEST_F(CliFixture, FilesThatAreNoSettingsFilesAreRefusedBeforeConnecting) {
    StartDevice(11);
    const std::string header = "KVS CONFIG FILE, Ver. 01.00\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"over the limit", header + "APN1;a;b;c\r\n" + std::string(1000001, 'x'), "larger than 1000000 bytes"},
        {"no header", "HWCFG;11\r\nAPN1;a;b;c\r\n", "not a settings file (no KVS CONFIG FILE header)"},
        {"header only", header, "not a settings file for any device type (no HWCFG line)"},
        {"no HWCFG line", header + "APN1;a;b;c\r\n", "not a settings file for any device type (no HWCFG line)"},
        {"refused type", header + "HWCFG;-1\r\n",
         "not a settings file for any device type (its line HWCFG;-1 names none)"},
        {"no line end", "KVS CONFIG FILE without end", "not a settings file for any device type (no HWCFG line)"},
    };
    const std::string path = dir + "/bad.kvs";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(path, c.bytes);
        for (const char* command : {"write", "diff"}) {
            const CliRun run = Run({command, "--port", sim->PortPath(), path});
            EXPECT_EQ(run.status, 2) << run.err;
            EXPECT_EQ(run.err, "orvena-cli: " + path + ": " + c.message + "\n");
        }
    }
    EXPECT_TRUE(sim->ReceivedLines().empty());
}

TEST_F(CliFixture, OutIsReplacedOnlyWhereItIsARegularFile) {
    StartDevice(11);
    const std::string fifo = dir + "/fifo", folder = dir + "/folder";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink(fifo, dir + "/to-fifo");
    for (const std::string& out : {fifo, folder, dir + "/to-fifo", dir + "/no-folder/x.kvs"}) {
        SCOPED_TRACE(out);
        const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", out});
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.err.rfind("orvena-cli: " + out + ": ", 0), 0u) << run.err;
    }
    EXPECT_TRUE(sim->ReceivedLines().empty());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A link is followed: its target takes the file, the link stays, also when
    // the target does not exist yet.
    WriteText(dir + "/target.kvs", "old");
    std::filesystem::create_symlink("target.kvs", dir + "/link.kvs");
    std::filesystem::create_symlink("new.kvs", dir + "/dangling.kvs");
    for (const char* link : {"link.kvs", "dangling.kvs"}) {
        const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", dir + "/" + link});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(std::filesystem::is_symlink(dir + "/" + link));
    }
    EXPECT_EQ(ReadText(dir + "/target.kvs").rfind("KVS CONFIG FILE", 0), 0u);
    EXPECT_EQ(ReadText(dir + "/new.kvs").rfind("KVS CONFIG FILE", 0), 0u);
}

// Paths the filesystem refuses end in one line naming the path and the
// reason, never in an uncaught exception.
TEST_F(CliFixture, BadPathsEndInAMessageWithExit2) {
    StartDevice(11);
    const std::string loop = dir + "/loop";
    std::filesystem::create_symlink("loop", loop);
    const std::string tooLong = dir + "/" + std::string(300, 'n') + ".kvs";
    // Fits the folder, but the temporary file beside it would not.
    const std::string noRoom = dir + "/" + std::string(250, 'n') + ".kvs";
    const std::string aFile = dir + "/plain";
    WriteText(aFile, "x");
    const std::string port = sim->PortPath();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"write", "--port", port, loop}, loop + ": Too many levels of symbolic links"},
        {{"diff", "--port", port, tooLong}, tooLong + ": File name too long"},
        {{"read", "--port", port, "--out", loop}, loop + ": Too many levels of symbolic links"},
        {{"read", "--port", port, "--out", tooLong}, tooLong + ": File name too long"},
        {{"read", "--port", port, "--out", noRoom}, noRoom + ": File name too long"},
        {{"new", "--type", "11", "--out", noRoom}, noRoom + ": File name too long"},
        {{"read", "--port", port, "--out", ""}, "'': an empty name names no file"},
        {{"send", "--port", port, "--log-dir", aFile, "$VER"}, "log folder " + aFile + "/Logs: Not a directory"},
        {{"send", "--port", port, "--log-dir", loop, "$VER"},
         "log folder " + loop + "/Logs: Too many levels of symbolic links"},
        {{"send", "--port", port, "--log-dir", dir + "/none/deeper", "$VER"},
         "log folder " + dir + "/none/deeper/Logs: No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "orvena-cli: " + c.message + "\n");
    }
    EXPECT_TRUE(sim->ReceivedLines().empty());
}

TEST_F(CliFixture, RawLinesThatAreNotOneCommandAreRefusedBeforeConnecting) {
    StartDevice(11);
    // The last two name no keyword a reply could carry.
    const std::string cases[] = {"", std::string(511, 'A'), "$VER\r\n$MODE;2", "$VER\n", "$;VER", "$KEYWORDTEN;GET"};
    for (const std::string& line : cases) {
        const CliRun run = Run({"send", "--port", sim->PortPath(), line});
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_EQ(run.err.rfind("orvena-cli: line not sent: ", 0), 0u) << run.err;
    }
    EXPECT_TRUE(sim->ReceivedLines().empty());
    EXPECT_NE(Run({"send", "--port", sim->PortPath(), "$VER;" + std::string(505, 'A')}).status, 2);
    EXPECT_EQ(sim->ReceivedLines().size(), 3u);  // identification (HWCFG, GSM), then the line
}

// ---- passwords ----

TEST_F(CliFixture, PasswordFromAFileOrTheEnvironmentAndFilesForTheOwnerOnly) {
    StartProtectedDevice("1234");
    const std::string port = sim->PortPath();
    const std::string good = dir + "/pw", bad = dir + "/badpw";
    WriteText(good, "1234\nignored\n");
    WriteText(bad, "9999\n");
    const std::string out = dir + "/x.kvs";
    EXPECT_EQ(Run({"read", "--port", port, "--password-file", good, "--out", out}).status, 0);
    EXPECT_EQ(Run({"read", "--port", port, "--password-file", bad, "--out", out}).status, 3);
    const CliRun missing = Run({"read", "--port", port, "--password-file", dir + "/none", "--out", out});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(dir + "/none: No such file or directory"), std::string::npos) << missing.err;
    struct FileCase {
        const char* content;
        const char* message;
    } fileCases[] = {{"", "empty"}, {"\nlater\n", "empty"}, {"73;91\n", "must not hold"}};
    for (const FileCase& c : fileCases) {
        SCOPED_TRACE(c.content);
        WriteText(bad, c.content);
        const CliRun refused = Run({"read", "--port", port, "--password-file", bad, "--out", out});
        EXPECT_EQ(refused.status, 2);
        const std::string expected =
            "orvena-cli: password " + std::string(*c.content == '7' ? "from " : "file ") + bad + ": " + c.message;
        EXPECT_EQ(refused.err.rfind(expected, 0), 0u) << refused.err;
    }
    WriteText(bad, "9999\n");

    setenv("ORVENA_PASSWORD", "1234", 1);
    const CliRun fromEnvironment = Run({"send", "--port", port, "--log-dir", dir, "$VER"});
    setenv("ORVENA_PASSWORD", "123456789", 1);
    const CliRun tooLong = Run({"send", "--port", port, "$VER"});
    unsetenv("ORVENA_PASSWORD");
    EXPECT_EQ(fromEnvironment.status, 0) << fromEnvironment.err;
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_NE(tooLong.err.find("ORVENA_PASSWORD: at most 8 characters"), std::string::npos) << tooLong.err;

    const CliRun help = Run({"read", "--help"});
    EXPECT_NE(help.out.find("--password-file"), std::string::npos);
    EXPECT_NE(help.out.find("ORVENA_PASSWORD"), std::string::npos);

    struct stat st {};
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/Logs")) {
        ASSERT_EQ(stat(entry.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << entry.path();
    }
}

}  // namespace

// ---- files without a device, and the port list ----

namespace {

TEST_F(CliFixture, NewWritesWhatCreateWritesForEachListedType) {
    size_t rows = 0;
    const ModelRow* table = ModelTable(&rows);
    for (size_t i = 0; i + 1 < rows; ++i) {
        const int type = table[i].type;
        SCOPED_TRACE(type);
        const std::string path = dir + "/new" + std::to_string(type) + ".kvs";
        const CliRun run = Run({"new", "--type", std::to_string(type), "--out", path});
        ASSERT_EQ(run.status, 0) << run.err;

        // The window's "Создать" for the same type, with no device connected.
        FakeUi ui;
        CDataServer data;
        CShell shell(data, ui.Roles(), dir);
        const std::string created = dir + "/created" + std::to_string(type) + ".kvs";
        ui.chosenFiles.push_back(created);
        shell.CreateFile(type);
        ASSERT_TRUE(shell.State().fileOpen);
        EXPECT_EQ(ReadText(path), ReadText(created));
    }
}

TEST_F(CliFixture, NewRefusesAnUnlistedTypeAndNamesTheKnownOnes) {
    for (const char* type : {"0", "8", "99"}) {
        const CliRun run = Run({"new", "--type", type, "--out", dir + "/x.kvs"});
        EXPECT_EQ(run.status, 2) << type;
        EXPECT_THAT(run.err, testing::HasSubstr("known types: 1 Mira1L")) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir + "/x.kvs"));
    }
}

TEST_F(CliFixture, PortsPrintOneLineEachOrAJsonArray) {
    const CliRun text = Run({"ports"});
    EXPECT_EQ(text.status, 0);
    std::istringstream lines(text.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
    const CliRun json = Run({"ports", "--json"});
    ASSERT_EQ(json.status, 0);
    const nlohmann::json ports = nlohmann::json::parse(json.out);
    ASSERT_TRUE(ports.is_array());
    for (const nlohmann::json& port : ports) {
        EXPECT_TRUE(port.contains("path"));
        EXPECT_TRUE(port.contains("stable"));
        EXPECT_TRUE(port.contains("description"));
    }
}

}  // namespace

namespace {

// The README's table of settings is the one the tool prints: a setting added
// to the registry shows in both, or this fails.
TEST(SettingsList, TheReadmeTableIsTheOneTheToolPrints) {
    std::ifstream readme(std::string(ORVENA_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), std::istreambuf_iterator<char>());
    const std::string start = "<!-- settings table: orvena-cli settings --markdown -->\n";
    const size_t from = text.find(start);
    const size_t to = text.find("<!-- end of settings table -->");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"settings", "--markdown"}, out, err), 0) << err.str();
    EXPECT_EQ(text.substr(from + start.size(), to - from - start.size()), out.str())
        << "run: orvena-cli settings --markdown, and put its table into README.md";
}

}  // namespace
