// The pages' refusal rules and text forms, each one pure function.
#pragma once

#include <array>
#include <string>
#include <string_view>

// A number typed into a digits-only edit lies in [lo, hi] (empty text is 0).
bool NumberWithin(std::string_view text, long long lo, long long hi);

// An SMS number: "NO INFO", or digits with a "+" allowed only in front.
bool SmsNumberAccepted(std::string_view text);

// The four octets of a dotted address; missing or empty groups are 0.
std::array<int, 4> IpOctets(std::string_view text);
// As the record keeps it: four zero-padded groups, "010.000.000.005".
std::string PaddedIp(std::string_view text);
// As the address control shows it: "10.0.0.5".
std::string DottedIp(std::string_view text);
