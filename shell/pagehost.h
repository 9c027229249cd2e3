// The window's services to its pages. One implementation over the session and
// the shell state serves the window and the tests alike; the pages never see
// the session itself.
#pragma once

#include "model/registry.h"
#include "protocol/request.h"
#include "shell/pagecode.h"
#include "shell/shellstate.h"

#include <functional>
#include <string>

class CSampleStore;
class CSession;
class IMessages;
class IStateNotice;

class IPageHost {
public:
    virtual ~IPageHost() = default;

    virtual bool Connected() const = 0;
    virtual bool FileOpen() const = 0;
    // A connected device or an open file is shown: the pages may be edited.
    virtual bool EditingPossible() const = 0;

    // The user changed a value: the edit belongs to the device or to the file.
    virtual void NotifyModified() = 0;
    // A page changed a group in the record: "Записать" writes it (once, however
    // often it is marked); a file save forgets the marks.
    virtual void MarkChanged(const GroupRef& group) = 0;
    // Appends a request the status thread sends before its next poll.
    virtual int QueueServiceRequest(RequestType type, const char* keyword, const char* parameter) = 0;
    // Sends at once and returns the result code.
    virtual int SendCommand(RequestType type, const char* keyword, const char* parameter) = 0;

    virtual void SetActivePageCode(PageCode code) = 0;
    // Test-and-clear of the page's refresh flag.
    virtual bool TakeRefresh(RefreshedPage page) = 0;

    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;

    // The live values the session keeps over time; none without a session.
    virtual CSampleStore* LiveSamples() { return nullptr; }
};

// Runs a call that may block on the device; the window keeps painting meanwhile.
using BlockingRunner = std::function<void(const std::function<void()>& call)>;

class CPageHost : public IPageHost {
public:
    CPageHost(CSession& session, CShellState& state, IMessages& messages, IStateNotice& notice);

    // Without a runner, blocking calls run on the caller's thread.
    void SetBlockingRunner(BlockingRunner runner) { m_runBlocking = std::move(runner); }

    bool Connected() const override { return m_state.connected; }
    bool FileOpen() const override { return m_state.fileOpen; }
    bool EditingPossible() const override { return m_state.connected || m_state.fileOpen; }
    void NotifyModified() override;
    void MarkChanged(const GroupRef& group) override;
    int QueueServiceRequest(RequestType type, const char* keyword, const char* parameter) override;
    int SendCommand(RequestType type, const char* keyword, const char* parameter) override;
    // The status poll starts its next pass at once for a page that reads other groups.
    void SetActivePageCode(PageCode code) override;
    bool TakeRefresh(RefreshedPage page) override { return m_state.TakeRefresh(page); }
    bool AskYesNo(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    void ShowError(const std::string& text) override;
    CSampleStore* LiveSamples() override;

private:
    CSession& m_session;
    CShellState& m_state;
    IMessages& m_messages;
    IStateNotice& m_notice;
    BlockingRunner m_runBlocking;
};
