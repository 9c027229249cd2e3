#include "cli/cli.h"

#include "base/appinfo.h"
#include "cli/commands.h"

#include <filesystem>

#include <CLI/CLI.hpp>

namespace {

// The connection options every device command takes.
void AddConnectOptions(CLI::App& command, ConnectOptions& options) {
    command.add_option("--port", options.port, "serial port device path")->required();
    auto* password = command.add_option_function<std::string>(
        "--password", [&options](const std::string& text) { options.password = text; },
        "device password (protection on)");
    password->check(CLI::Validator(
        [](std::string& text) { return text.size() <= 8 ? std::string() : std::string("at most 8 characters"); },
        "TEXT"));
    auto* none = command.add_flag("--no-password", options.noPassword, "send no password");
    password->excludes(none);
    command.add_option("--log-dir", options.logDir, "folder whose Logs folder takes the connection's log file");
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"ORVENA tracker configurator, command line", "orvena-cli"};
    app.set_version_flag("--version", std::string("orvena-cli ") + AppInfo::kProgramVersion);
    app.require_subcommand(1);

    ConnectOptions connect;
    StatusOptions status;
    std::string file, line;
    bool force = false;

    auto* ports = app.add_subcommand("ports", "list the serial ports");
    auto* read = app.add_subcommand("read", "read the device into a settings file");
    AddConnectOptions(*read, connect);
    read->add_option("--out", file, "settings file to write")->required();
    auto* write = app.add_subcommand("write", "write a settings file into the device");
    AddConnectOptions(*write, connect);
    write->add_flag("--force", force, "write also to a device of another type");
    write->add_option("file", file, "settings file")->required();
    auto* poll = app.add_subcommand("status", "poll the live status");
    AddConnectOptions(*poll, connect);
    poll->add_option("--count", status.count, "passes (default: until interrupted)")->check(CLI::NonNegativeNumber);
    poll->add_option("--interval-ms", status.intervalMs, "pause between passes")->check(CLI::NonNegativeNumber);
    poll->add_flag("--json", status.json, "one JSON object per line");
    auto* send = app.add_subcommand("send", "send one raw line and print the reply");
    AddConnectOptions(*send, connect);
    send->add_option("line", line, "command line")->required();
    auto* diff = app.add_subcommand("diff", "compare the device with a settings file");
    AddConnectOptions(*diff, connect);
    diff->add_option("file", file, "settings file")->required();

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }
    if ((write->parsed() || diff->parsed()) && !std::filesystem::is_regular_file(file)) {
        err << "orvena-cli: no settings file " << file << '\n';
        return kExitUsage;
    }
    if (ports->parsed())
        return CommandPorts(out, err);
    if (read->parsed())
        return CommandRead(connect, file, err);
    if (write->parsed())
        return CommandWrite(connect, file, force, err);
    if (poll->parsed())
        return CommandStatus(connect, status, out, err);
    if (send->parsed())
        return CommandSend(connect, line, out, err);
    return CommandDiff(connect, file, out, err);
}
