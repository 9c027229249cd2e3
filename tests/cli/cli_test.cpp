// The command-line tool in-process against the simulated device on a
// pseudo-terminal: file bytes, writes, the type check, exit statuses, the
// status poll, raw lines and the comparison with a file.
#include "cli/cli.h"

#include "app/core/pageset.h"
#include "app/core/session.h"
#include "cli/headlessui.h"
#include "files/zrafile.h"
#include "model/dataserver.h"
#include "sim/devsim.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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
    CZRAFile file(data, session.Codec(), ui, ui, FileWindowState{}, ".");
    return file.ComposeSettingsFile();
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

TEST_F(CliFixture, FailedGroupsAreReportedAndTheSequenceGoesOn) {
    DevSimOptions options;
    options.garbleEveryN = 9;
    StartDevice(options);
    const CliRun run = Run({"read", "--port", sim->PortPath(), "--out", dir + "/x.kvs"});
    EXPECT_EQ(run.status, 1) << run.err;
    // One line per failed group, naming it and the reason; the last group was still read.
    std::istringstream lines(run.err);
    std::string line;
    int failed = 0;
    while (std::getline(lines, line)) {
        EXPECT_THAT(line, ::testing::MatchesRegex(R"(orvena-cli: [A-Z0-9]+( GET)?: [a-z ]+)"));
        ++failed;
    }
    EXPECT_GE(failed, 2);
    EXPECT_NE(ReadText(dir + "/x.kvs").find("\r\nPRSET11;"), std::string::npos);
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
    DevSimOptions options;
    options.password = "1234";
    options.protection = true;
    StartDevice(options);
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
        {{"write", "--port", port, missingFile}, 2, "no settings file"},
        {{"diff", "--port", port, notSettings}, 2, "cannot read settings file"},
        {{"read", "--port", port, "--bogus", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--port", port, "--password", "1", "--no-password", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--out", dir + "/x.kvs"}, 2, ""},
        {{"read", "--port", port, "--password", "123456789", "--out", dir + "/x.kvs"}, 2, "8 characters"},
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
        ++objects;
    }
    EXPECT_EQ(objects, 3);

    const CliRun text = Run({"status", "--port", sim->PortPath(), "--count", "1"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 1);
    for (const char* field : {"position=", "gsm=", "power=", "flags="})
        EXPECT_NE(text.out.find(field), std::string::npos) << field << " in " << text.out;
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

}  // namespace
