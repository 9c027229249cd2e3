#include "shell/sequences.h"

#include "model/dataserver.h"

#include <algorithm>
#include <ctime>

namespace {

DeviceTypeRecord TypeOf(CDataServer& data) {
    DeviceTypeRecord type;
    data.Get(DI_DEV_TYPE, type);
    return type;
}

uint8_t ReadCount(CDataServer& data, int item) {
    uint8_t count = 0;
    data.Get(item, count);
    return count;
}

// How many members a family has by the count the device reported earlier
// in read-all; -1 for a family that needs no count.
int ReportedCount(Counted counted, CDataServer& data) {
    switch (counted) {
    case Counted::No: return -1;
    case Counted::WifiNets: return ReadCount(data, DI_WIFINET_COUNT);
    case Counted::Servers: return ReadCount(data, DI_SERVER_COUNT);
    }
    return -1;
}

// The last member read-all reads: the second server and network are edited
// on "Связь" and read back when the device has them.
int LastReadMember(const GroupDesc& group, const DeviceTypeRecord& type, int reported) {
    if (!group.readWalked)
        return LastWalkedMember(group, type);
    const int last = std::min(LastMember(group, type), FirstMember(group) + group.readWalked - 1);
    return reported < 0 ? last : std::min(last, reported);
}

// Both server records back to their defaults: the device reported none.
void ResetMembers(const GroupDesc& group, CDataServer& data) {
    const ServerRecord defaults{};
    for (int n = FirstMember(group); n <= group.last; ++n)
        data.Set(group.item + n, defaults);
}

// The device clock is set from the computer's, not from a stale read.
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

// Sends requests and counts them until the caller says stop.
class CSequence {
public:
    CSequence(const SendFn& send, const StopFn& stopAfter) : m_send(send), m_stopAfter(stopAfter) {}

    // False once the sequence is to end.
    bool Send(RequestType type, const std::string& keyword, const char* parameter) {
        const int result = m_send(type, keyword.c_str(), parameter);
        ++m_sent;
        m_stopped = m_stopAfter && m_stopAfter(result);
        return !m_stopped;
    }
    bool SendMembers(RequestType type, const GroupDesc& group, int last, const char* parameter) {
        for (int n = FirstMember(group); n <= last; ++n)
            if (!Send(type, GroupRef{&group, n}.Keyword(), parameter))
                return false;
        return true;
    }
    bool Stopped() const { return m_stopped; }
    int Sent() const { return m_sent; }

private:
    const SendFn& m_send;
    const StopFn& m_stopAfter;
    int m_sent = 0;
    bool m_stopped = false;
};

bool ReadGroup(const GroupDesc& group, CDataServer& data, CSequence& sequence) {
    // Each group reads the type record anew: the first group replaces it.
    const DeviceTypeRecord type = TypeOf(data);
    if (!GroupPresent(group, type))
        return true;
    if (!group.Family()) {
        const bool alias = group.readAsType20 && type.type == 20;
        return sequence.Send(RequestType::Read, alias ? group.readAsType20 : group.keyword, group.readParam);
    }
    if (group.stemRead && !sequence.Send(RequestType::Read, group.keyword, nullptr))
        return false;
    const int reported = ReportedCount(group.counted, data);
    if (reported == 0) {
        if (group.action == GroupAction::ResetWhenNoneCount)
            ResetMembers(group, data);
        return true;
    }
    return sequence.SendMembers(RequestType::Read, group, LastReadMember(group, type, reported), group.readParam);
}

bool PollGroup(const PollEntry& entry, const DeviceTypeRecord& type, CSequence& sequence) {
    const GroupDesc& group = *entry.group;
    if (!Has(type, entry.need))
        return true;
    switch (entry.read) {
    case PollRead::Stem: return sequence.Send(RequestType::Read, group.keyword, nullptr);
    case PollRead::Config:
    case PollRead::Live: {
        const char* parameter = entry.read == PollRead::Config ? group.readParam : nullptr;
        if (!group.Family())
            return sequence.Send(RequestType::Read, group.keyword, parameter);
        return sequence.SendMembers(RequestType::Read, group, LastMember(group, type), parameter);
    }
    }
    return true;
}

}  // namespace

Request WriteRequest(const GroupRef& group) { return {RequestType::Write, group.Keyword(), group.group->writeParam}; }

PollSet PollSetOf(PageCode pageCode) {
    switch (pageCode) {
    case PageCode::Main:
    case PageCode::Settings: return PollSet::Position;
    case PageCode::Info: return PollSet::Info;
    default: return PollSet::None;
    }
}

int RunReadAll(CDataServer& data, const SendFn& send, const StopFn& stopAfter) {
    CSequence sequence(send, stopAfter);
    for (const GroupDesc* group : Groups())
        if ((group->in & InSequence::kReadAll) && !ReadGroup(*group, data, sequence))
            break;
    return sequence.Sent();
}

int RunWriteAll(CDataServer& data, const SendFn& send, const StopFn& stopAfter) {
    CSequence sequence(send, stopAfter);
    for (const GroupRef& group : GroupsIn(TypeOf(data), InSequence::kWriteAll)) {
        if (group.group->action == GroupAction::StampClock)
            StampClock(data);
        const Request request = WriteRequest(group);
        if (!sequence.Send(request.type, request.keyword, request.parameter))
            break;
    }
    return sequence.Sent();
}

int RunPoll(PageCode pageCode, CDataServer& data, const SendFn& send, const StopFn& stopAfter) {
    CSequence sequence(send, stopAfter);
    const DeviceTypeRecord type = TypeOf(data);
    for (const PollEntry& entry : PollEntries(PollSetOf(pageCode)))
        if (!PollGroup(entry, type, sequence))
            break;
    return sequence.Sent();
}

int RunWrites(std::vector<GroupRef> groups, const SendFn& send, const StopFn& stopAfter) {
    InRegistryOrder(groups);
    CSequence sequence(send, stopAfter);
    for (const GroupRef& group : groups) {
        const Request request = WriteRequest(group);
        if (!sequence.Send(request.type, request.keyword, request.parameter))
            break;
    }
    return sequence.Sent();
}
