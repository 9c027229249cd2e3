// The exchange sequences, derived from the settings registry: read-all,
// write-all and the status poll walk its groups behind their capability
// gates; the write road sends marked groups. The window, the command-line
// tool and the tests run them through a send callable.
#pragma once

#include "model/registry.h"
#include "protocol/request.h"
#include "shell/pagecode.h"

#include <functional>
#include <string>
#include <vector>

class CDataServer;

// (request type, keyword, parameter or null) -> worker result code.
using SendFn = std::function<int(RequestType type, const char* keyword, const char* parameter)>;
// Ends a sequence early when it returns true for a result.
using StopFn = std::function<bool(int result)>;

// One request of a sequence.
struct Request {
    RequestType type;
    std::string keyword;
    const char* parameter;  // null for none
};

// The request that writes one group member.
Request WriteRequest(const GroupRef& group);

// The poll set a page reads.
PollSet PollSetOf(PageCode pageCode);

// Each returns the number of requests sent.
int RunReadAll(CDataServer& data, const SendFn& send, const StopFn& stopAfter = {});
int RunWriteAll(CDataServer& data, const SendFn& send, const StopFn& stopAfter = {});
int RunPoll(PageCode pageCode, CDataServer& data, const SendFn& send, const StopFn& stopAfter = {});
// Writes the given members in the registry's order, each once.
int RunWrites(std::vector<GroupRef> groups, const SendFn& send, const StopFn& stopAfter = {});
