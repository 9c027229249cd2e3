// The modal progress dialog that runs a long sequence on its own worker thread.
#pragma once

#include <functional>

enum class ConnectionMode : int { Recheck = 3, WriteAll = 4, ReadAll = 5 };

class IProgressDialog {
public:
    virtual ~IProgressDialog() = default;
    // Shows the dialog of a mode for as long as sequence runs on a worker
    // thread; returns after it has ended.
    virtual void RunConnectionDialog(ConnectionMode mode, const std::function<void()>& sequence) = 0;
};
