#include "cli/headlessui.h"

bool CHeadlessUi::AskYesNo(const std::string& text) {
    Line("question answered no: ", text);
    return false;
}

void CHeadlessUi::PostConnectCommand() {
    std::function<void()> command;
    {
        std::lock_guard lock(m_commandLock);
        command = m_connectCommand;
    }
    if (command)
        command();
}

void CHeadlessUi::SetConnectCommand(std::function<void()> command) {
    std::lock_guard lock(m_commandLock);
    m_connectCommand = std::move(command);
}

bool CHeadlessUi::RunPasswordDialog() {
    m_passwordRefused = true;
    return false;
}

void CHeadlessUi::Line(const std::string& prefix, const std::string& text) {
    std::string joined;
    for (char c : text) {
        if (c == '\r')
            continue;
        joined += c == '\n' ? ' ' : c;
    }
    std::lock_guard lock(m_lock);
    m_err << "orvena-cli: " << prefix << joined << '\n' << std::flush;
}
