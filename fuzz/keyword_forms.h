// Every keyword the codec dispatches, in the forms the configurator sends
// (indexed families with their first and last index), and the subcommands.
#pragma once

#include <cstddef>

inline constexpr const char* kKeywordForms[] = {
    "VER", "BOOTVER", "HWCFG", "DEV", "MODE", "PASS", "LOG", "DATE", "REP", "EKEY",
    "MSENS", "TILT", "TSENS", "GNSS", "GSM", "PHONE1", "PHONE3", "SMS1", "SMS3", "RING",
    "AUDIO", "SIMS", "SIM", "SIM1", "SIM2", "APN", "APN1", "APN2", "WIFI", "WIFINET1",
    "WIFINET10", "INTRSHD1", "INTRSHD8", "IN", "IN1", "IN8", "COUNTER1", "COUNTER8", "IGN", "SOS",
    "OUT", "OUT1", "OUT4", "RS232", "RS232B", "RS485", "RS485A", "LLS", "LLS0", "LLS4",
    "THERMOID", "THERMO1", "THERMO4", "FILTER", "SERVER1", "SERVER2", "STATIST", "PRSET1", "PRSET5",
    "RESET", "DEFAULT", "ERASURE", "FACTORY",
    // Indices the record does not hold.
    "PHONE9", "IN0", "IN99", "OUT7", "LLS9", "THERMO0", "SERVER3", "WIFINET11", "PRSET0", "INTRSHD9",
};
inline constexpr size_t kKeywordFormCount = sizeof kKeywordForms / sizeof kKeywordForms[0];

inline constexpr const char* kSubcommands[] = {"GET", "SET", "DEL", "RESET", "RESETALL", "CALALL", ""};
inline constexpr size_t kSubcommandCount = sizeof kSubcommands / sizeof kSubcommands[0];
