#include "shell/pageset.h"

void CPageSet::Add(ICollectingPage* page) {
    if (!page)
        return;
    std::lock_guard lock(m_lock);
    m_pages.push_back(page);
}

void CPageSet::SetActive(ICollectingPage* page) {
    std::lock_guard lock(m_lock);
    m_active = page;
}

std::vector<ICollectingPage*> CPageSet::Order() {
    std::lock_guard lock(m_lock);
    std::vector<ICollectingPage*> order;
    for (ICollectingPage* page : m_pages)
        if (page != m_active)
            order.push_back(page);
    for (ICollectingPage* page : m_pages)
        if (page == m_active)
            order.push_back(page);
    return order;
}

// Every page collects, also after one has reported a change.
bool CPageSet::CollectPageChanges() {
    bool changed = false;
    for (ICollectingPage* page : Order())
        changed = page->CollectChanges() || changed;
    return changed;
}
