// The dialog that asks for the device password when the device refused it.
#pragma once

class IPasswordDialog {
public:
    virtual ~IPasswordDialog() = default;
    // True when it ended with OK; the dialog stores what was entered in the record.
    virtual bool RunPasswordDialog() = 0;
};
