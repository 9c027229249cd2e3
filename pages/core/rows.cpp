#include "pages/core/rows.h"

#include "base/devicetext.h"
#include "model/dataserver.h"
#include "pages/core/rules.h"
#include "protocol/hex.h"
#include "shell/pagehost.h"

#include <algorithm>

namespace {

uint64_t Mask(uint8_t size) { return size >= 8 ? ~uint64_t{0} : (uint64_t{1} << (size * 8)) - 1; }

int ChoiceIndex(const Field& field, int64_t value) {
    if (field.values.empty())
        return static_cast<int>(value);
    const auto at = std::find(field.values.begin(), field.values.end(), value);
    return at == field.values.end() ? -1 : static_cast<int>(at - field.values.begin());
}

int64_t ChoiceValue(const Field& field, int index) {
    return field.values.empty() ? index : field.values[static_cast<size_t>(index)];
}

// The item buffers of one collect, each read once and written once.
class ItemCache {
public:
    explicit ItemCache(CDataServer& data) : m_data(data) {}

    ItemBytes* Find(int item) {
        for (Entry& e : m_entries)
            if (e.item == item)
                return &e.bytes;
        m_entries.push_back({item, {}, false});
        if (!ReadItem(m_data, item, m_entries.back().bytes)) {
            m_entries.pop_back();
            return nullptr;
        }
        return &m_entries.back().bytes;
    }
    void MarkChanged(int item) {
        for (Entry& e : m_entries)
            if (e.item == item)
                e.changed = true;
    }
    void WriteChanged() const {
        for (const Entry& e : m_entries)
            if (e.changed)
                WriteItem(m_data, e.item, e.bytes);
    }

private:
    struct Entry {
        int item;
        ItemBytes bytes;
        bool changed;
    };
    CDataServer& m_data;
    std::vector<Entry> m_entries;
};

bool Present(const Row& row, const ItemBytes& item) { return !row.presence.present || row.presence.present(item); }

std::string HexText(uint64_t id) {
    char hex[13];
    U64ToHex(id, hex);
    return hex;
}

int EntryIndex(const std::vector<std::string>& entries, const std::string& entry) {
    const auto at = std::find(entries.begin(), entries.end(), entry);
    return at == entries.end() ? -1 : static_cast<int>(at - entries.begin());
}

// The identifier of a list's selected entry; 0 without a selection.
uint64_t SelectedIdentifier(const ControlView& view) {
    const bool selected = view.selection >= 0 && view.selection < static_cast<int>(view.choices.size());
    return selected ? HexToU64(view.choices[static_cast<size_t>(view.selection)].c_str()) : 0;
}

}  // namespace

int64_t ReadNumber(const ItemBytes& item, const Field& field) {
    uint64_t raw = 0;
    std::memcpy(&raw, item.bytes + field.offset, std::min<size_t>(field.size, sizeof raw));
    raw &= Mask(field.size);
    if (field.isSigned && field.size < 8 && (raw >> (field.size * 8 - 1)) & 1)
        raw |= ~Mask(field.size);
    return static_cast<int64_t>(raw);
}

void WriteNumber(ItemBytes& item, const Field& field, int64_t value) {
    const uint64_t raw = static_cast<uint64_t>(value) & Mask(field.size);
    std::memcpy(item.bytes + field.offset, &raw, std::min<size_t>(field.size, sizeof raw));
}

std::string ReadText(const ItemBytes& item, const Field& field) {
    const char* text = reinterpret_cast<const char*>(item.bytes + field.offset);
    return std::string(text, strnlen(text, std::min<size_t>(field.size, field.chars ? field.chars : field.size)));
}

int64_t LeadingNumber(std::string_view text, bool isSigned) {
    size_t at = 0;
    bool negative = false;
    if (isSigned && at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), INT64_MAX / 10);
    return negative ? -value : value;
}

bool ReadItem(CDataServer& data, int item, ItemBytes& out) {
    out.size = CDataServer::ItemSize(item);
    return out.size != 0 && out.size <= sizeof out.bytes && data.Get(item, out.bytes, out.size) == 1;
}

void WriteItem(CDataServer& data, int item, const ItemBytes& bytes) { data.Set(item, bytes.bytes, bytes.size); }

void ShowModelNumber(ControlView& view, CDataServer& data, int item, const Field& field) {
    ItemBytes bytes;
    if (ReadItem(data, item, bytes))
        view.text = std::to_string(ReadNumber(bytes, field));
}

void MarkValue(IPageHost& host, int item, size_t offset) {
    if (const std::optional<GroupRef> group = GroupOfValue(item, offset))
        host.MarkChanged(*group);
}

CRowEngine::CRowEngine(CDataServer& data, std::span<const Row> rows)
    : m_data(data), m_rows(rows), m_loaded(rows.size()) {}

bool CRowEngine::Exists(const Row& row, const DeviceTypeRecord& type) {
    const bool alternative = row.gate.also != Capability::Always && Has(type, row.gate.also);
    return Count(type, row.gate.need) >= row.gate.atLeast || alternative;
}

void CRowEngine::Load(const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type, bool editable) {
    LoadRows(kEveryItem, form, views, type, editable);
}

void CRowEngine::LoadItem(int item, const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type,
                          bool editable) {
    LoadRows(item, form, views, type, editable);
}

void CRowEngine::LoadRows(int only, const CForm& form, std::vector<ControlView>& views, const DeviceTypeRecord& type,
                          bool editable) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        if (only != kEveryItem && row.item != only)
            continue;
        ControlView& view = views[static_cast<size_t>(row.control)];
        Loaded& loaded = m_loaded[i];
        loaded = {};
        ItemBytes item;
        const int itemId = row.pick ? row.pick(m_data, type, row.item) : row.item;
        if (!Exists(row, type) || !ReadItem(m_data, itemId, item)) {
            ShowNotAvailable(view, form.Traits(row.control).kind);
            continue;
        }
        loaded.item = itemId;
        if (row.follower) {
            loaded.value = Canonical(row, view);
            continue;
        }
        view.enabled = editable;
        const Field& f = row.field;
        switch (f.kind) {
        case Field::Kind::Number: view.text = std::to_string(ReadNumber(item, f)); break;
        case Field::Kind::Flag: view.checked = (ReadNumber(item, f) & f.mask) != 0; break;
        case Field::Kind::Choice:
            view.selection = ChoiceIndex(f, ReadNumber(item, f));
            loaded.listed = view.selection >= 0 && view.selection < static_cast<int>(view.choices.size());
            if (!loaded.listed)
                view.selection = -1;
            break;
        case Field::Kind::Identifier:
            view.selection = EntryIndex(view.choices, HexText(static_cast<uint64_t>(ReadNumber(item, f))));
            loaded.listed = view.selection >= 0;
            break;
        case Field::Kind::Text:
            view.text = Present(row, item) ? DeviceToUtf8(ReadText(item, f).c_str(), f.size, f.chars) : kNoInfo;
            break;
        case Field::Kind::Ip: view.text = Present(row, item) ? DottedIp(ReadText(item, f)) : ""; break;
        }
        loaded.value = Canonical(row, view);
    }
}

std::string CRowEngine::Canonical(const Row& row, const ControlView& view) const {
    const Field& f = row.field;
    switch (f.kind) {
    case Field::Kind::Number: {
        ItemBytes cut;
        WriteNumber(cut, f, LeadingNumber(view.text, f.isSigned));
        return std::to_string(ReadNumber(cut, f));
    }
    case Field::Kind::Flag: return view.checked ? "1" : "0";
    case Field::Kind::Choice: return std::to_string(view.selection);
    case Field::Kind::Identifier: return HexText(SelectedIdentifier(view));
    case Field::Kind::Text: {
        if (view.text == kNoInfo)
            return kNoInfo;
        std::string bytes = Utf8ToDevice(view.text).value_or(std::string());
        return bytes.substr(0, f.chars);
    }
    case Field::Kind::Ip: return DottedIp(PaddedIp(view.text));
    }
    return {};
}

bool CRowEngine::Collect(const std::vector<ControlView>& views, const DeviceTypeRecord& type, IPageHost& host) {
    ItemCache items(m_data);
    bool changed = false;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        Loaded& loaded = m_loaded[i];
        if (loaded.item < 0 || !Exists(row, type) || !loaded.listed)
            continue;
        const ControlView& view = views[static_cast<size_t>(row.control)];
        const std::string now = Canonical(row, view);
        const bool list = row.field.kind == Field::Kind::Choice || row.field.kind == Field::Kind::Identifier;
        // A slot that holds nothing shows "NO INFO"; emptying that text empties
        // nothing, so it is no change (and does not switch the slot on).
        const bool emptiedNoInfo = loaded.value == kNoInfo && now.empty();
        if (now == loaded.value || now == kNoInfo || emptiedNoInfo || (list && view.selection < 0))
            continue;
        ItemBytes* item = items.Find(loaded.item);
        if (!item)
            continue;
        const Field& f = row.field;
        if (row.presence.activate && !Present(row, *item))
            row.presence.activate(*item);
        switch (f.kind) {
        case Field::Kind::Number: WriteNumber(*item, f, LeadingNumber(view.text, f.isSigned)); break;
        case Field::Kind::Flag: {
            const int64_t word = ReadNumber(*item, f);
            WriteNumber(*item, f, view.checked ? (word | f.mask) : (word & ~static_cast<int64_t>(f.mask)));
            break;
        }
        case Field::Kind::Choice: WriteNumber(*item, f, ChoiceValue(f, view.selection)); break;
        case Field::Kind::Identifier: WriteNumber(*item, f, static_cast<int64_t>(SelectedIdentifier(view))); break;
        case Field::Kind::Text:
            CopyDeviceText(reinterpret_cast<char*>(item->bytes + f.offset), f.size, now, f.chars);
            break;
        case Field::Kind::Ip:
            CopyDeviceText(reinterpret_cast<char*>(item->bytes + f.offset), f.size, PaddedIp(view.text), f.size - 1u);
            break;
        }
        items.MarkChanged(loaded.item);
        MarkValue(host, loaded.item, f.offset);
        changed = true;
        loaded.value = now;  // handed over: a later collect writes only what changed since
    }
    items.WriteChanged();
    return changed;
}
