#include "cli/commands.h"

#include "base/devicetext.h"
#include "files/fileio.h"
#include "files/settingsfile.h"
#include "protocol/zramds.h"
#include "shell/livesamples.h"
#include "shell/livestatus.h"
#include "shell/ports.h"
#include "shell/sequences.h"
#include "transport/zracli.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

// A port that comes back again and again is given up after this many reconnects.
constexpr int kMaxReconnects = 3;

using Body = std::function<int(CCliConnection&)>;
// What a command adds to the line that ends it when the connection is gone.
using LossNote = std::function<std::string()>;

std::string LostAt(const std::string& port, const ConnectionLoss& loss) {
    return "connection to " + port + " lost at " + loss.group;
}

// The line that ends a command whose connection ended; back: the port came
// back, but the command is not run again.
std::string EndText(const std::string& port, const ConnectionLoss& loss, bool back) {
    if (!loss.portGone)
        return "no answer from the device on " + port + " since " + loss.group;
    return LostAt(port, loss) + (back ? ", not tried again" : ", the port did not come back");
}

// The log folder must take the log file before the device is touched.
int CheckLogDir(const ConnectOptions& options, CHeadlessUi& ui) {
    if (options.logDir.empty())
        return kExitOk;
    const std::string folder = CLOGFile(ui, options.logDir).LogFolder();
    if (const fileio::Problem problem = fileio::PrepareWritableFolder(folder)) {
        ui.Line("", "log folder " + folder + ": " + problem.reason);
        return kExitUsage;
    }
    return kExitOk;
}

// Connects and runs the body. When the connection ends on the way, the
// session's port recheck has run: a port back in time runs the body again
// from identification (rerun), otherwise one line says where it ended.
int RunConnected(const ConnectOptions& options, CHeadlessUi& ui, const Body& body, bool rerun,
                 const LossNote& note = {}) {
    if (const int status = CheckLogDir(options, ui); status != kExitOk)
        return status;
    CCliConnection connection(options, ui);
    for (int reconnects = 0;; ++reconnects) {
        if (const int status = connection.Connect(); status != kExitOk)
            return status;
        const int status = body(connection);
        const std::optional<ConnectionLoss> loss = connection.Loss();
        if (!loss)
            return status;
        const bool back = connection.TakeReconnect();
        if (rerun && back && reconnects < kMaxReconnects) {
            ui.Line("", LostAt(options.port, *loss) + "; the port is back, again");
            continue;
        }
        ui.Line("", EndText(options.port, *loss, back) + (note ? note() : std::string()));
        return kExitNoConnection;
    }
}

// Why a settings file names no device type: no HWCFG line, or one whose
// type was refused.
std::string NoTypeReason(const std::string& bytes) {
    const std::string keyword = Group::kHwcfg.keyword;
    for (std::string_view line : SettingsLines(bytes))
        if (line.substr(0, keyword.size() + 1) == keyword + ";")
            return "its line " + std::string(line) + " names none";
    return "no " + keyword + " line";
}

// A settings file named on the command line, with the window's checks; it
// must name the device type it is for. Nothing after a message.
std::optional<std::string> SettingsArgument(const std::string& path, CHeadlessUi& ui) {
    const SettingsFileBytes file = ReadSettingsBytes(path);
    switch (file.check) {
    case SettingsFileCheck::kOk: break;
    case SettingsFileCheck::kCannotOpen:
        ui.Line("", path + ": " + (file.error == EINVAL ? "not a regular file" : std::strerror(file.error)));
        return std::nullopt;
    case SettingsFileCheck::kEmpty: ui.Line("", path + ": the file is empty"); return std::nullopt;
    case SettingsFileCheck::kTooLarge:
        ui.Line("", path + ": larger than " + std::to_string(kSettingsMaxFileSize) + " bytes");
        return std::nullopt;
    case SettingsFileCheck::kNoHeader:
        ui.Line("", path + ": not a settings file (no " + std::string(kSettingsHeaderMark) + " header)");
        return std::nullopt;
    }
    CDataServer data;
    CZRAMDS codec(data);
    if (!LoadSettings(file.bytes, codec).typeLoaded) {
        ui.Line("", path + ": not a settings file for any device type (" + NoTypeReason(file.bytes) + ")");
        return std::nullopt;
    }
    return file.bytes;
}

// A settings file held in its own record, apart from the device's.
struct FileRecord {
    explicit FileRecord(const std::string& bytes) : codec(data) { LoadSettings(bytes, codec); }
    CDataServer data;
    CZRAMDS codec;
};

int FileType(CDataServer& data) {
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    return type.type;
}

// The file's groups over the device's record; the device's identity and the
// password the connection uses stay.
void LoadIntoDevice(CCliConnection& connection, const std::string& bytes) {
    DeviceTypeRecord type;
    PasswordRecord password;
    connection.data.Get(DI_DEV_TYPE, type);
    connection.data.Get(DI_PASSWORD, password);
    LoadSettings(bytes, connection.session.Codec());
    connection.data.Set(DI_DEV_TYPE, type);
    connection.data.Set(DI_PASSWORD, password);
}

std::string JoinGroups(const std::set<std::string>& groups) {
    std::string text;
    for (const std::string& group : groups)
        text += (text.empty() ? "" : ", ") + group;
    return text;
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

// The fix type the device sent as a digit is a number; anything else is unknown.
nlohmann::json FixType(char fix) { return fix >= '0' && fix <= '9' ? nlohmann::json(fix - '0') : nlohmann::json(); }

// A value kept in single precision, as the shortest decimal that reads back
// to it: what the device sent (0.9), not the double nearest to the float.
double AsSent(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::strtod(std::string(text, end).c_str(), nullptr);
}

nlohmann::json Power(const PowerRecord& power) { return {{"mV", power.millivolts}, {"percent", power.percent}}; }

// A value the device type lacks is null.
template <class T, class Show> nlohmann::json OrNull(const std::optional<T>& value, Show show) {
    return value ? nlohmann::json(show(*value)) : nlohmann::json();
}

// The live values the Info page shows, as one object.
nlohmann::json StatusObject(CDataServer& data) {
    const LiveStatus s = ReadLiveStatus(data);
    nlohmann::json inputs = nlohmann::json::array(), outputs = nlohmann::json::array();
    nlohmann::json fuel = nlohmann::json::array(), thermo = nlohmann::json::array();
    for (const InputLive& input : s.inputs)
        inputs.push_back(input.value);
    for (const OutputLive& output : s.outputs)
        outputs.push_back(output.state);
    for (const auto& sensor : s.fuel)
        fuel.push_back(OrNull(sensor, [](const FuelLive& f) {
            return nlohmann::json{{"valid", f.inUse && f.valid}, {"level", f.level}, {"volume", f.volume}};
        }));
    for (const auto& thermometer : s.thermometers)
        thermo.push_back(OrNull(thermometer, [](const ThermometerLive& t) { return t.temperature; }));
    return {
        {"position", OrNull(s.gnss,
                            [](const GnssRecord& g) {
                                return nlohmann::json{{"lat", Coordinate(g.latitude)},
                                                      {"lon", Coordinate(g.longitude)},
                                                      {"alt", g.altitude},
                                                      {"speed", g.speed},
                                                      {"course", g.course}};
                            })},
        {"fix", OrNull(s.gnss,
                       [](const GnssRecord& g) {
                           return nlohmann::json{{"state", g.state},
                                                 {"fix", FixType(g.fix)},
                                                 {"satellites", g.satellites},
                                                 {"hdop", AsSent(g.hdop)}};
                       })},
        {"gsm", OrNull(s.gsm,
                       [](const GsmLive& g) {
                           // Device text is single-byte; JSON wants UTF-8.
                           const std::string name = DeviceToUtf8(g.operatorName.data(), g.operatorName.size(), 8);
                           return nlohmann::json{{"state", g.state}, {"operator", name}, {"rssi", g.rssi}};
                       })},
        {"power",
         {{"external", OrNull(s.extPower, Power)}, {"battery", OrNull(s.battery, Power)}, {"aux", Power(s.auxPower)}}},
        {"inputs", inputs},
        {"outputs", outputs},
        {"fuel", fuel},
        {"temperatures",
         {{"internal", OrNull(s.internalTemperature, [](int8_t t) { return t; })}, {"sensors", thermo}}},
        {"statistics",
         {{"deviceOn", s.statistics.deviceOn},
          {"engineOn", s.statistics.engineOn},
          {"moving", s.statistics.moving},
          {"idle", s.statistics.idle},
          {"distance", s.statistics.distance},
          {"averageSpeed", s.statistics.averageSpeed}}},
        {"flags", s.flags}};
}

// The readable line: each top-level field as name=value.
std::string StatusText(const nlohmann::json& status) {
    std::string text;
    for (const auto& [name, value] : status.items())
        text += (text.empty() ? "" : " ") + name + "=" + value.dump();
    return text;
}

// The status fields and the poll keyword whose reply fills each.
struct StatusSource {
    const char* field;
    const char* keyword;
};

const StatusSource kStatusSources[] = {
    {"position", "GNSS"},
    {"fix", "GNSS"},
    {"gsm", "GSM"},
    {"power", "REP"},
    {"flags", "REP"},
    {"inputs", Group::kIn.keyword},
    {"outputs", Group::kOut.keyword},
    {"statistics", "STATIST"},
};

bool ReadFailed(const std::set<std::string>& failed, const std::string& keyword) {
    const auto at = failed.lower_bound(keyword);
    return at != failed.end() && (*at == keyword || at->rfind(keyword + " ", 0) == 0);
}

// A value whose read failed in this pass is unknown, not zero.
void NullFailedValues(nlohmann::json& status, const std::set<std::string>& failed) {
    for (const StatusSource& source : kStatusSources)
        if (ReadFailed(failed, source.keyword))
            status[source.field] = nullptr;
    for (size_t i = 0; i < status["fuel"].size(); ++i)
        if (ReadFailed(failed, GroupRef{i == 0 ? &Group::kLls232 : &Group::kLls485, static_cast<int>(i)}.Keyword()))
            status["fuel"][i] = nullptr;
    nlohmann::json& temperatures = status["temperatures"];
    if (ReadFailed(failed, Group::kTsens.keyword))
        temperatures["internal"] = nullptr;
    for (size_t i = 0; i < temperatures["sensors"].size(); ++i)
        if (ReadFailed(failed, GroupRef{&Group::kThermo, static_cast<int>(i + 1)}.Keyword()))
            temperatures["sensors"][i] = nullptr;
}

// The plotted values of a pass, with the time it ended.
std::string CsvRow(CCliConnection& connection) {
    const std::set<std::string> failed = connection.FailedGroups();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const LiveSample sample{std::chrono::duration_cast<std::chrono::milliseconds>(now).count(),
                            SampleOf(ReadLiveStatus(connection.data), [&](std::string_view keyword) {
                                return ReadFailed(failed, std::string(keyword));
                            })};
    return LiveCsv::Row(sample);
}

// The groups in which two composed settings files differ, as "-" (device) and
// "+" (file) lines; true when there are any.
bool PrintDifferences(const std::string& deviceFile, const std::string& settingsFile, std::ostream& out) {
    const auto deviceGroups = GroupLines(deviceFile);
    const auto fileGroups = GroupLines(settingsFile);
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
    return differ;
}

std::string ShownPath(const std::string& path) { return path.empty() ? "''" : path; }

// An --out file must be one a save can make, before any device is touched.
CliExit CheckOut(const std::string& path, CHeadlessUi& ui) {
    if (const fileio::Problem problem = fileio::CheckSaveTarget(path)) {
        ui.Line("", ShownPath(path) + ": " + problem.reason);
        return kExitUsage;
    }
    return kExitOk;
}

// A filesystem failure of the save is a file error: path and reason.
CliExit SaveText(const std::string& path, const std::string& bytes, CHeadlessUi& ui) {
    int error = 0;
    if (fileio::ReplaceFileContent(path, bytes, &error) == fileio::ReplaceResult::kOk)
        return kExitOk;
    ui.Line("", ShownPath(path) + ": " + std::strerror(error ? error : EIO) + ", the file is left as it was");
    return kExitUsage;
}

void SleepInterruptible(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_interrupted && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

// One line a port: path, stable name, description ("-" where there is none).
int CommandPorts(bool json, std::ostream& out, std::ostream& err) {
    const PortScanResult scan = ScanSerialPorts();
    if (json) {
        nlohmann::json ports = nlohmann::json::array();
        for (const PortEntry& port : scan.ports)
            ports.push_back({{"path", port.device},
                             {"stable", port.path == port.device ? nlohmann::json() : nlohmann::json(port.path)},
                             {"description", port.description}});
        out << ports.dump() << '\n';
    } else {
        for (const PortEntry& port : scan.ports)
            out << port.device << '\t' << (port.path == port.device ? "-" : port.path) << '\t'
                << (port.description.empty() ? "-" : port.description) << '\n';
    }
    for (const std::string& hint : UsbPortHints())
        err << "orvena-cli: " << hint << '\n';
    return kExitOk;
}

int CommandNew(int type, const std::string& file, std::ostream& err) {
    CHeadlessUi ui(err);
    size_t rows = 0;
    const ModelRow* table = ModelTable(&rows);
    // The last row is the fallback for unlisted numbers, not a type of its own.
    if (type <= 0 || std::none_of(table, table + rows - 1, [type](const ModelRow& row) { return row.type == type; })) {
        std::string known;
        for (size_t i = 0; i + 1 < rows; ++i)
            known += (known.empty() ? "" : ", ") + std::to_string(table[i].type) + " " + table[i].modelCode;
        ui.Line("", "unknown device type " + std::to_string(type) + "; known types: " + known);
        return kExitUsage;
    }
    if (CheckOut(file, ui) != kExitOk)
        return kExitUsage;
    CDataServer data;
    data.ResetToDefaults(type);
    CZRAMDS codec(data);
    return SaveText(file, ComposeSettings(codec), ui);
}

int CommandRead(const ConnectOptions& options, const ReadOptions& read, std::ostream& err) {
    CHeadlessUi ui(err);
    if (CheckOut(read.out, ui) != kExitOk)
        return kExitUsage;
    const Body body = [&](CCliConnection& connection) {
        RunReadAll(connection.data, connection.ReportingSender(), connection.StopWhenLost());
        if (connection.Loss())
            return kExitNoConnection;
        const std::set<std::string> failed = connection.FailedGroups();
        if (!failed.empty() && !read.partial) {
            ui.Line("", read.out + " left as it was: not read: " + JoinGroups(failed) + " (--partial writes the rest)");
            return kExitGroupFailed;
        }
        if (const CliExit saved = SaveText(read.out, ComposeSettings(connection.session.Codec()), ui); saved != kExitOk)
            return saved;
        return failed.empty() ? kExitOk : kExitGroupFailed;
    };
    return RunConnected(options, ui, body, true);
}

int CommandWrite(const ConnectOptions& options, const std::string& file, bool force, std::ostream& err) {
    CHeadlessUi ui(err);
    const std::optional<std::string> bytes = SettingsArgument(file, ui);
    if (!bytes)
        return kExitUsage;
    FileRecord record(*bytes);
    const int fileType = FileType(record.data);
    int written = 0;
    // The window's road: the device's own values first, then the file's groups
    // over them, so every group the file lacks keeps the device's value.
    const Body body = [&](CCliConnection& connection) {
        written = 0;
        if (fileType != connection.state.connectedType && !force) {
            ui.Line("", "the file is for device type " + std::to_string(fileType) + ", the device is type " +
                            std::to_string(connection.state.connectedType.load()) + " (--force writes it anyway)");
            return kExitTypeMismatch;
        }
        RunReadAll(connection.data, connection.ReportingSender(), connection.StopWhenLost());
        if (connection.Loss())
            return kExitNoConnection;
        if (connection.GroupFailed()) {
            ui.Line("", "nothing written: the device's " + JoinGroups(connection.FailedGroups()) +
                            " could not be read, and the file's other groups would replace them");
            return kExitGroupFailed;
        }
        LoadIntoDevice(connection, *bytes);
        const int readOk = connection.SucceededCount();
        RunWriteAll(connection.data, connection.ReportingSender(), connection.StopWhenLost());
        written = connection.SucceededCount() - readOk;
        return connection.GroupFailed() ? kExitGroupFailed : kExitOk;
    };
    return RunConnected(options, ui, body, true, [&] { return "; " + std::to_string(written) + " groups written"; });
}

int CommandStatus(const ConnectOptions& options, const StatusOptions& status, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    int printed = 0;
    const Body body = [&](CCliConnection& connection) {
        // The passes run here, at the tool's interval, instead of on the status thread.
        CStatusPoll& poll = connection.session.StatusPoll();
        poll.Stop();
        poll.WaitStopped(CSession::kShutdownWait);
        connection.state.activePageCode = PageCode::Info;
        while (!g_interrupted && (status.count == 0 || printed < status.count)) {
            if (printed > 0)
                SleepInterruptible(status.intervalMs);
            if (g_interrupted)
                break;
            connection.ForgetFailures();
            RunPoll(PageCode::Info, connection.data, connection.ReportingSender(), connection.StopWhenLost());
            if (connection.Loss())
                return kExitNoConnection;
            if (status.csv) {
                out << (printed == 0 ? LiveCsv::Header() + '\n' : "") << CsvRow(connection) << '\n' << std::flush;
                ++printed;
                continue;
            }
            nlohmann::json object = StatusObject(connection.data);
            NullFailedValues(object, connection.FailedGroups());
            out << (status.json ? object.dump() : StatusText(object)) << '\n' << std::flush;
            if (!out)
                return kExitGroupFailed;  // nobody reads the passes any more; the caller says why
            ++printed;
        }
        return kExitOk;
    };
    g_interrupted = 0;
    const auto previous = std::signal(SIGINT, OnInterrupt);
    const int result = RunConnected(options, ui, body, true);
    std::signal(SIGINT, previous);
    return result;
}

// A raw line must be one command line the device can take, as typed.
std::string RawLineProblem(const std::string& line) {
    if (line.empty())
        return "an empty line sends nothing";
    if (line.size() > kRawLineMaxChars)
        return "longer than " + std::to_string(kRawLineMaxChars) + " characters";
    if (line.find_first_of("\r\n") != std::string::npos)
        return "a line end inside would send more than one command";
    return {};
}

// The keyword a reply to a raw line carries, as the device takes it: the
// first field after "$", or the second when the first is the password.
std::string ReplyKeyword(const std::string& line, const std::string& password) {
    const size_t start = line.rfind('$', 0) == 0 ? 1 : 0;
    std::vector<std::string> fields;
    std::istringstream parts(line.substr(start, line.find('^') - start));
    for (std::string field; fields.size() < 2 && std::getline(parts, field, ';');)
        fields.push_back(field);
    std::string keyword = fields.empty() ? std::string() : fields[0];
    if (fields.size() == 2 && keyword == password)
        keyword = fields[1];
    for (char& c : keyword)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return keyword;
}

// The password the connection's record will hold: the given one or the default.
std::string ConnectionPassword(const ConnectOptions& options) {
    if (options.password)
        return *options.password;
    CDataServer defaults;
    PasswordRecord password;
    defaults.Get(DI_PASSWORD, password);
    return password.current;
}

std::string ReplyKeywordProblem(const std::string& keyword) {
    if (keyword.empty())
        return "no keyword to wait for the reply of";
    if (keyword.size() >= sizeof CommandExchange{}.keyword)
        return "its keyword " + keyword + " is longer than " + std::to_string(sizeof CommandExchange{}.keyword - 1) +
               " characters, no reply can carry it";
    return {};
}

int CommandSend(const ConnectOptions& options, const std::string& line, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    const std::string keyword = ReplyKeyword(line, ConnectionPassword(options));
    std::string problem = RawLineProblem(line);
    if (problem.empty())
        problem = ReplyKeywordProblem(keyword);
    if (!problem.empty()) {
        ui.Line("", "line not sent: " + problem);
        return kExitUsage;
    }
    const Body body = [&](CCliConnection& connection) {
        // Only the reply naming the line's keyword answers it: a late reply to
        // an earlier command is not taken for it.
        const ExchangeOutcome outcome = connection.SendReporting(RequestType::Raw, line.c_str(), keyword.c_str());
        if (!ExchangeSucceeded(outcome.result))
            return connection.Loss() ? kExitNoConnection : kExitGroupFailed;
        std::string reply = outcome.reply;
        while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n'))
            reply.pop_back();
        out << reply << '\n';
        return kExitOk;
    };
    // A line whose port vanished may have been taken (a restart does that): it is not sent again.
    return RunConnected(options, ui, body, false);
}

int CommandDiff(const ConnectOptions& options, const std::string& file, std::ostream& out, std::ostream& err) {
    CHeadlessUi ui(err);
    const std::optional<std::string> bytes = SettingsArgument(file, ui);
    if (!bytes)
        return kExitUsage;
    const Body body = [&](CCliConnection& connection) {
        RunReadAll(connection.data, connection.ReportingSender(), connection.StopWhenLost());
        if (connection.Loss())
            return kExitNoConnection;
        // A file restores only the current password; the protection bits are the
        // connection's, so the file's record starts from the device's.
        FileRecord record(*bytes);
        PasswordRecord password;
        connection.data.Get(DI_PASSWORD, password);
        record.data.Set(DI_PASSWORD, password);
        LoadSettings(*bytes, record.codec);
        const bool differ =
            PrintDifferences(ComposeSettings(connection.session.Codec()), ComposeSettings(record.codec), out);
        return connection.GroupFailed() || differ ? kExitGroupFailed : kExitOk;
    };
    return RunConnected(options, ui, body, true);
}
