#include "shell/exchange.h"

#include "base/boundedlock.h"
#include "files/messages.h"
#include "shell/connectposter.h"
#include "shell/shellstate.h"
#include "transport/zracli.h"

namespace {

const char kTimeout[] = "Время ожидания истекло.\r\nОтвет не получен!";
const char kBrokenPassword[] = "Соединение разорвано.\r\n Неверный пароль!";
const char kWrongPassword[] = "Соединение не установлено.\r\nНеверный пароль!";
const char kWrongRequest[] = "Соединение не установлено.\r\nНеверный запрос!";
const char kBadAnswer[] = "Соединение не установлено.\r\nПринят неверный ответ!";
const char kRefusedHead[] = "Неверный запрос: ";
const char kNotSaved[] = "\r\nДанные не сохранены!!!";
const char kCheck[] = "\r\nПроверить команду, формат или параметры!";
const char kChecksumHead[] = "Неверная контрольная сумма ответа: ";
const char kChecksumNotConnected[] = "Соединение не установлено.\r\nНеверная контрольная сумма ответа!";

std::string GroupText(const char* keyword, const char* parameter) {
    return std::string(keyword ? keyword : "") + ';' + (parameter ? parameter : "");
}

std::string RefusedText(RequestType type, const char* keyword, const char* parameter) {
    std::string text = kRefusedHead + GroupText(keyword, parameter);
    if (type == RequestType::Write)
        text += kNotSaved;
    text += kCheck;
    return text;
}

}  // namespace

ResultReaction JudgeResult(int result, RequestType type, const char* keyword, const char* parameter, bool connected,
                           int consecutiveFailures, ResultCause cause) {
    using RR = ResultReaction;
    const bool repeated = consecutiveFailures > 1;
    if (ExchangeSucceeded(result))
        return {};
    switch (result) {
    case kResultNoAnswer:
        if (connected)
            return repeated ? RR{RR::kErrorBox, RR::kPostConnect, kTimeout} : RR{};
        return {RR::kErrorBox, RR::kNothing, kWrongRequest};
    case kResultWrongPassword:
        if (connected)
            return repeated ? RR{RR::kErrorBox, RR::kPostConnect, kBrokenPassword} : RR{};
        return {RR::kErrorBox, RR::kNothing, kWrongPassword};
    case kResultLost:
        if (connected)
            return {RR::kNoBox, RR::kPortRecheck, {}};
        return {RR::kErrorBox, RR::kNothing, kWrongRequest};
    default: break;
    }
    if (result >= kResultInvalid && result <= kResultOther) {
        if (type == RequestType::Raw)
            return {};
        // The device answered, but what arrived was not what it sent: not a refusal.
        if (cause == ResultCause::BadChecksum)
            return {RR::kErrorBox, RR::kNothing,
                    connected ? kChecksumHead + GroupText(keyword, parameter) : kChecksumNotConnected};
        return {RR::kInfoBox, RR::kNothing, RefusedText(type, keyword, parameter)};
    }
    return {RR::kErrorBox, RR::kNothing, kBadAnswer};
}

CExchange::CExchange(CZRAQueue& requests, CShellState& state, IMessages& messages, IConnectPoster& poster)
    : m_requests(requests), m_state(state), m_messages(messages), m_poster(poster) {}

int CExchange::SendCommand(RequestType type, const char* keyword, const char* parameter) {
    return SendCommandOutcome(type, keyword, parameter).result;
}

ExchangeOutcome CExchange::SendCommandOutcome(RequestType type, const char* keyword, const char* parameter) {
    const std::optional<ExchangeOutcome> outcome = Exchange(type, keyword, parameter, true);
    if (!outcome)
        return {};
    React(*outcome, type, keyword, parameter);
    return *outcome;
}

int CExchange::ExecuteCommand(RequestType type, const char* keyword, const char* parameter) {
    return ExecuteCommandOutcome(type, keyword, parameter).result;
}

ExchangeOutcome CExchange::ExecuteCommandOutcome(RequestType type, const char* keyword, const char* parameter) {
    if (!keyword)
        return {};
    const ExchangeOutcome outcome = Exchange(type, keyword, parameter, false).value_or(ExchangeOutcome{});
    React(outcome, type, keyword, parameter);
    return outcome;
}

// Nothing when no exchange was tried (no keyword, send lock not obtained, or
// not connected where that is needed).
// The send lock is held only for the exchange itself: the reaction (a box, a
// recheck that waits for the port) runs after it is released, so it never
// starves the exchanges of another thread, such as a reconnect's read-all.
std::optional<ExchangeOutcome> CExchange::Exchange(RequestType type, const char* keyword, const char* parameter,
                                                   bool needConnected) {
    if (!keyword)
        return std::nullopt;
    const auto sendLock = LockWithin(m_sendLock, std::chrono::milliseconds(kSendLockMs));
    if (!sendLock.owns_lock() || (needConnected && !m_state.connected))
        return std::nullopt;
    return PutAndWait(type, keyword, parameter);
}

ExchangeOutcome CExchange::PutAndWait(RequestType type, const char* keyword, const char* parameter) {
    uint32_t epoch;
    {
        std::lock_guard lock(m_lock);
        if (!m_workerRunning)
            return {};
        m_done = false;
        m_result = kResultNoAnswer;
        m_cause = ResultCause::None;
        epoch = m_workerEpoch;
    }
    if (!m_requests.Put(type, keyword, parameter, this, &CExchange::Completed))
        return {};
    if (m_wakeWorker)
        m_wakeWorker();
    ExchangeOutcome outcome;
    {
        std::unique_lock lock(m_lock);
        const bool ended = m_completed.wait_for(lock, kSafetyBound, [&] { return m_done || m_workerEpoch != epoch; });
        if (!m_done) {
            if (!ended && m_workerEpoch == epoch)
                ++m_abandoned;
            return {};
        }
        outcome.result = m_result;
        outcome.cause = m_cause;
    }
    // Still under the send lock: no other request has been performed since.
    if (m_replySource)
        outcome.reply = m_replySource();
    return outcome;
}

void CExchange::React(const ExchangeOutcome& outcome, RequestType type, const char* keyword, const char* parameter) {
    const ResultReaction reaction = JudgeResult(outcome.result, type, keyword, parameter, m_state.connected,
                                                m_state.consecutiveFailures, outcome.cause);
    if (reaction.box == ResultReaction::kErrorBox)
        m_messages.ShowError(reaction.text);
    else if (reaction.box == ResultReaction::kInfoBox)
        m_messages.ShowInfo(reaction.text);
    if (reaction.follow == ResultReaction::kPostConnect)
        m_poster.PostConnectCommand();
    else if (reaction.follow == ResultReaction::kPortRecheck && m_portLost)
        m_portLost();
}

void CExchange::Completed(void* user, int32_t result, uint32_t cause) {
    if (user)
        static_cast<CExchange*>(user)->OnCompleted(result, static_cast<ResultCause>(cause));
}

void CExchange::OnCompleted(int32_t result, ResultCause cause) {
    std::lock_guard lock(m_lock);
    // Completions come in queue order, so an abandoned request's comes first.
    if (m_abandoned > 0) {
        --m_abandoned;
        return;
    }
    m_result = result;
    m_cause = cause;
    m_done = true;
    m_completed.notify_all();
}

void CExchange::WorkerStarted() {
    std::lock_guard lock(m_lock);
    m_workerRunning = true;
}

// Called once the worker has stopped: it has completed every request it took
// or found queued, so nothing abandoned is outstanding any more.
void CExchange::WorkerStopped() {
    std::lock_guard lock(m_lock);
    m_workerRunning = false;
    ++m_workerEpoch;
    m_abandoned = 0;
    m_completed.notify_all();
}
