// The shell's state words. Each is written and read whole from any thread.
#pragma once

#include <atomic>
#include <cstdint>

// Active page codes the pages report; the status poll reads by them.
enum PageCode : int32_t { kPageNone = 0, kPageMain = 1, kPageInfo = 2, kPageSettings = 3, kPageLog = 7 };

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
    std::atomic<int32_t> activePageCode{kPageNone};
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

    // A page reports an edit: it belongs to the device image or to the open file.
    void NotifyModified() {
        if (deviceDataLoaded)
            deviceEditsPending = true;
        else if (fileOpen)
            fileModified = true;
    }
};
