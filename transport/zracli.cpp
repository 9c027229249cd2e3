#include "transport/zracli.h"

#include "protocol/zramds.h"

#include <chrono>
#include <cstring>
#include <system_error>

namespace {

constexpr auto kIdleStep = std::chrono::milliseconds(50);
constexpr uint32_t kDefaultTimeoutMs = 3000;
constexpr uint32_t kLongTimeoutMs = 60000;
constexpr int kAttempts = 2;

const char* const kLongKeywords[] = {"ERASURE", "FACTORY"};

// Codec result (index) to worker result; anything beyond the table is 9.
const int32_t kParseResults[] = {
    kResultOk,             // 0 "OK" or data taken
    kResultDone,           // 1
    kResultPassChanged,    // 2 "PC"
    kResultWrongPassword,  // 3 "PE"
    kResultInvalid,        // 4 "FE" or malformed
    kResultRefused,        // 5 "CE"
    kResultNotBuilt,       // 6 "DE" or checksum
    kResultDeviceError,    // 7 "EE" or codec lock
};

int32_t MapParseResult(int code) {
    constexpr int count = static_cast<int>(sizeof kParseResults / sizeof kParseResults[0]);
    return (code >= 0 && code < count) ? kParseResults[code] : kResultOther;
}

// Why a parsed reply failed, where the code alone does not tell it.
ResultCause CauseOf(int32_t result, ParseNote note) {
    if (note == ParseNote::BadChecksum) {
        return ResultCause::BadChecksum;
    }
    if (result == kResultOk || result == kResultDone || note == ParseNote::StatusWord) {
        return ResultCause::None;
    }
    return note == ParseNote::Data ? ResultCause::Refused : ResultCause::Malformed;
}

// Copies text whole into a fixed field; false when it does not fit, so that a
// cut keyword is never sent as if it were another one.
template <size_t N> bool CopyWhole(char (&field)[N], const char* text) {
    const size_t length = std::strlen(text);
    if (length >= N) {
        return false;
    }
    std::memcpy(field, text, length + 1);
    return true;
}

}  // namespace

CZRACLI::CZRACLI(ICommandOwner& owner) : m_owner(owner) {}

CZRACLI::~CZRACLI() { Stop(); }

uint32_t CZRACLI::TimeoutFor(const char* keyword) {
    for (const char* longKeyword : kLongKeywords) {
        if (std::strcmp(keyword, longKeyword) == 0) {
            return kLongTimeoutMs;
        }
    }
    return kDefaultTimeoutMs;
}

int CZRACLI::Start() {
    if (m_thread.joinable()) {
        return 0;
    }
    m_stop.store(false);
    try {
        m_thread = std::thread(&CZRACLI::Run, this);
    } catch (const std::system_error& error) {
        m_startError = error.code().value();
        return 0;
    }
    m_startError = 0;
    return 1;
}

int CZRACLI::Stop() {
    m_stop.store(true);
    Notify();
    // The step in progress ends after its exchange, whose waits are all bounded.
    if (m_thread.joinable()) {
        m_thread.join();
    }
    CompleteQueued();
    return 1;
}

void CZRACLI::Notify() {
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        m_woken = true;
    }
    m_wake.notify_all();
}

void CZRACLI::Run() {
    while (!m_stop.load()) {
        Step();
    }
}

QueueItem CZRACLI::EmptyRequest() {
    QueueItem request;
    request.text = m_text;
    request.textSize = sizeof m_text;
    request.parameter = m_parameter;
    request.parameterSize = sizeof m_parameter;
    return request;
}

void CZRACLI::Step() {
    QueueItem request = EmptyRequest();
    if (m_owner.RequestQueue().Get(request) == 0 || request.type == RequestType::None) {
        WaitForWork();
        return;
    }
    ResultCause cause = ResultCause::None;
    const int32_t result = Perform(request, cause);
    KeepReply(result);
    m_owner.OnRequestResult(result);
    Deliver(request, result, cause);
}

void CZRACLI::WaitForWork() {
    std::unique_lock<std::mutex> lock(m_wakeLock);
    m_wake.wait_for(lock, kIdleStep, [this] { return m_woken; });
    m_woken = false;
}

int32_t CZRACLI::Perform(const QueueItem& request, ResultCause& cause) {
    switch (request.type) {
    case RequestType::Read:
    case RequestType::Write: return PerformKeyword(request, cause);
    case RequestType::Raw: return PerformRaw(request);
    default: return kResultNotBuilt;  // unknown type: nothing sent, but the producer still hears back
    }
}

// A reply with a wrong checksum is a transmission error: like a missing reply it
// gets the second attempt. The last attempt's outcome is the result.
int32_t CZRACLI::PerformKeyword(const QueueItem& request, ResultCause& cause) {
    const int write = request.type == RequestType::Write ? 1 : 0;
    if (!CopyWhole(m_exchange.keyword, request.text) || !CopyWhole(m_exchange.parameter, request.parameter)) {
        return kResultNotBuilt;
    }
    const int built = m_owner.Codec().BuildCommand(write, m_exchange.keyword, m_exchange.parameter, m_exchange.command);
    m_exchange.reply.length = 0;
    m_exchange.reply.text[0] = '\0';
    m_exchange.timeoutMs = TimeoutFor(m_exchange.keyword) / m_timeoutDivisor;
    if (built != kCodecOk && built != kCodecDone) {
        return kResultNotBuilt;
    }
    int32_t result = kResultNoAnswer;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int sent = m_owner.Channel().SendAndWait(m_exchange);
        if (sent == kSendNotTaken) {
            cause = ResultCause::None;
            return kResultLost;
        }
        if (sent != kSendReplied) {
            result = kResultNoAnswer;
            cause = ResultCause::None;
            continue;
        }
        ParseNote note = ParseNote::Malformed;
        char replyKeyword[sizeof m_exchange.keyword];
        result = MapParseResult(m_owner.Codec().ParseReply(write, replyKeyword, m_exchange.reply, &note));
        cause = CauseOf(result, note);
        if (note != ParseNote::BadChecksum) {
            break;
        }
    }
    return result;
}

// The parameter, when given, names the keyword whose reply answers the line;
// without it any line with a "$" does.
int32_t CZRACLI::PerformRaw(const QueueItem& request) {
    const size_t length = std::strlen(request.text);
    // An empty line is not sent; a line without room for its end cannot be.
    if (length == 0 || length + 2 > kLineMaxChars) {
        return kResultNoAnswer;
    }
    if (!CopyWhole(m_exchange.keyword, request.parameter)) {
        return kResultNotBuilt;
    }
    std::memcpy(m_exchange.command.text, request.text, length);
    std::memcpy(m_exchange.command.text + length, "\r\n", 3);
    m_exchange.command.length = static_cast<uint16_t>(length + 2);
    m_exchange.reply.length = 0;
    m_exchange.reply.text[0] = '\0';
    m_exchange.timeoutMs = kDefaultTimeoutMs / m_timeoutDivisor;
    switch (m_owner.Channel().SendAndWait(m_exchange)) {
    case kSendReplied: return kResultOk;
    case kSendNotTaken: return kResultLost;  // the port is gone: not a silent device
    default: return kResultNoAnswer;
    }
}

void CZRACLI::KeepReply(int32_t result) {
    std::lock_guard<std::mutex> guard(m_replyLock);
    m_lastReply =
        result == kResultNoAnswer || result == kResultLost ? std::string() : std::string(m_exchange.reply.text);
}

std::string CZRACLI::LastReply() const {
    std::lock_guard<std::mutex> guard(m_replyLock);
    return m_lastReply;
}

void CZRACLI::Deliver(const QueueItem& request, int32_t result, ResultCause cause) {
    if (request.callback != nullptr) {
        request.callback(request.user, result, static_cast<uint32_t>(cause));
    }
}

// Requests left in the queue are never performed, but their producers wait for
// an answer: each gets "no answer". They are not exchanges, so the owner's
// failure count is left alone.
void CZRACLI::CompleteQueued() {
    for (int slot = 0; slot < CZRAQueue::kSlots; ++slot) {
        QueueItem request = EmptyRequest();
        if (m_owner.RequestQueue().Get(request) != 0) {
            Deliver(request, kResultNoAnswer);
        }
    }
}
