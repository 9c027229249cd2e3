// Settings pages as data: each row binds a control to one field of a record
// item, behind a capability gate. Loading walks the rows; collecting writes
// the rows whose control the user changed since the last load, writes each
// changed item once and appends each changed item's requests once, in the
// order of the page's request table.
#pragma once

#include "model/capabilities.h"
#include "model/registry.h"
#include "pages/core/form.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class CDataServer;
class IPageHost;

// Where a control's value lives inside its item.
struct Field {
    enum class Kind : uint8_t { Number, Text, Flag, Choice, Ip, Identifier };
    Kind kind;
    uint16_t offset;
    uint8_t size;                          // bytes of the number or flag word; of the text array
    bool isSigned = false;                 // numbers
    uint32_t mask = 0;                     // flags: the bits the check box stands for
    size_t chars = 0;                      // texts: characters kept
    std::span<const int64_t> values = {};  // choices: the stored value of each entry (empty: the entry's index)
};

constexpr Field Number(FieldPlace p) { return {Field::Kind::Number, p.offset, p.size, p.isSigned}; }
constexpr Field Text(FieldPlace p, size_t chars) { return {Field::Kind::Text, p.offset, p.size, false, 0, chars}; }
constexpr Field Flag(FieldPlace p, uint32_t mask) { return {Field::Kind::Flag, p.offset, p.size, false, mask}; }
constexpr Field Choice(FieldPlace p, std::span<const int64_t> values = {}) {
    return {Field::Kind::Choice, p.offset, p.size, p.isSigned, 0, 0, values};
}
// A dotted address kept as four zero-padded groups ("010.000.000.005").
constexpr Field Ip(FieldPlace p) { return {Field::Kind::Ip, p.offset, p.size}; }
// A 48-bit sensor identifier chosen from a list whose entries are identifiers
// as 12 hexadecimal digits; the form fills the entries before the load.
constexpr Field Identifier(FieldPlace p) { return {Field::Kind::Identifier, p.offset, p.size}; }
// An item that is itself a text array (an SMS number).
constexpr Field WholeText(uint8_t size) { return {Field::Kind::Text, 0, size, false, 0, size - 1u}; }

// The bytes of one item, aligned for any of its members.
struct ItemBytes {
    alignas(std::max_align_t) unsigned char bytes[256] = {};
    size_t size = 0;

    template <class R> R As() const {
        R record;
        std::memcpy(&record, bytes, sizeof record);
        return record;
    }
    template <class R> void Store(const R& record) { std::memcpy(bytes, &record, sizeof record); }
};

// A row exists when the type has the capability at least atLeast times, or
// has the capability `also` (Always: no alternative).
struct Gate {
    Capability need = Capability::Always;
    int atLeast = 1;
    Capability also = Capability::Always;
};

// Items that may hold nothing yet (a server slot not in use): their text
// controls show "NO INFO", which a collect leaves alone; the first change
// marks the item as holding something.
struct Presence {
    bool (*present)(const ItemBytes&) = nullptr;
    void (*activate)(ItemBytes&) = nullptr;
};

// Picks the item a row shows when it depends on other settings (the access
// point of the SIM in use).
using ItemPick = int (*)(CDataServer& data, const DeviceTypeRecord& type, int item);

struct Row {
    int control;
    int item;
    Field field;
    Gate gate = {};
    Presence presence = {};
    ItemPick pick = nullptr;
    // A second field the same control stands for: it shows nothing of its
    // own and is written whenever the control's first row is.
    bool follower = false;
};

class CRowEngine {
public:
    static constexpr const char* kNoInfo = "NO INFO";

    CRowEngine(CDataServer& data, std::span<const Row> rows);

    // Loads the rows' controls into views; a row past its gate shows "NA".
    void Load(const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type, bool editable);
    // Loads again the rows of one item, after the page has reset it in the model.
    void LoadItem(int item, const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type,
                  bool editable);
    // The rows whose control changed since the load or the last collect,
    // written into the model.
    // The items are written and the groups of the changed values marked; true when any was.
    bool Collect(const std::vector<ControlView>& views, const DeviceTypeRecord& type, IPageHost& host);

    static bool Exists(const Row& row, const DeviceTypeRecord& type);

private:
    struct Loaded {
        int item = -1;       // the item the row loaded from; -1 when it does not exist
        std::string value;   // the canonical value at load
        bool listed = true;  // a choice whose stored value had an entry
    };

    static constexpr int kEveryItem = -1;
    // Loads the rows of one item, or of every item.
    void LoadRows(int only, const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type,
                  bool editable);
    std::string Canonical(const Row& row, const ControlView& view) const;

    CDataServer& m_data;
    std::span<const Row> m_rows;
    std::vector<Loaded> m_loaded;
};

// Field access on an item's bytes, shared by the rows and the pages' own steps.
int64_t ReadNumber(const ItemBytes& item, const Field& field);
void WriteNumber(ItemBytes& item, const Field& field, int64_t value);
std::string ReadText(const ItemBytes& item, const Field& field);
// Leading decimal digits of a text (with a sign for signed fields); empty text is 0.
int64_t LeadingNumber(std::string_view text, bool isSigned);
bool ReadItem(CDataServer& data, int item, ItemBytes& out);
void WriteItem(CDataServer& data, int item, const ItemBytes& bytes);
// A refused number edit shows the model's value again (unchanged when the item cannot be read).
void ShowModelNumber(ControlView& view, CDataServer& data, int item, const Field& field);
// Marks the group whose write line carries the value at offset of item.
void MarkValue(IPageHost& host, int item, size_t offset);
