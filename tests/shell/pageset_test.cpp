#include "shell/pageset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingPage : public ICollectingPage {
public:
    RecordingPage(std::string name, bool changed, std::vector<std::string>& order)
        : m_name(std::move(name)), m_changed(changed), m_order(order) {}
    bool CollectChanges() override {
        m_order.push_back(m_name);
        return m_changed;
    }

private:
    std::string m_name;
    bool m_changed;
    std::vector<std::string>& m_order;
};

struct OrderCase {
    const char* name;
    int active;  // index of the active page, -1 for none
    std::vector<bool> changed;
    std::vector<std::string> order;
    bool result;
};

TEST(PageSet, CollectsTheOtherPagesFirstThenTheActiveOneAndOrsTheResults) {
    const OrderCase cases[] = {
        {"no active page", -1, {false, false, false}, {"main", "settings", "connections"}, false},
        {"settings active", 1, {false, true, false}, {"main", "connections", "settings"}, true},
        {"main active, only the last changed", 0, {false, false, true}, {"settings", "connections", "main"}, true},
        {"connections active, all changed", 2, {true, true, true}, {"main", "settings", "connections"}, true},
    };
    for (const OrderCase& c : cases) {
        std::vector<std::string> order;
        RecordingPage main("main", c.changed[0], order);
        RecordingPage settings("settings", c.changed[1], order);
        RecordingPage connections("connections", c.changed[2], order);
        ICollectingPage* pages[] = {&main, &settings, &connections};
        CPageSet set;
        for (ICollectingPage* page : pages)
            set.Add(page);
        set.SetActive(c.active >= 0 ? pages[c.active] : nullptr);
        EXPECT_EQ(set.CollectPageChanges(), c.result) << c.name;
        EXPECT_EQ(order, c.order) << c.name;
    }
}

}  // namespace
