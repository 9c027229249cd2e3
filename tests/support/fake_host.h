// The page host for tests: records every request and mark as text
// ("PRSET10;SET", "LOG" for no parameter), answers questions by script and keeps the state
// words and refresh flags the test sets.
#pragma once

#include "shell/pagehost.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class FakePageHost : public IPageHost {
public:
    bool connected = true;
    bool fileOpen = false;
    bool answerYes = false;
    int sendResult = 0;
    PageCode activeCode = PageCode::None;
    int modified = 0;
    bool refresh[3] = {false, false, false};
    // Runs on every immediate send, with the request as text.
    std::function<void(RequestType, const std::string&)> onSend;

    bool Connected() const override { return connected; }
    bool FileOpen() const override { return fileOpen; }
    bool EditingPossible() const override { return connected || fileOpen; }
    void NotifyModified() override { ++modified; }
    void MarkChanged(const GroupRef& group) override {
        std::lock_guard lock(m_lock);
        marks.push_back(group);
    }
    int QueueServiceRequest(RequestType, const char* keyword, const char* parameter) override {
        return Record(service, keyword, parameter);
    }
    int SendCommand(RequestType type, const char* keyword, const char* parameter) override {
        Record(sent, keyword, parameter);
        if (onSend)
            onSend(type, Sent().back());
        return sendResult;
    }
    void SetActivePageCode(PageCode code) override { activeCode = code; }
    bool TakeRefresh(RefreshedPage page) override {
        bool& flag = refresh[static_cast<int>(page)];
        const bool was = flag;
        flag = false;
        return was;
    }
    bool AskYesNo(const std::string& text) override {
        Record(questions, text.c_str(), nullptr);
        return answerYes;
    }
    void ShowInfo(const std::string& text) override { Record(infos, text.c_str(), nullptr); }
    void ShowError(const std::string& text) override { Record(errors, text.c_str(), nullptr); }

    // The marked groups as the write road sends them: in the registry's order, each once.
    std::vector<std::string> Pending() {
        std::vector<GroupRef> groups;
        {
            std::lock_guard lock(m_lock);
            groups = marks;
        }
        InRegistryOrder(groups);
        std::vector<std::string> requests;
        for (const GroupRef& group : groups)
            requests.push_back(Text(group.Keyword().c_str(), group.group->writeParam));
        return requests;
    }
    std::vector<std::string> Service() { return Copy(service); }
    std::vector<std::string> Sent() { return Copy(sent); }
    std::vector<std::string> Questions() { return Copy(questions); }
    std::vector<std::string> Infos() { return Copy(infos); }
    std::vector<std::string> Errors() { return Copy(errors); }
    void ClearRequests() {
        std::lock_guard lock(m_lock);
        marks.clear();
        service.clear();
        sent.clear();
    }

private:
    static std::string Text(const char* keyword, const char* parameter) {
        std::string text = keyword ? keyword : "";
        if (parameter && *parameter)
            text += std::string(";") + parameter;
        return text;
    }
    int Record(std::vector<std::string>& list, const char* keyword, const char* parameter) {
        std::string text = Text(keyword, parameter);
        std::lock_guard lock(m_lock);
        list.push_back(text);
        return 1;
    }
    std::vector<std::string> Copy(const std::vector<std::string>& list) {
        std::lock_guard lock(m_lock);
        return list;
    }

    std::mutex m_lock;
    std::vector<GroupRef> marks;
    std::vector<std::string> service, sent, questions, infos, errors;
};
