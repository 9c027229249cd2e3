// The pages that hold edits, and the order in which they hand them over:
// every page that is not the active tab first, then the active one, so the
// active page's write requests are appended last.
#pragma once

#include <mutex>
#include <vector>

// A page as the page set sees it.
class ICollectingPage {
public:
    virtual ~ICollectingPage() = default;
    // Copies the page's edits into the record and appends one write request
    // per changed group; true when anything changed.
    virtual bool CollectChanges() = 0;
};

class CPageSet {
public:
    // Pages collect in the order they were added (main, settings, connections).
    void Add(ICollectingPage* page);
    // The page that is the active tab now, or null.
    void SetActive(ICollectingPage* page);
    // The OR of every page's result. Used by the device write and the file save alike.
    bool CollectPageChanges();

private:
    std::vector<ICollectingPage*> Order();

    std::mutex m_lock;  // the window changes the active page while a command collects
    std::vector<ICollectingPage*> m_pages;
    ICollectingPage* m_active = nullptr;
};
