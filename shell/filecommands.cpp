#include "shell/filecommands.h"

#include "files/zrafile.h"
#include "model/dataserver.h"
#include "shell/pageset.h"
#include "shell/session.h"
#include "shell/shellstate.h"

CFileCommands::CFileCommands(CShellState& state, CDataServer& data, CZRAFile& file, CPageSet& pages, CSession& session)
    : m_state(state), m_data(data), m_file(file), m_pages(pages), m_session(session) {}

void CFileCommands::OnOpenOrClose() {
    if (m_state.fileOpen)
        Close();
    else
        Open();
}

void CFileCommands::Open() {
    if (!m_file.OpenFile())
        return;
    m_state.fileOpen = true;
    m_state.fileModified = false;
    if (m_state.connected)
        m_state.deviceEditsPending = true;
    ShowFile();
}

void CFileCommands::Close() {
    m_file.CloseFile();
    m_state.fileOpen = false;
    m_state.fileModified = false;
    if (!m_state.connected) {
        m_data.ResetToDefaults(0);
        m_state.RequestPageRefresh();
    }
    m_state.fileDataShown = false;
    RememberPath();
}

void CFileCommands::OnSave() {
    if (!m_state.fileOpen)
        return;
    const bool wasBusy = m_state.busy.exchange(true);
    if (m_state.fileModified) {
        m_pages.CollectPageChanges();
        // A failed save keeps the file marked modified, so the user can try again.
        if (m_file.SaveFile())
            m_state.fileModified = false;
        m_session.DiscardPendingWrites();
    }
    m_state.busy = wasBusy;
    m_state.RequestPageRefresh();
}

void CFileCommands::OnCreate() {
    if (m_state.fileOpen || !m_file.NewFile())
        return;
    m_state.fileOpen = true;
    m_state.deviceEditsPending = false;
    m_state.fileModified = false;
    ShowFile();
}

void CFileCommands::CloseOnShutdown() {
    if (m_state.fileOpen)
        Close();
}

void CFileCommands::ShowFile() {
    m_state.RequestPageRefresh();
    m_state.deviceDataLoaded = false;
    m_state.fileDataShown = true;
    RememberPath();
}

void CFileCommands::RememberPath() {
    std::string path;
    m_file.GetFilePath(path);
    std::lock_guard lock(m_pathLock);
    m_path = path;
}

std::string CFileCommands::FilePath() const {
    std::lock_guard lock(m_pathLock);
    return m_path;
}
