// Tells the window that a state word changed, so it reruns its control rules,
// title, banner and tab row.
#pragma once

class IStateNotice {
public:
    virtual ~IStateNotice() = default;
    // May be called from any thread; does not wait for the window.
    virtual void StateChanged() = 0;
};
