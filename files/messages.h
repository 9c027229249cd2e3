// Message boxes with the application's name as caption. May be called from
// any thread; each call returns once the user has closed the box.
#pragma once

#include <string>

class IMessages {
public:
    virtual ~IMessages() = default;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    // True only when the user answered yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};
