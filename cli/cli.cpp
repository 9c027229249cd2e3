#include "cli/cli.h"

#include "base/appinfo.h"
#include "cli/commands.h"
#include "cli/settingslist.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>

#include <CLI/CLI.hpp>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kPasswordVariable = "ORVENA_PASSWORD";
constexpr size_t kPasswordMaxChars = 8;

const char kPasswordHelp[] =
    "A device password on the command line can be seen by other users of the machine: give it with "
    "--password-file FILE (its first line) or in the environment variable ORVENA_PASSWORD instead. "
    "--password, --password-file and ORVENA_PASSWORD are taken in this order.";

// Where the password may come from besides --password.
struct PasswordSources {
    std::string file;
    bool fromOption = false;
};

// Characters that would end or split the command line the password leads.
constexpr const char* kPasswordReserved = ";^$\r\n";

std::string PasswordProblem(const std::string& text) {
    if (text.size() > kPasswordMaxChars)
        return "at most 8 characters";
    if (text.find_first_of(kPasswordReserved) != std::string::npos)
        return "must not hold \";\", \"^\", \"$\" or a line end";
    return {};
}

// The connection options every device command takes.
void AddConnectOptions(CLI::App& command, ConnectOptions& options, PasswordSources& sources) {
    command.add_option("--port", options.port, "serial port device path")->required();
    auto* password = command.add_option_function<std::string>(
        "--password",
        [&options, &sources](const std::string& text) {
            options.password = text;
            sources.fromOption = true;
        },
        "device password (protection on); seen by other users, see below");
    password->check(CLI::Validator([](std::string& text) { return PasswordProblem(text); }, "TEXT"));
    auto* file = command.add_option("--password-file", sources.file, "file whose first line is the device password");
    auto* none = command.add_flag("--no-password", options.noPassword, "send no password");
    password->excludes(none)->excludes(file);
    file->excludes(none);
    command.add_option("--log-dir", options.logDir, "folder whose Logs folder takes the connection's log file");
    command.footer(kPasswordHelp);
}

// The first line of a file (a pipe too), without its line end; the reason
// when it cannot be had.
std::string FirstLine(const std::string& path, std::string& line) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    line.clear();
    char c = 0;
    ssize_t n = 0;
    while (line.size() <= kPasswordMaxChars + 1 && ((n = ::read(fd, &c, 1)) == 1 || (n < 0 && errno == EINTR))) {
        if (n == 1 && c == '\n')
            break;
        if (n == 1)
            line += c;
    }
    const int error = n < 0 ? errno : 0;
    ::close(fd);
    if (error != 0)
        return std::strerror(error);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line.empty() ? "empty" : "";
}

// The first line of the password file, or the environment's password when no
// other source was given; false after a message when it cannot be had.
bool ResolvePassword(ConnectOptions& options, const PasswordSources& sources, std::ostream& err) {
    if (sources.fromOption || options.noPassword)
        return true;
    std::string text;
    if (!sources.file.empty()) {
        const std::string problem = FirstLine(sources.file, text);
        if (!problem.empty()) {
            err << "orvena-cli: password file " << sources.file << ": " << problem << '\n';
            return false;
        }
    } else if (const char* variable = std::getenv(kPasswordVariable)) {
        text = variable;
    } else {
        return true;
    }
    const std::string problem = text.empty() ? "empty" : PasswordProblem(text);
    if (!problem.empty()) {
        err << "orvena-cli: password from " << (sources.file.empty() ? kPasswordVariable : sources.file) << ": "
            << problem << '\n';
        return false;
    }
    options.password = text;
    return true;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"ORVENA tracker configurator, command line", "orvena-cli"};
    app.set_version_flag("--version", std::string("orvena-cli ") + AppInfo::kProgramVersion);
    app.require_subcommand(1);

    ConnectOptions connect;
    PasswordSources passwordSources;
    StatusOptions status;
    ReadOptions readOptions;
    std::string file, line;
    bool force = false;

    bool json = false;
    int type = -1;
    auto* ports = app.add_subcommand("ports", "list the serial ports: path, stable name, description");
    ports->add_flag("--json", json, "a JSON array of the ports");
    auto* create = app.add_subcommand("new", "write a settings file of a device type's defaults, without a device");
    create->add_option("--type", type, "device type number")->required();
    create->add_option("--out", file, "settings file to write")->required();
    bool markdown = false;
    auto* settings = app.add_subcommand("settings", "list the settings by their stable names (for write --set)");
    settings->add_flag("--markdown", markdown, "as a Markdown table");
    auto* read = app.add_subcommand("read", "read the device into a settings file");
    AddConnectOptions(*read, connect, passwordSources);
    read->add_option("--out", readOptions.out, "settings file to write (replaced only when every group was read)")
        ->required();
    read->add_flag("--partial", readOptions.partial, "write --out also when some groups could not be read");
    auto* write = app.add_subcommand("write", "write a settings file into the device");
    AddConnectOptions(*write, connect, passwordSources);
    write->add_flag("--force", force, "write also to a device of another type");
    write->add_option("file", file, "settings file")->required();
    auto* poll = app.add_subcommand("status", "poll the live status");
    AddConnectOptions(*poll, connect, passwordSources);
    poll->add_option("--count", status.count, "passes (default: until interrupted)")->check(CLI::NonNegativeNumber);
    poll->add_option("--interval-ms", status.intervalMs, "pause between passes")->check(CLI::NonNegativeNumber);
    auto* asJson =
        poll->add_flag("--json", status.json, "one JSON object per line; a value not read in a pass is null");
    poll->add_flag("--csv", status.csv, "a header, then one row per pass of the plotted values; one not read is empty")
        ->excludes(asJson);
    auto* send = app.add_subcommand("send", "send one raw line and print the reply");
    AddConnectOptions(*send, connect, passwordSources);
    send->add_option("line", line, "command line")->required();
    auto* diff = app.add_subcommand("diff", "compare the device with a settings file");
    AddConnectOptions(*diff, connect, passwordSources);
    diff->add_option("file", file, "settings file")->required();

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }
    if (ports->parsed())
        return CommandPorts(json, out, err);
    if (create->parsed())
        return CommandNew(type, file, err);
    if (settings->parsed()) {
        PrintSettingsList(markdown, out);
        return kExitOk;
    }
    if (!ResolvePassword(connect, passwordSources, err))
        return kExitUsage;
    if (read->parsed())
        return CommandRead(connect, readOptions, err);
    if (write->parsed())
        return CommandWrite(connect, file, force, err);
    if (poll->parsed())
        return CommandStatus(connect, status, out, err);
    if (send->parsed())
        return CommandSend(connect, line, out, err);
    return CommandDiff(connect, file, out, err);
}

}  // namespace

// Every failure ends as a message and an exit status; nothing escapes.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const int status = Run(args, out, err);
        // Output that did not arrive is a failure, whatever the command did.
        if (!out.flush()) {
            err << "orvena-cli: standard output: " << std::strerror(errno ? errno : EIO) << '\n';
            return kExitGroupFailed;
        }
        return status;
    } catch (const std::bad_alloc&) {
        err << "orvena-cli: out of memory\n";
        return kExitGroupFailed;
    } catch (const std::filesystem::filesystem_error& error) {
        err << "orvena-cli: " << error.path1().string() << ": " << error.code().message() << '\n';
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "orvena-cli: " << error.what() << '\n';
        return kExitGroupFailed;
    }
}
