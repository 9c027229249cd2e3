// The exchange sequences as data: read-all, write-all and the status poll are
// step tables gated by the device type's capabilities. The window, the
// command-line tool and the tests run them through a send callable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class CDataServer;

// (request type, keyword, parameter or null) -> worker result code.
using SendFn = std::function<int(int32_t type, const char* keyword, const char* parameter)>;

// When a step runs. Capability gates read DI_DEV_TYPE; the count gates read
// the counts the device reported earlier in the same sequence.
enum class Gate : uint8_t {
    Always,
    Gsm,
    GsmSecondSim,
    Wifi,
    WifiNets,  // WiFi present and DI_WIFINET_COUNT not 0
    Servers,   // DI_SERVER_COUNT not 0
    NoServers,
    Gnss,
    Inputs,
    Outputs,
    Rs232,
    Rs485,
    Accelerometer,
    InternalThermometer,
    Thermometers,
    KeyReader,
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
    Gate gate;
    Repeat repeat = Repeat::Once;
    Action action = Action::Send;
    const char* keywordType20 = nullptr;  // the type-20 device reads some groups by other names
};

std::span<const SequenceStep> ReadAllSteps();
std::span<const SequenceStep> WriteAllSteps();
// Reads of one status pass for the active page code (empty for other codes).
std::span<const SequenceStep> PollSteps(int32_t pageCode);

// Runs steps with one request type. Ends early when stopAfter(result) is true.
// Returns the number of requests sent.
int RunSequence(std::span<const SequenceStep> steps, int32_t requestType, CDataServer& data,
                const SendFn& send, const std::function<bool(int result)>& stopAfter = {});

int RunReadAll(CDataServer& data, const SendFn& send);
int RunWriteAll(CDataServer& data, const SendFn& send);
