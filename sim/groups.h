#pragma once
// The device's stored configuration: one entry per writable setting group,
// kept in the group's write layout after validation, with the table that says
// which groups a device type has.

#include "model/modeltable.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// A keyword split into its stem and index; aliases are folded
// ("SIM" -> SIM index 1, "RS232B" -> RS232).
struct KeywordRef {
    std::string stem;
    int index = -1;  // -1: no index in the keyword
    std::string Key() const { return index < 0 ? stem : stem + std::to_string(index); }
};

// Longest known stem followed by digits only. False for unknown keywords.
bool SplitKeyword(const std::string& keyword, KeywordRef& out);

// What the hardware needs for a keyword family to exist.
enum class Need {
    Always,
    Gsm,
    SecondSim,
    Wifi,
    Gnss,
    Inputs,
    Outputs,
    Rs232,
    Rs485,
    AnyRs,
    Accelerometer,
    InternalThermometer,
    OneWire
};

bool Has(const DeviceTypeRecord& caps, Need need);

// Field kinds of a write layout (empty: not writable): d decimal, o decimal or empty, x hexadecimal,
// t text, p pair "bit,value", c six digits (DDMMYY / HHMMSS), z signed zone,
// h 32 hexadecimal digits.
struct GroupDef {
    std::string_view stem;
    Need need;
    int minIndex, maxIndex;  // -1, -1: no index
    std::string_view kinds;
    bool needsSet;              // the write must carry the subcommand SET
    std::string_view defaults;  // write layout; "#" stands for the index
};

// The table entry for a keyword (APN, LLS, PRSET, SIM and COUNTER have two).
const GroupDef* FindEntry(std::string_view stem, int index);

// The entry when this device type has the keyword (capabilities, family
// counts), else null.
const GroupDef* FindExisting(const DeviceTypeRecord& caps, const KeywordRef& ref);

// True when the fields match the kinds of the group (count and syntax).
bool FieldsValid(const GroupDef& group, const std::vector<std::string>& fields);

class CSettingsStore {
public:
    void ResetAll();
    void ResetGroup(const KeywordRef& ref);
    void Store(const std::string& key, std::vector<std::string> fields);
    // Fields of a stored group; the defaults when never written.
    std::vector<std::string> Fields(const KeywordRef& ref) const;
    bool Known(const std::string& key) const;

private:
    std::map<std::string, std::vector<std::string>> m_groups;
};

std::vector<std::string> DefaultFields(const GroupDef& group, int index);
