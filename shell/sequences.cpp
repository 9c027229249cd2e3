#include "shell/sequences.h"

#include "model/dataserver.h"
#include "transport/zraqueue.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

using C = Capability;
using R = Repeat;

const SequenceStep kReadAll[] = {
    {"HWCFG", nullptr, C::Always},
    {"VER", nullptr, C::Always},
    {"BOOTVER", nullptr, C::Always},
    {"DEV", nullptr, C::Always},
    {"PASS", nullptr, C::Always},
    {"DATE", nullptr, C::Always},
    {"MODE", nullptr, C::Always},
    {"LOG", nullptr, C::Always},
    {"REP", nullptr, C::Always},
    {"STATIST", "GET", C::Always},
    {"GNSS", nullptr, C::Gnss},
    {"GSM", nullptr, C::Gsm},
    {"SMS", nullptr, C::Gsm},
    {"SMS1", "GET", C::Gsm},
    {"SMS2", "GET", C::Gsm},
    {"SMS3", "GET", C::Gsm},
    {"PHONE", nullptr, C::Gsm},
    {"PHONE1", "GET", C::Gsm},
    {"PHONE2", "GET", C::Gsm},
    {"PHONE3", "GET", C::Gsm},
    {"SIMS", nullptr, C::Gsm},
    {"SIM1", nullptr, C::Gsm},
    {"APN1", nullptr, C::Gsm},
    {"SIM2", nullptr, C::SecondSim},
    {"APN2", nullptr, C::SecondSim},
    {"WIFI", nullptr, C::Wifi},
    {"WIFINET", nullptr, C::Wifi},
    {"WIFINET1", "GET", C::Wifi, R::Once, Action::Send, nullptr, Counted::WifiNets},
    // The second network and server are edited on "Связь".
    {"WIFINET2", "GET", C::Wifi, R::Once, Action::Send, nullptr, Counted::SecondWifiNet},
    {"FILTER", nullptr, C::Always},
    {"SERVER", nullptr, C::Always},
    {"SERVER1", "GET", C::Always, R::Once, Action::Send, nullptr, Counted::Servers},
    {"SERVER2", "GET", C::Always, R::Once, Action::Send, nullptr, Counted::SecondServer},
    {nullptr, nullptr, C::Always, R::Once, Action::ResetServers, nullptr, Counted::NoServers},
    {"IGN", nullptr, C::Inputs},
    {"SOS", nullptr, C::Inputs},
    {"IN", nullptr, C::Inputs, R::PerInput},
    {"INTRSHD", nullptr, C::Inputs, R::PerInput},
    {"OUT", nullptr, C::Outputs, R::PerOutput},
    {"RS232", nullptr, C::Rs232, R::Once, Action::Send, "RS232B"},
    {"LLS", nullptr, C::Rs232},
    {"LLS0", "GET", C::Rs232},
    {"RS485", nullptr, C::Rs485, R::Once, Action::Send, "RS485A"},
    {"LLS", nullptr, C::Rs485},
    {"LLS1", "GET", C::Rs485},
    {"LLS2", "GET", C::Rs485},
    {"LLS3", "GET", C::Rs485},
    {"LLS4", "GET", C::Rs485},
    {"MSENS", "GET", C::Accelerometer},
    {"TILT", "GET", C::Accelerometer},
    {"TSENS", "GET", C::InternalThermometer},
    {"THERMOID", nullptr, C::Thermometers},
    {"THERMO", "GET", C::Thermometers, R::PerThermometer},
    {"PRSET10", "GET", C::Always},
    {"PRSET11", "GET", C::Always},
};

const SequenceStep kWriteAll[] = {
    {"DEV", nullptr, C::Always},
    // The device clock is set from the computer's, not from a stale read.
    {nullptr, nullptr, C::Always, R::Once, Action::StampClock},
    {"DATE", nullptr, C::Always},
    {"MODE", nullptr, C::Always},
    {"LOG", nullptr, C::Always},
    {"SMS1", "SET", C::Gsm},
    {"SMS2", "SET", C::Gsm},
    {"SMS3", "SET", C::Gsm},
    {"PHONE1", "SET", C::Gsm},
    {"PHONE2", "SET", C::Gsm},
    {"PHONE3", "SET", C::Gsm},
    {"APN1", nullptr, C::Gsm},
    {"WIFINET1", "SET", C::Wifi},
    {"FILTER", nullptr, C::Always},
    {"SERVER1", "SET", C::Always},
    {"IGN", nullptr, C::Inputs},
    {"SOS", nullptr, C::Inputs},
    {"IN", nullptr, C::Inputs, R::PerInput},
    {"INTRSHD", nullptr, C::Inputs, R::PerInput},
    {"OUT", nullptr, C::Outputs, R::PerOutput},
    {"RS232", nullptr, C::Rs232},
    {"LLS0", "SET", C::Rs232},
    {"RS485", nullptr, C::Rs485},
    {"LLS1", "SET", C::Rs485},
    {"LLS2", "SET", C::Rs485},
    {"LLS3", "SET", C::Rs485},
    {"LLS4", "SET", C::Rs485},
    {"MSENS", "SET", C::Accelerometer},
    {"TILT", "SET", C::Accelerometer},
    {"TSENS", "SET", C::InternalThermometer},
    {"THERMO", "SET", C::Thermometers, R::PerThermometer},
    {"PRSET10", "SET", C::Always},
    {"PRSET11", "SET", C::Always},
};

const SequenceStep kPollPosition[] = {
    {"GNSS", nullptr, C::Always},
};

const SequenceStep kPollInfo[] = {
    {"STATIST", "GET", C::Always},
    {"REP", nullptr, C::Always},
    {"EKEY", nullptr, C::KeyReader},
    {"LLS0", nullptr, C::Rs232},
    {"LLS1", nullptr, C::Rs485},
    {"LLS2", nullptr, C::Rs485},
    {"LLS3", nullptr, C::Rs485},
    {"LLS4", nullptr, C::Rs485},
    {"MSENS", nullptr, C::Accelerometer},
    {"TILT", nullptr, C::Accelerometer},
    {"TSENS", nullptr, C::InternalThermometer},
    {"GNSS", nullptr, C::Gnss},
    {"GSM", nullptr, C::Gsm},
    {"WIFI", nullptr, C::Wifi},
    {"IN", nullptr, C::Inputs},
    {"OUT", nullptr, C::Outputs},
    {"THERMO", nullptr, C::Thermometers, R::PerThermometer},
};

uint8_t ReadCount(CDataServer& data, int item) {
    uint8_t count = 0;
    data.Get(item, count);
    return count;
}

bool CountAllows(Counted counted, CDataServer& data) {
    switch (counted) {
    case Counted::No: return true;
    case Counted::WifiNets: return ReadCount(data, DI_WIFINET_COUNT) != 0;
    case Counted::SecondWifiNet: return ReadCount(data, DI_WIFINET_COUNT) >= 2;
    case Counted::Servers: return ReadCount(data, DI_SERVER_COUNT) != 0;
    case Counted::SecondServer: return ReadCount(data, DI_SERVER_COUNT) >= 2;
    case Counted::NoServers: return ReadCount(data, DI_SERVER_COUNT) == 0;
    }
    return false;
}

int Repetitions(Repeat repeat, const DeviceTypeRecord& caps) {
    switch (repeat) {
    case R::Once: return 0;
    case R::PerInput: return Count(caps, C::Inputs);
    case R::PerOutput: return Count(caps, C::Outputs);
    case R::PerThermometer: return Count(caps, C::Thermometers);
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

std::span<const SequenceStep> PollSteps(PageCode pageCode) {
    switch (pageCode) {
    case PageCode::Main:
    case PageCode::Settings: return kPollPosition;
    case PageCode::Info: return kPollInfo;
    default: return {};
    }
}

int RunSequence(std::span<const SequenceStep> steps, RequestType requestType, CDataServer& data, const SendFn& send,
                const std::function<bool(int result)>& stopAfter) {
    int sent = 0;
    // Each step reads the type record anew: the first read-all step replaces it.
    for (const SequenceStep& step : steps) {
        DeviceTypeRecord caps;
        data.Get(DI_DEV_TYPE, caps);
        if (!Has(caps, step.need) || !CountAllows(step.counted, data))
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

int RunReadAll(CDataServer& data, const SendFn& send, const std::function<bool(int result)>& stopAfter) {
    return RunSequence(ReadAllSteps(), RequestType::Read, data, send, stopAfter);
}
int RunWriteAll(CDataServer& data, const SendFn& send, const std::function<bool(int result)>& stopAfter) {
    return RunSequence(WriteAllSteps(), RequestType::Write, data, send, stopAfter);
}
