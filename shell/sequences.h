// The exchange sequences as data: read-all, write-all and the status poll are
// step tables gated by the device type's capabilities. The window, the
// command-line tool and the tests run them through a send callable.
#pragma once

#include "model/capabilities.h"
#include "shell/pagecode.h"
#include "transport/zraqueue.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class CDataServer;

// (request type, keyword, parameter or null) -> worker result code.
using SendFn = std::function<int(RequestType type, const char* keyword, const char* parameter)>;

// Steps that depend on a count the device reported earlier in the same
// sequence, on top of the capability they need.
enum class Counted : uint8_t {
    No,
    WifiNets,       // DI_WIFINET_COUNT not 0
    SecondWifiNet,  // DI_WIFINET_COUNT at least 2
    Servers,        // DI_SERVER_COUNT not 0
    SecondServer,   // DI_SERVER_COUNT at least 2
    NoServers,      // DI_SERVER_COUNT 0
};

// How often a step runs: once, or once per input, output or thermometer with
// the number appended to the keyword.
enum class Repeat : uint8_t { Once, PerInput, PerOutput, PerThermometer };

enum class Action : uint8_t {
    Send,
    ResetServers,  // both server records back to their defaults
    StampClock,    // the computer's local date and time into DI_DEVICE_TIME
};

struct SequenceStep {
    const char* keyword;
    const char* parameter;
    Capability need;
    Repeat repeat = Repeat::Once;
    Action action = Action::Send;
    const char* keywordType20 = nullptr;  // the type-20 device reads some groups by other names
    Counted counted = Counted::No;
};

std::span<const SequenceStep> ReadAllSteps();
std::span<const SequenceStep> WriteAllSteps();
// Reads of one status pass for the active page code (empty for other codes).
std::span<const SequenceStep> PollSteps(PageCode pageCode);

// Runs steps with one request type. Ends early when stopAfter(result) is true.
// Returns the number of requests sent.
int RunSequence(std::span<const SequenceStep> steps, RequestType requestType, CDataServer& data, const SendFn& send,
                const std::function<bool(int result)>& stopAfter = {});

int RunReadAll(CDataServer& data, const SendFn& send, const std::function<bool(int result)>& stopAfter = {});
int RunWriteAll(CDataServer& data, const SendFn& send, const std::function<bool(int result)>& stopAfter = {});
