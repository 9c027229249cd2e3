// A scratch working directory, a scripted user interface and byte-exact file
// helpers for the settings-file and log tests.
#pragma once

#include "files/filechooser.h"
#include "files/loglinesink.h"
#include "files/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

// Records what the core shows; answers file dialogs from a script.
class ScriptedUi : public IMessages, public IFileChooser, public ILogLineSink {
public:
    void ShowError(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        errors.push_back(text);
    }
    void ShowInfo(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        infos.push_back(text);
    }
    bool AskYesNo(const std::string&) override { return true; }
    std::optional<std::string> ChooseFile(bool forSaving, const std::string& folder,
                                          const std::string& proposedName) override {
        dialogs.push_back({forSaving, folder, proposedName});
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void AppendLogLine(const std::string& line) override {
        std::lock_guard<std::mutex> lock(m_lock);
        logLines.push_back(line);
    }

    std::vector<std::string> Errors() {
        std::lock_guard<std::mutex> lock(m_lock);
        return errors;
    }
    void ClearErrors() {
        std::lock_guard<std::mutex> lock(m_lock);
        errors.clear();
    }
    std::vector<std::string> LogLines() {
        std::lock_guard<std::mutex> lock(m_lock);
        return logLines;
    }

    struct Dialog {
        bool forSaving;
        std::string folder;
        std::string proposedName;
    };
    std::deque<std::optional<std::string>> answers;
    std::vector<Dialog> dialogs;

private:
    std::mutex m_lock;
    std::vector<std::string> errors, infos, logLines;
};

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvena-files-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        path = mkdtemp(name.data());
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// 5 March 2019, 14:07:09, and later moments of the same day.
inline std::tm FixedTime(int hour = 14, int minute = 7, int second = 9) {
    std::tm t{};
    t.tm_mday = 5;
    t.tm_mon = 2;
    t.tm_year = 119;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}
