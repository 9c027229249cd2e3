#include "shell/pagehost.h"

#include "files/messages.h"
#include "shell/sequences.h"
#include "shell/session.h"
#include "shell/statenotice.h"
#include "transport/zracli.h"

CPageHost::CPageHost(CSession& session, CShellState& state, IMessages& messages, IStateNotice& notice)
    : m_session(session), m_state(state), m_messages(messages), m_notice(notice) {}

void CPageHost::NotifyModified() {
    m_state.NotifyModified();
    m_notice.StateChanged();
}

// A page that wants other groups than the one before it gets them with a pass
// at once; between pages that read the same, the poll keeps its pace.
void CPageHost::SetActivePageCode(PageCode code) {
    const PollSet before = PollSetOf(m_state.activePageCode.exchange(code));
    const PollSet now = PollSetOf(code);
    if (now != PollSet::None && now != before)
        m_session.StatusPoll().Wake();
}

void CPageHost::MarkChanged(const GroupRef& group) { m_session.MarkChanged(group); }

int CPageHost::QueueServiceRequest(RequestType type, const char* keyword, const char* parameter) {
    return m_session.QueueServiceRequest(type, keyword, parameter);
}

int CPageHost::SendCommand(RequestType type, const char* keyword, const char* parameter) {
    int result = kResultNoAnswer;
    const auto send = [&] { result = m_session.SendCommand(type, keyword, parameter); };
    if (m_runBlocking)
        m_runBlocking(send);
    else
        send();
    return result;
}

bool CPageHost::AskYesNo(const std::string& text) { return m_messages.AskYesNo(text); }

void CPageHost::ShowInfo(const std::string& text) { m_messages.ShowInfo(text); }

void CPageHost::ShowError(const std::string& text) { m_messages.ShowError(text); }

CSampleStore* CPageHost::LiveSamples() { return &m_session.StatusPoll().Samples(); }
