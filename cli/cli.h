// The command-line tool's entry: parses the arguments, runs one command and
// returns the exit status. Output goes to out, messages to err.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
