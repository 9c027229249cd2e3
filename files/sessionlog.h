// The per-connection log the shell opens after identification and closes on
// disconnect. The files side implements it; without one, nothing is logged.
#pragma once

class ISessionLog {
public:
    virtual ~ISessionLog() = default;
    virtual void OpenSessionLog(const char* modelName, const char* imei) = 0;
    virtual void CloseSessionLog() = 0;
};
