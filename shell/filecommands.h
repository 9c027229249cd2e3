// The commands of the side panel's file group: open, close, save and create a
// settings file, with the state words each of them changes.
#pragma once

#include <mutex>
#include <string>

class CDataServer;
class CPageSet;
class CSession;
class CShellState;
class CZRAFile;

class CFileCommands {
public:
    // A save collects the pages' edits and drops the write requests they
    // appended to the session's pending-write queue.
    CFileCommands(CShellState& state, CDataServer& data, CZRAFile& file, CPageSet& pages, CSession& session);

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
    CPageSet& m_pages;
    CSession& m_session;
    mutable std::mutex m_pathLock;
    std::string m_path;
};
