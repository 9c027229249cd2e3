// "Журнал" without its widgets: which of the device's log sources the type
// offers, which one is on, and what a click or the command line sends.
#pragma once

#include "model/capabilities.h"
#include "shell/exchange.h"
#include "shell/pagecode.h"

#include <array>
#include <string>

class CDataServer;
class IPageHost;

class CLogForm {
public:
    static constexpr PageCode kPageCode = PageCode::Log;
    static constexpr int kSources = 6;
    static constexpr size_t kSendLimit = kRawLineMaxChars;
    static constexpr int kNone = -1;

    struct Source {
        const char* caption;
        int source;  // the value in bits 1 to 6 of the log word
        Capability need;
    };
    static const Source& SourceAt(int index);

    struct View {
        std::array<bool, kSources> enabled{};
        int checked = kNone;  // the box of the source that is on
    };

    CLogForm(CDataServer& data, IPageHost& host) : m_data(data), m_host(host) {}

    // The page became the active tab.
    View Activate();
    // A box was clicked to its new state: the log word changes in the record
    // and is sent at once. Returns the box that is checked afterwards.
    int SourceClicked(int index, bool checked);
    // Sends a raw line (device text, cut to kSendLimit); an empty one sends nothing.
    bool SendLine(const std::string& line);

private:
    CDataServer& m_data;
    IPageHost& m_host;
};
