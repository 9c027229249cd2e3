#include "cli/cli.h"
#include "files/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    fileio::RemoveTemporariesOnSignals();
    const int status = RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    // std::cout writes through stdout's buffer, whose failure shows only here.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "orvena-cli: standard output: %s\n", std::strerror(errno ? errno : EIO));
        return status == 0 ? 1 : status;
    }
    return status;
}
