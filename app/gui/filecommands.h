// The commands of the side panel's file group: open, close, save and create a
// settings file, with the state words each of them changes.
#pragma once

#include <functional>
#include <mutex>
#include <string>

class CDataServer;
class CShellState;
class CZRAFile;

class CFileCommands {
public:
    // collect runs the pages' CollectChanges and reports whether any changed;
    // discardWrites empties the pending-write queue a save filled.
    CFileCommands(CShellState& state, CDataServer& data, CZRAFile& file, std::function<bool()> collect,
                  std::function<void()> discardWrites);

    void OnOpenOrClose();
    void OnSave();
    void OnCreate();
    // Closes an open file without saving (the window is going).
    void CloseOnShutdown();

    // The open file's path, or empty; safe to call from any thread.
    std::string FilePath() const;

private:
    void Open();
    void Close();
    void ShowFile();
    void RememberPath();

    CShellState& m_state;
    CDataServer& m_data;
    CZRAFile& m_file;
    std::function<bool()> m_collect;
    std::function<void()> m_discardWrites;
    mutable std::mutex m_pathLock;
    std::string m_path;
};
