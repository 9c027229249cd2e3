// The shell's state words. Each is written and read whole from any thread.
#pragma once

#include "shell/pagecode.h"

#include <atomic>
#include <cstdint>

// The pages that reload themselves from the record when the window asks.
enum class RefreshedPage : uint8_t { Main, Settings, Connections };

class CShellState {
public:
    std::atomic<bool> connected{false};
    std::atomic<bool> fileOpen{false};
    std::atomic<bool> portFound{false};
    std::atomic<bool> portChosen{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> deviceDataLoaded{false};
    std::atomic<bool> fileDataShown{false};
    std::atomic<bool> deviceEditsPending{false};
    std::atomic<bool> fileModified{false};
    std::atomic<bool> logPageShown{false};

    std::atomic<int> consecutiveFailures{0};
    std::atomic<int> connectFailures{0};
    std::atomic<PageCode> activePageCode{PageCode::None};
    std::atomic<int32_t> connectedType{0};

    // One refresh flag per page that reloads itself from the record on its timer.
    std::atomic<bool> refreshMain{false};
    std::atomic<bool> refreshSettings{false};
    std::atomic<bool> refreshConnections{false};

    void RequestPageRefresh() {
        refreshMain = true;
        refreshSettings = true;
        refreshConnections = true;
    }

    // Test-and-clear of one page's refresh flag (its timer reloads when true).
    bool TakeRefresh(RefreshedPage page) {
        switch (page) {
        case RefreshedPage::Main: return refreshMain.exchange(false);
        case RefreshedPage::Settings: return refreshSettings.exchange(false);
        case RefreshedPage::Connections: return refreshConnections.exchange(false);
        }
        return false;
    }

    // A page reports an edit: it belongs to the device image or to the open file.
    void NotifyModified() {
        if (deviceDataLoaded)
            deviceEditsPending = true;
        else if (fileOpen)
            fileModified = true;
    }
};
