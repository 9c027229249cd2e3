#include "app/core/sequences.h"

#include "model/dataserver.h"
#include "transport/zraqueue.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

using G = Gate;
using R = Repeat;

const SequenceStep kReadAll[] = {
    {"HWCFG", nullptr, G::Always},
    {"VER", nullptr, G::Always},
    {"BOOTVER", nullptr, G::Always},
    {"DEV", nullptr, G::Always},
    {"PASS", nullptr, G::Always},
    {"DATE", nullptr, G::Always},
    {"MODE", nullptr, G::Always},
    {"LOG", nullptr, G::Always},
    {"REP", nullptr, G::Always},
    {"STATIST", "GET", G::Always},
    {"GNSS", nullptr, G::Gnss},
    {"GSM", nullptr, G::Gsm},
    {"SMS", nullptr, G::Gsm},
    {"SMS1", "GET", G::Gsm},
    {"SMS2", "GET", G::Gsm},
    {"SMS3", "GET", G::Gsm},
    {"PHONE", nullptr, G::Gsm},
    {"PHONE1", "GET", G::Gsm},
    {"PHONE2", "GET", G::Gsm},
    {"PHONE3", "GET", G::Gsm},
    {"SIMS", nullptr, G::Gsm},
    {"SIM1", nullptr, G::Gsm},
    {"APN1", nullptr, G::Gsm},
    {"SIM2", nullptr, G::GsmSecondSim},
    {"APN2", nullptr, G::GsmSecondSim},
    {"WIFI", nullptr, G::Wifi},
    {"WIFINET", nullptr, G::Wifi},
    {"WIFINET1", "GET", G::WifiNets},
    {"FILTER", nullptr, G::Always},
    {"SERVER", nullptr, G::Always},
    {"SERVER1", "GET", G::Servers},
    {nullptr, nullptr, G::NoServers, R::Once, Action::ResetServers},
    {"IGN", nullptr, G::Inputs},
    {"SOS", nullptr, G::Inputs},
    {"IN", nullptr, G::Inputs, R::PerInput},
    {"INTRSHD", nullptr, G::Inputs, R::PerInput},
    {"OUT", nullptr, G::Outputs, R::PerOutput},
    {"RS232", nullptr, G::Rs232, R::Once, Action::Send, "RS232B"},
    {"LLS", nullptr, G::Rs232},
    {"LLS0", "GET", G::Rs232},
    {"RS485", nullptr, G::Rs485, R::Once, Action::Send, "RS485A"},
    {"LLS", nullptr, G::Rs485},
    {"LLS1", "GET", G::Rs485},
    {"LLS2", "GET", G::Rs485},
    {"LLS3", "GET", G::Rs485},
    {"LLS4", "GET", G::Rs485},
    {"MSENS", "GET", G::Accelerometer},
    {"TILT", "GET", G::Accelerometer},
    {"TSENS", "GET", G::InternalThermometer},
    {"THERMOID", nullptr, G::Thermometers},
    {"THERMO", "GET", G::Thermometers, R::PerThermometer},
    {"PRSET10", "GET", G::Always},
    {"PRSET11", "GET", G::Always},
};

const SequenceStep kWriteAll[] = {
    {"DEV", nullptr, G::Always},
    // The device clock is set from the computer's, not from a stale read.
    {nullptr, nullptr, G::Always, R::Once, Action::StampClock},
    {"DATE", nullptr, G::Always},
    {"MODE", nullptr, G::Always},
    {"LOG", nullptr, G::Always},
    {"SMS1", "SET", G::Gsm},
    {"SMS2", "SET", G::Gsm},
    {"SMS3", "SET", G::Gsm},
    {"PHONE1", "SET", G::Gsm},
    {"PHONE2", "SET", G::Gsm},
    {"PHONE3", "SET", G::Gsm},
    {"APN1", nullptr, G::Gsm},
    {"WIFINET1", "SET", G::Wifi},
    {"FILTER", nullptr, G::Always},
    {"SERVER1", "SET", G::Always},
    {"IGN", nullptr, G::Inputs},
    {"SOS", nullptr, G::Inputs},
    {"IN", nullptr, G::Inputs, R::PerInput},
    {"INTRSHD", nullptr, G::Inputs, R::PerInput},
    {"OUT", nullptr, G::Outputs, R::PerOutput},
    {"RS232", nullptr, G::Rs232},
    {"LLS0", "SET", G::Rs232},
    {"RS485", nullptr, G::Rs485},
    {"LLS1", "SET", G::Rs485},
    {"LLS2", "SET", G::Rs485},
    {"LLS3", "SET", G::Rs485},
    {"LLS4", "SET", G::Rs485},
    {"MSENS", "SET", G::Accelerometer},
    {"TILT", "SET", G::Accelerometer},
    {"TSENS", "SET", G::InternalThermometer},
    {"THERMO", "SET", G::Thermometers, R::PerThermometer},
    {"PRSET10", "SET", G::Always},
    {"PRSET11", "SET", G::Always},
};

const SequenceStep kPollPosition[] = {
    {"GNSS", nullptr, G::Always},
};

const SequenceStep kPollInfo[] = {
    {"STATIST", "GET", G::Always},
    {"REP", nullptr, G::Always},
    {"EKEY", nullptr, G::KeyReader},
    {"LLS0", nullptr, G::Rs232},
    {"LLS1", nullptr, G::Rs485},
    {"LLS2", nullptr, G::Rs485},
    {"LLS3", nullptr, G::Rs485},
    {"LLS4", nullptr, G::Rs485},
    {"MSENS", nullptr, G::Accelerometer},
    {"TILT", nullptr, G::Accelerometer},
    {"TSENS", nullptr, G::InternalThermometer},
    {"GNSS", nullptr, G::Gnss},
    {"GSM", nullptr, G::Gsm},
    {"WIFI", nullptr, G::Wifi},
    {"IN", nullptr, G::Inputs},
    {"OUT", nullptr, G::Outputs},
    {"THERMO", nullptr, G::Thermometers, R::PerThermometer},
};

// The record holds four thermometers although some types report eight.
int Thermometers(const DeviceTypeRecord& caps) { return std::min(Caps::ThermometerCount(caps), kThermometers); }
int Inputs(const DeviceTypeRecord& caps) { return std::min(Caps::Inputs(caps), kInputs); }
int Outputs(const DeviceTypeRecord& caps) { return std::min(Caps::Outputs(caps), kOutputs); }

uint8_t ReadCount(CDataServer& data, int item) {
    uint8_t count = 0;
    data.Get(item, count);
    return count;
}

bool Open(Gate gate, const DeviceTypeRecord& caps, CDataServer& data) {
    switch (gate) {
    case G::Always: return true;
    case G::Gsm: return Caps::Gsm(caps);
    case G::GsmSecondSim: return Caps::Gsm(caps) && Caps::SecondSim(caps);
    case G::Wifi: return Caps::Wifi(caps);
    case G::WifiNets: return Caps::Wifi(caps) && ReadCount(data, DI_WIFINET_COUNT) != 0;
    case G::Servers: return ReadCount(data, DI_SERVER_COUNT) != 0;
    case G::NoServers: return ReadCount(data, DI_SERVER_COUNT) == 0;
    case G::Gnss: return Caps::Gnss(caps);
    case G::Inputs: return Inputs(caps) != 0;
    case G::Outputs: return Outputs(caps) != 0;
    case G::Rs232: return Caps::Rs232(caps);
    case G::Rs485: return Caps::Rs485(caps);
    case G::Accelerometer: return Caps::Accelerometer(caps);
    case G::InternalThermometer: return Caps::InternalThermometer(caps);
    case G::Thermometers: return Thermometers(caps) != 0;
    case G::KeyReader: return Caps::KeyReader(caps);
    }
    return false;
}

int Repetitions(Repeat repeat, const DeviceTypeRecord& caps) {
    switch (repeat) {
    case R::Once: return 0;
    case R::PerInput: return Inputs(caps);
    case R::PerOutput: return Outputs(caps);
    case R::PerThermometer: return Thermometers(caps);
    }
    return 0;
}

void ResetServers(CDataServer& data) {
    const ServerRecord defaults{};
    for (int n = 1; n <= kServers; ++n)
        data.Set(ItemBase::Server + n, defaults);
}

void StampClock(CDataServer& data) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return;
    DateTime clock;
    clock.day = static_cast<uint8_t>(local.tm_mday);
    clock.month = static_cast<uint8_t>(local.tm_mon + 1);
    clock.year = static_cast<uint8_t>(local.tm_year % 100);
    clock.hour = static_cast<uint8_t>(local.tm_hour);
    clock.minute = static_cast<uint8_t>(local.tm_min);
    clock.second = static_cast<uint8_t>(local.tm_sec);
    data.Set(DI_DEVICE_TIME, clock);
}

void Perform(Action action, CDataServer& data) {
    if (action == Action::ResetServers)
        ResetServers(data);
    else if (action == Action::StampClock)
        StampClock(data);
}

}  // namespace

std::span<const SequenceStep> ReadAllSteps() { return kReadAll; }
std::span<const SequenceStep> WriteAllSteps() { return kWriteAll; }

std::span<const SequenceStep> PollSteps(int32_t pageCode) {
    if (pageCode == 1 || pageCode == 3)
        return kPollPosition;
    if (pageCode == 2)
        return kPollInfo;
    return {};
}

int RunSequence(std::span<const SequenceStep> steps, int32_t requestType, CDataServer& data, const SendFn& send,
                const std::function<bool(int result)>& stopAfter) {
    int sent = 0;
    // Each step reads the type record anew: the first read-all step replaces it.
    for (const SequenceStep& step : steps) {
        DeviceTypeRecord caps;
        data.Get(DI_DEV_TYPE, caps);
        if (!Open(step.gate, caps, data))
            continue;
        if (step.action != Action::Send) {
            Perform(step.action, data);
            continue;
        }
        const char* keyword = (step.keywordType20 && caps.type == 20) ? step.keywordType20 : step.keyword;
        const int repetitions = Repetitions(step.repeat, caps);
        for (int i = repetitions ? 1 : 0; i <= repetitions; ++i) {
            char numbered[CZRAQueue::kParameterSize];
            if (i)
                std::snprintf(numbered, sizeof numbered, "%s%d", keyword, i);
            const int result = send(requestType, i ? numbered : keyword, step.parameter);
            ++sent;
            if (stopAfter && stopAfter(result))
                return sent;
        }
    }
    return sent;
}

int RunReadAll(CDataServer& data, const SendFn& send) { return RunSequence(ReadAllSteps(), kRequestRead, data, send); }
int RunWriteAll(CDataServer& data, const SendFn& send) { return RunSequence(WriteAllSteps(), kRequestWrite, data, send); }
