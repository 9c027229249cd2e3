// orvena [--demo [--type N]] | --help | --version
// --demo starts the built-in device simulator on a pseudo-terminal and lists
// its port first; --type chooses the simulated device type.
#include "base/appinfo.h"
#include "sim/devsim.h"
#include "window/nordekapp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {
struct Options {
    bool demo = false;
    int type = DevSimOptions{}.type;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0) {
            options.demo = true;
        } else if (std::strcmp(argv[i], "--type") == 0 && options.demo && i + 1 < argc) {
            char* end = nullptr;
            const long type = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || type < 0 || type > 255)
                return std::nullopt;
            options.type = static_cast<int>(type);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

const char kUsage[] = "usage: orvena [--demo [--type N]] | --help | --version\n";

// Output that did not arrive is a failure.
int Printed(int written) { return written >= 0 && std::fflush(stdout) == 0 ? 0 : 1; }
}  // namespace

int main(int argc, char** argv) {
    // Answered before any window exists, so they need no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return Printed(std::printf("orvena %s\n", AppInfo::kProgramVersion));
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return Printed(std::printf("%s", kUsage));
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    CNordekApp app(argc, argv);
    std::unique_ptr<CDevSim> demo;
    std::string demoPort;
    if (options->demo) {
        DevSimOptions simOptions;
        simOptions.type = options->type;
        simOptions.pacing = true;
        simOptions.recordReceived = false;
        demo = std::make_unique<CDevSim>(simOptions);
        if (!demo->Start()) {
            std::fprintf(stderr, "orvena: the demo device could not be started\n");
            return 1;
        }
        demoPort = demo->PortPath();
    }
    return app.Run(demoPort);
}
