// The settings registry: one description per setting group (keyword, record
// item, capability gate, parameters, the sequences it belongs to) and per
// field of a group (stable name, caption, kind, width, range, unit, choices).
// Read-all, write-all, the status poll, the settings file, the pages and the
// command-line tool all read it; nothing types these facts a second time.
#pragma once

#include "model/capabilities.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// Where a value lives inside its item.
struct FieldPlace {
    uint16_t offset = 0;
    uint8_t size = 0;  // bytes of the number; of the text array
    bool isSigned = false;
};

// A member of a record: ORVENA_FIELD(TrackFilterRecord, angle).
#define ORVENA_FIELD(Record, member)                                                                                   \
    FieldPlace {                                                                                                       \
        static_cast<uint16_t>(offsetof(Record, member)), static_cast<uint8_t>(sizeof(std::declval<Record&>().member)), \
            std::is_signed_v<std::remove_cvref_t<decltype(std::declval<Record&>().member)>>                            \
    }

// A member of a member: Inside(ORVENA_FIELD(InputRecord, bounds), ORVENA_FIELD(LevelBounds, upper1)).
constexpr FieldPlace Inside(FieldPlace outer, FieldPlace inner) {
    return {static_cast<uint16_t>(outer.offset + inner.offset), inner.size, inner.isSigned};
}

// A whole item that is one value (an SMS number, the SIM use).
constexpr FieldPlace WholeItem(uint8_t size, bool isSigned = false) { return {0, size, isSigned}; }

enum class FieldKind : uint8_t {
    Number,      // an integer of the record
    NumberText,  // digits kept as text (a server port)
    Text,        // device text
    Ip,          // a dotted address kept as four zero-padded groups ("010.000.000.005")
    Flag,        // bits of a flag word
    Choice,      // one of the listed values
    Hex,         // an integer shown in hexadecimal
    Identifier,  // a 48-bit 1-Wire identifier, 12 hexadecimal digits
};

// Traits of a field beyond its value.
namespace FieldTrait {
constexpr uint8_t kLowByte = 0x4;      // the write line carries the value's low byte
constexpr uint8_t kNotReadBack = 0x1;  // the device's reply does not carry it: never compared with the device
constexpr uint8_t kSecret = 0x2;       // a password: never shown in clear
}  // namespace FieldTrait

struct ChoiceDesc {
    int64_t value;
    const char* caption;
};

struct FieldDesc {
    const char* name;     // lower case; "" for the only value of a group
    const char* caption;  // as the pages show it
    FieldKind kind;
    FieldPlace place;
    uint32_t mask = 0;   // Flag: the bits the field stands for
    uint16_t width = 0;  // texts: characters kept; numbers: digits an edit takes
    int64_t min = 0;     // numbers: the range; min == max means the storage's own range
    int64_t max = 0;
    const char* unit = nullptr;
    std::span<const ChoiceDesc> choices = {};
    uint8_t traits = 0;
    int item = 0;  // a field of another item than its group's (0: the group's)
};

// The sequences a group belongs to.
namespace InSequence {
constexpr uint8_t kReadAll = 0x1;
constexpr uint8_t kWriteAll = 0x2;
constexpr uint8_t kFile = 0x4;
}  // namespace InSequence

// How many members a group has: one keyword, a fixed numbered family, or as
// many as the device type has inputs, outputs or thermometers.
enum class Members : uint8_t { One, Fixed, PerInput, PerOutput, PerThermometer };

// A count the device reported earlier in read-all that the members need.
enum class Counted : uint8_t { No, WifiNets, Servers };

// What a sequence does besides the group's exchange.
enum class GroupAction : uint8_t {
    None,
    StampClock,          // write-all: the computer's date and time into the item before it is written
    ResetWhenNoneCount,  // read-all: with a reported count of 0 the members return to their defaults
};

struct GroupDesc {
    const char* keyword;  // the keyword, or the stem of a numbered family
    const char* caption;  // "Сервер" (the member's number follows)
    int item;             // the item; for a family the item of member n is item + n
    Capability need;
    std::span<const FieldDesc> fields;  // what the group's write line carries
    uint8_t in = 0;                     // InSequence bits
    Members members = Members::One;
    int first = 0, last = 0;  // Fixed: the members' numbers
    int walked = 0;           // how many members the sequences walk (0: all)
    const char* readParam = nullptr;
    const char* writeParam = nullptr;
    bool stemRead = false;               // read-all reads the bare stem before the members
    const char* readAsType20 = nullptr;  // the type-20 device is read by this keyword
    Counted counted = Counted::No;
    GroupAction action = GroupAction::None;
    int readWalked = 0;  // read-all reads this many members, as far as the reported count allows (0: walked)

    bool Family() const { return members != Members::One; }
};

// One member of a group: SERVER with number 1 is SERVER1.
struct GroupRef {
    const GroupDesc* group = nullptr;
    int number = 0;  // 0 for a group of one

    int Item() const { return group->item + number; }
    std::string Keyword() const;
    bool operator==(const GroupRef&) const = default;
};

// Every group, in the registry's order (the order of read-all).
std::span<const GroupDesc* const> Groups();
// The position of a group in Groups(), or -1.
int GroupIndex(const GroupDesc* group);

// The members of a group that a device type has, in order: numbers first..last
// of a fixed family, 1..n of a family per input, output or thermometer.
int FirstMember(const GroupDesc& group);
int LastMember(const GroupDesc& group, const DeviceTypeRecord& type);
// The members the sequences walk for a device type.
int LastWalkedMember(const GroupDesc& group, const DeviceTypeRecord& type);
bool GroupPresent(const GroupDesc& group, const DeviceTypeRecord& type);

// The members of the groups in a sequence (InSequence bits) that a device type has,
// in the registry's order: what write-all sends, what a settings file holds.
std::vector<GroupRef> GroupsIn(const DeviceTypeRecord& type, uint8_t in);
// Sorts members into the registry's order and drops repeats.
void InRegistryOrder(std::vector<GroupRef>& groups);

// The group member whose write line carries the value at offset of item
// (the group a changed value of the record belongs to), or nothing.
std::optional<GroupRef> GroupOfValue(int item, size_t offset);

// The first group member whose write line carries values of item.
std::optional<GroupRef> GroupOfItem(int item);

// The group member a keyword names ("SERVER1", "in2"), or nothing.
std::optional<GroupRef> FindGroup(std::string_view keyword);

// The status poll: what one pass reads for a page.
enum class PollRead : uint8_t {
    Config,  // the members with the group's read parameter
    Live,    // the members without a parameter (live values)
    Stem,    // the bare stem: the live values of the whole family
};
struct PollEntry {
    const GroupDesc* group;
    PollRead read;
    Capability need;  // the gate of this read
};
enum class PollSet : uint8_t { None, Position, Info };
std::span<const PollEntry> PollEntries(PollSet set);

// A setting: one field of one group member.
struct SettingRef {
    GroupRef group;
    const FieldDesc* field = nullptr;

    int Item() const { return field->item ? field->item + group.number : group.Item(); }
    // "server1.port", "apn1.name", "mode".
    std::string Name() const;
    // "Сервер 1, Порт".
    std::string Caption() const;
    bool operator==(const SettingRef&) const = default;
};

// The setting a stable name names, or nothing.
std::optional<SettingRef> FindSetting(std::string_view name);

// A number at its place in a record's bytes (sign-extended for signed places), and back.
int64_t ReadValue(const void* record, FieldPlace place);
void WriteValue(void* record, FieldPlace place, int64_t value);

// The range a number field accepts: its own, or its storage's.
std::pair<int64_t, int64_t> FieldRange(const FieldDesc& field);
// What the field accepts, for the user: "Порт: 1–65535", "Имя: не более 20 знаков".
std::string FieldHint(const FieldDesc& field);

// Named groups the pages and the shell refer to.
namespace Group {
extern const GroupDesc kHwcfg, kDev, kPass, kDate, kMode, kLog, kSms, kPhone, kSims, kApn1, kApn2, kWifiNet, kFilter,
    kServer, kIgn, kSos, kIn, kIntrshd, kOut, kRs232, kLls232, kRs485, kLls485, kMsens, kTilt, kTsens, kThermo,
    kPrset10, kPrset11;
}  // namespace Group
