#include "cli/headlessui.h"

bool CHeadlessUi::AskYesNo(const std::string& text) {
    Line("question answered no: ", text);
    return false;
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
