#include "cli/commands.h"

#include "app/core/ports.h"
#include "app/core/sequences.h"
#include "files/zrafile.h"
#include "protocol/zramds.h"
#include "transport/zracli.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

int GroupStatus(const CCliConnection& connection) { return connection.GroupFailed() ? kExitGroupFailed : kExitOk; }

// A settings file held in its own record, apart from the device's.
struct FileRecord {
    explicit FileRecord(CHeadlessUi& ui) : codec(data), file(data, codec, ui, ui, FileWindowState{}, ".") {}
    CDataServer data;
    CZRAMDS codec;
    CZRAFile file;
};

// Loads a settings file; false after a message when it cannot be read.
bool LoadFile(FileRecord& record, const std::string& path, CHeadlessUi& ui) {
    if (record.file.ReadSettingsFile(path) == 1)
        return true;
    ui.Line("", "cannot read settings file " + path);
    return false;
}

int FileType(CDataServer& data) {
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    return type.type;
}

// The file's groups into the device's record; the device's identity and the
// password the connection uses stay.
void LoadIntoDevice(CCliConnection& connection, CHeadlessUi& ui, const std::string& path) {
    DeviceTypeRecord type;
    PasswordRecord password;
    connection.data.Get(DI_DEV_TYPE, type);
    connection.data.Get(DI_PASSWORD, password);
    CZRAFile file(connection.data, connection.session.Codec(), ui, ui, FileWindowState{}, ".");
    file.ReadSettingsFile(path);
    connection.data.Set(DI_DEV_TYPE, type);
    connection.data.Set(DI_PASSWORD, password);
}

// The group lines of a composed settings file keyed by keyword and occurrence.
std::vector<std::pair<std::string, std::string>> GroupLines(const std::string& content) {
    std::vector<std::pair<std::string, std::string>> groups;
    std::map<std::string, int> seen;
    std::istringstream lines(content);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string keyword = line.substr(0, line.find(';'));
        groups.emplace_back(keyword + "#" + std::to_string(seen[keyword]++), line);
    }
    return groups;
}

nlohmann::json Coordinate(const ::Coordinate& c) {
    return {{"degrees", c.degrees},
            {"minutes", c.minutes},
            {"fraction", c.fraction},
            {"hemisphere", std::string(1, c.hemisphere ? c.hemisphere : '?')}};
}

nlohmann::json Power(CDataServer& data, int item) {
    PowerRecord power;
    data.Get(item, power);
    return {{"mV", power.millivolts}, {"percent", power.percent}};
}

// The live values the Info page shows, as one object.
nlohmann::json StatusObject(CDataServer& data) {
    GnssRecord gnss;
    data.Get(DI_GNSS, gnss);
    uint8_t gsmState = 0, rssi = 0, inputCount = 0, outputCount = 0;
    char operatorName[9] = {};
    uint16_t flags = 0;
    int8_t tint = 0;
    StatisticsRecord stats;
    data.Get(DI_GSM_STATE, gsmState);
    data.Get(DI_RSSI, rssi);
    data.Get(DI_OPERATOR, operatorName);
    operatorName[sizeof operatorName - 1] = '\0';
    data.Get(DI_INPUT_COUNT, inputCount);
    data.Get(DI_OUTPUT_COUNT, outputCount);
    data.Get(DI_STATUS_FLAGS, flags);
    data.Get(DI_TINT, tint);
    data.Get(DI_STATISTICS, stats);
    nlohmann::json inputs = nlohmann::json::array(), outputs = nlohmann::json::array();
    nlohmann::json fuel = nlohmann::json::array(), thermo = nlohmann::json::array();
    for (int i = 0; i < inputCount && i < kInputs; ++i) {
        InputRecord input;
        data.Get(DI_INPUT_1 + i, input);
        inputs.push_back(input.lastValue);
    }
    for (int i = 0; i < outputCount && i < kOutputs; ++i) {
        OutputRecord output;
        data.Get(DI_OUTPUT_1 + i, output);
        outputs.push_back(output.liveState);
    }
    for (int i = 0; i < kFuelSensors; ++i) {
        FuelSensorRecord lls;
        data.Get(DI_LLS_0 + i, lls);
        fuel.push_back({{"valid", (lls.liveFlags & 0x2) != 0}, {"level", lls.level}, {"volume", lls.volume}});
    }
    for (int i = 0; i < kThermometers; ++i) {
        ThermometerRecord t;
        data.Get(DI_THERMO_1 + i, t);
        thermo.push_back(t.temperature);
    }
    return {{"position",
             {{"lat", Coordinate(gnss.latitude)},
              {"lon", Coordinate(gnss.longitude)},
              {"alt", gnss.altitude},
              {"speed", gnss.speed},
              {"course", gnss.course}}},
            {"fix",
             {{"state", gnss.state},
              {"fix", std::string(1, gnss.fix)},
              {"satellites", gnss.satellites},
              {"hdop", gnss.hdop}}},
            {"gsm", {{"state", gsmState}, {"operator", operatorName}, {"rssi", rssi}}},
            {"power",
             {{"external", Power(data, DI_EXT_POWER)},
              {"battery", Power(data, DI_BATTERY)},
              {"aux", Power(data, DI_AUX_POWER)}}},
            {"inputs", inputs},
            {"outputs", outputs},
            {"fuel", fuel},
            {"temperatures", {{"internal", tint}, {"sensors", thermo}}},
            {"statistics",
             {{"deviceOn", stats.deviceOn},
              {"engineOn", stats.engineOn},
              {"moving", stats.moving},
              {"idle", stats.idle},
              {"distance", stats.distance},
              {"averageSpeed", stats.averageSpeed}}},
            {"flags", flags}};
}

// The readable line: each top-level field as name=value.
std::string StatusText(const nlohmann::json& status) {
    std::string text;
    for (const auto& [name, value] : status.items())
        text += (text.empty() ? "" : " ") + name + "=" + value.dump();
    return text;
}

void SleepInterruptible(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_interrupted && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int CommandPorts(std::ostream& out, std::ostream& err) {
    for (const std::string& port : ListSerialPorts())
        out << port << '\n';
    // A tracker shows up as a USB serial device: say why a present one is not listed.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ttyACM", 0) != 0 && name.rfind("ttyUSB", 0) != 0)
            continue;
        if (const std::string hint = PortAccessHint(entry.path().string()); !hint.empty())
            err << "orvena-cli: " << hint << '\n';
    }
    return kExitOk;
}

int CommandRead(const ConnectOptions& options, const std::string& file, std::ostream& err) {
    CHeadlessUi ui(err);
    CCliConnection connection(options, ui);
    if (const int status = connection.Connect(); status != kExitOk)
        return status;
    RunReadAll(connection.data, connection.ReportingSender());
    CZRAFile settings(connection.data, connection.session.Codec(), ui, ui, FileWindowState{}, ".");
    if (settings.WriteSettingsFile(file) != 1) {
        ui.Line("", "cannot write settings file " + file);
        return kExitGroupFailed;
    }
    return GroupStatus(connection);
}

int CommandWrite(const ConnectOptions& options, const std::string& file, bool force, std::ostream& err) {
    CHeadlessUi ui(err);
    FileRecord record(ui);
    if (!LoadFile(record, file, ui))
        return kExitUsage;
    CCliConnection connection(options, ui);
    if (const int status = connection.Connect(); status != kExitOk)
        return status;
    const int fileType = FileType(record.data);
    if (fileType != connection.state.connectedType && !force) {
        ui.Line("", "the file is for device type " + std::to_string(fileType) + ", the device is type " +
                        std::to_string(connection.state.connectedType.load()) + " (--force writes it anyway)");
        return kExitTypeMismatch;
    }
    LoadIntoDevice(connection, ui, file);
    RunWriteAll(connection.data, connection.ReportingSender());
    return GroupStatus(connection);
}

int CommandStatus(const ConnectOptions& options, const StatusOptions& status, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    CCliConnection connection(options, ui);
    if (const int result = connection.Connect(); result != kExitOk)
        return result;
    // The passes run here, at the tool's interval, instead of on the status thread.
    CStatusPoll& poll = connection.session.StatusPoll();
    poll.Stop();
    poll.WaitStopped(CSession::kShutdownWait);
    connection.state.activePageCode = PageCode::Info;
    g_interrupted = 0;
    const auto previous = std::signal(SIGINT, OnInterrupt);
    for (int pass = 0; !g_interrupted && (status.count == 0 || pass < status.count); ++pass) {
        if (pass > 0)
            SleepInterruptible(status.intervalMs);
        if (g_interrupted)
            break;
        poll.PollDeviceStatus(poll.Generation());
        if (ui.ConnectionLost()) {
            std::signal(SIGINT, previous);
            ui.Line("", "connection to " + options.port + " lost");
            return kExitNoConnection;
        }
        const nlohmann::json object = StatusObject(connection.data);
        out << (status.json ? object.dump() : StatusText(object)) << '\n' << std::flush;
    }
    std::signal(SIGINT, previous);
    return kExitOk;
}

int CommandSend(const ConnectOptions& options, const std::string& line, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    CCliConnection connection(options, ui);
    if (const int status = connection.Connect(); status != kExitOk)
        return status;
    connection.feed.Clear();
    const int result = connection.session.SendCommand(RequestType::Raw, line.c_str(), nullptr);
    if (result != kResultOk) {
        ui.Line("", line + ": " + ResultClass(result));
        return kExitGroupFailed;
    }
    out << connection.feed.LastReceived() << '\n';
    return kExitOk;
}

int CommandDiff(const ConnectOptions& options, const std::string& file, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    FileRecord record(ui);
    if (!LoadFile(record, file, ui))
        return kExitUsage;
    CCliConnection connection(options, ui);
    if (const int status = connection.Connect(); status != kExitOk)
        return status;
    RunReadAll(connection.data, connection.ReportingSender());
    // A file restores only the current password; the protection bits are the
    // connection's, so the file's record starts from the device's.
    PasswordRecord password;
    connection.data.Get(DI_PASSWORD, password);
    record.data.Set(DI_PASSWORD, password);
    record.file.ReadSettingsFile(file);
    CZRAFile device(connection.data, connection.session.Codec(), ui, ui, FileWindowState{}, ".");
    const auto deviceGroups = GroupLines(device.ComposeSettingsFile());
    const auto fileGroups = GroupLines(record.file.ComposeSettingsFile());
    std::map<std::string, std::string> fileByKey(fileGroups.begin(), fileGroups.end());
    bool differ = false;
    for (const auto& [key, line] : deviceGroups) {
        const auto match = fileByKey.find(key);
        if (match != fileByKey.end() && match->second == line) {
            fileByKey.erase(match);
            continue;
        }
        differ = true;
        out << "-" << line << '\n';
        if (match != fileByKey.end()) {
            out << "+" << match->second << '\n';
            fileByKey.erase(match);
        }
    }
    for (const auto& [key, line] : fileGroups) {
        if (fileByKey.count(key)) {
            differ = true;
            out << "+" << line << '\n';
        }
    }
    if (connection.GroupFailed())
        return kExitGroupFailed;
    return differ ? kExitGroupFailed : kExitOk;
}
