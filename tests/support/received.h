// What a simulated device received, as "KEYWORD" or "KEYWORD;PARAMETER..."
// per line: without the "$" lead-in and the password in front.
#pragma once

#include "sim/devsim.h"

#include <string>
#include <vector>

inline std::vector<std::string> ReceivedRequests(const CDevSim& sim, const std::string& password = "7391") {
    std::vector<std::string> requests;
    for (std::string line : sim.ReceivedLines()) {
        if (!line.empty() && line[0] == '$')
            line.erase(0, 1);
        if (line.rfind(password + ";", 0) == 0)
            line.erase(0, password.size() + 1);
        requests.push_back(line);
    }
    return requests;
}
