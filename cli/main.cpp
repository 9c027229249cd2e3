#include "cli/cli.h"
#include "files/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    fileio::RemoveTemporariesOnSignals();
    const int status = RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    // std::cout writes through stdout's buffer, whose failure may show only
    // here; a stream already failed was reported by RunCli.
    if (std::cout && (std::fflush(stdout) != 0 || std::ferror(stdout))) {
        std::fprintf(stderr, "orvena-cli: standard output: %s\n", std::strerror(errno ? errno : EIO));
        return status == 0 ? 1 : status;
    }
    return status;
}
