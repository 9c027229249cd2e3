// A user interface for the tests: records every box and question, answers by
// script, and queues posted connect commands for the test thread to run, as
// the window's message loop would (also while a dialog runs on that thread).
#pragma once

#include "files/filechooser.h"
#include "files/loglinesink.h"
#include "files/messages.h"
#include "shell/connectposter.h"
#include "shell/passworddialog.h"
#include "shell/progressdialog.h"
#include "shell/session.h"
#include "shell/shell.h"
#include "shell/statenotice.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeUi : public IMessages,
               public IConnectPoster,
               public IProgressDialog,
               public IPasswordDialog,
               public IStateNotice,
               public IFileChooser,
               public ILogLineSink {
public:
    SessionUi SessionRoles() { return {*this, *this, *this, *this, *this}; }
    ShellUi Roles() { return {SessionRoles(), *this, *this}; }

    std::function<void()> onConnectCommand;  // what a posted command runs
    std::function<bool()> passwordDialog = [] { return false; };
    bool answerYes = false;
    std::deque<std::string> chosenFiles;

    void ShowError(const std::string& text) override { Record(errors, text); }
    void ShowInfo(const std::string& text) override { Record(infos, text); }
    bool AskYesNo(const std::string& text) override {
        Record(questions, text);
        return answerYes;
    }
    void PostConnectCommand() override {
        std::lock_guard lock(m_lock);
        ++m_posted;
    }
    void RunConnectionDialog(ConnectionMode mode, const std::function<void()>& sequence) override {
        Record(dialogs, std::to_string(static_cast<int>(mode)));
        std::atomic<bool> ended{false};
        std::thread worker([&] {
            sequence();
            ended = true;
        });
        // The dialog's modal loop on the user-interface thread still handles posted commands.
        while (!ended) {
            if (std::this_thread::get_id() == m_uiThread)
                RunPosted();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        worker.join();
    }
    bool RunPasswordDialog() override {
        ++passwordDialogs;
        return passwordDialog();
    }
    // Answers file dialogs from chosenFiles, in order; nothing once they are used up.
    std::optional<std::string> ChooseFile(bool, const std::string&, const std::string&) override {
        std::lock_guard lock(m_lock);
        if (chosenFiles.empty())
            return std::nullopt;
        std::string path = chosenFiles.front();
        chosenFiles.pop_front();
        return path;
    }
    void StateChanged() override { ++stateChanges; }
    void AppendLogLine(const std::string&) override {}

    // Runs the posted commands on the calling (user-interface) thread; returns how many ran.
    int RunPosted() {
        int ran = 0;
        while (TakePosted()) {
            ++ran;
            if (onConnectCommand)
                onConnectCommand();
        }
        return ran;
    }
    // Runs posted commands until done() holds or the time is up.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < deadline) {
            RunPosted();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

    std::vector<std::string> Errors() { return Copy(errors); }
    std::vector<std::string> Infos() { return Copy(infos); }
    std::vector<std::string> Questions() { return Copy(questions); }
    std::vector<std::string> Dialogs() { return Copy(dialogs); }
    int Posted() {
        std::lock_guard lock(m_lock);
        return m_posted;
    }

    std::atomic<int> passwordDialogs{0};
    std::atomic<int> stateChanges{0};

private:
    void Record(std::vector<std::string>& list, const std::string& text) {
        std::lock_guard lock(m_lock);
        list.push_back(text);
    }
    std::vector<std::string> Copy(const std::vector<std::string>& list) {
        std::lock_guard lock(m_lock);
        return list;
    }
    bool TakePosted() {
        std::lock_guard lock(m_lock);
        if (m_posted == 0)
            return false;
        --m_posted;
        return true;
    }

    std::mutex m_lock;
    int m_posted = 0;
    std::vector<std::string> errors, infos, questions, dialogs;
    const std::thread::id m_uiThread = std::this_thread::get_id();
};
