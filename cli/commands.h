// The commands of the tool; each returns its exit status. Everything that can
// be checked without the device is checked before connecting.
#pragma once

#include "cli/connection.h"

#include <ostream>
#include <string>

struct StatusOptions {
    int count = 0;  // 0: until interrupted
    int intervalMs = 1000;
    bool json = false;
    bool csv = false;
};

struct ReadOptions {
    std::string out;
    bool partial = false;  // write --out also when groups failed
};

int CommandPorts(bool json, std::ostream& out, std::ostream& err);
// A settings file of a device type's defaults, what "Создать" writes for it.
int CommandNew(int type, const std::string& file, std::ostream& err);
int CommandRead(const ConnectOptions& options, const ReadOptions& read, std::ostream& err);
int CommandWrite(const ConnectOptions& options, const std::string& file, bool force, std::ostream& err);
int CommandStatus(const ConnectOptions& options, const StatusOptions& status, std::ostream& out, std::ostream& err);
int CommandSend(const ConnectOptions& options, const std::string& line, std::ostream& out, std::ostream& err);
int CommandDiff(const ConnectOptions& options, const std::string& file, std::ostream& out, std::ostream& err);
