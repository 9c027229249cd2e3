// Receives every line the channel sends and receives.
#pragma once

class ILogFeed {
public:
    virtual ~ILogFeed() = default;
    // direction 1 sent, 0 received; returns the bytes taken.
    virtual int FeedLog(const char* line, int direction) = 0;
};
