// Posts the connect button's command to the window: it runs later on the
// user-interface thread (a disconnect when connected, else a connect).
#pragma once

class IConnectPoster {
public:
    virtual ~IConnectPoster() = default;
    virtual void PostConnectCommand() = 0;
};
