// orvena-devsim: a simulated tracker on a pseudo-terminal for manual and
// scripted runs of the configurator.

#include "sim/devsim.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: orvena-devsim --link PATH --type N [--password PW | --no-password]\n"
                 "       [--no-pacing] [--reply-delay MS] [--drop-every N] [--garble-every N]\n"
                 "       [--silent] [--noise-ms MS] [--unplug-after N] [--replug-after S]\n");
}

bool ToInt(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < -1 || value > 1000000)
        return false;
    out = static_cast<int>(value);
    return true;
}

// Options that take a number, and where it goes.
struct IntOption {
    const char* name;
    int DevSimOptions::*field;
};
constexpr IntOption kIntOptions[] = {
    {"--type", &DevSimOptions::type},
    {"--reply-delay", &DevSimOptions::replyDelayMs},
    {"--drop-every", &DevSimOptions::dropEveryN},
    {"--garble-every", &DevSimOptions::garbleEveryN},
    {"--noise-ms", &DevSimOptions::noiseIntervalMs},
    {"--unplug-after", &DevSimOptions::unplugAfterCommands},
    {"--replug-after", &DevSimOptions::replugAfterSeconds},
};

bool ParseArgs(int argc, char** argv, DevSimOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const IntOption* numeric = nullptr;
        for (const IntOption& option : kIntOptions) {
            if (std::strcmp(arg, option.name) == 0)
                numeric = &option;
        }
        if (numeric) {
            if (!value || !ToInt(value, options.*(numeric->field)))
                return false;
            ++i;
        } else if (std::strcmp(arg, "--link") == 0 && value) {
            options.link = value;
            ++i;
        } else if (std::strcmp(arg, "--password") == 0 && value) {
            options.password = value;
            options.protection = true;
            ++i;
        } else if (std::strcmp(arg, "--no-password") == 0) {
            options.protection = false;
        } else if (std::strcmp(arg, "--no-pacing") == 0) {
            options.pacing = false;
        } else if (std::strcmp(arg, "--silent") == 0) {
            options.silent = true;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("orvena-devsim %s\n", ORVENA_VERSION);
        return 0;
    }
    DevSimOptions options;
    options.recordReceived = false;
    if (!ParseArgs(argc, argv, options)) {
        Usage();
        return 2;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    CDevSim sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "orvena-devsim: cannot open a pseudo-terminal%s%s\n",
                     options.link.empty() ? "" : " or place the link ", options.link.c_str());
        return 1;
    }
    std::printf("%s\n", sim.PortPath().c_str());
    std::fflush(stdout);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sim.Stop();
    return 0;
}
