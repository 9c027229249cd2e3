// A record a page edits as a whole copy. The copy kept from the load tells
// which fields the user changed on the page; a collect writes only those
// onto the model's current item, so what another page changed there since
// survives.
#pragma once

#include "model/dataserver.h"
#include "pages/core/rows.h"

#include <span>

template <class R> class CEditedCopy {
public:
    CEditedCopy(int item, std::span<const Field> fields) : m_item(item), m_fields(fields) {}

    void Load(CDataServer& data) {
        m_loaded = data.Get(m_item, m_copy) == 1;
        m_shown = m_copy;
    }
    // Forgets the copy: the page shows no such item.
    void Drop() { m_loaded = false; }
    bool Loaded() const { return m_loaded; }
    R& Copy() { return m_copy; }
    const R& Copy() const { return m_copy; }

    // Writes the fields changed since the load (or the last collect); true
    // when the model's item changed.
    bool Collect(CDataServer& data) {
        R model;
        if (!m_loaded || data.Get(m_item, model) != 1)
            return false;
        ItemBytes now = Bytes(model);
        const ItemBytes edited = Bytes(m_copy);
        const ItemBytes shown = Bytes(m_shown);
        bool changed = false;
        for (const Field& field : m_fields) {
            const int64_t value = ReadNumber(edited, field);
            if (value == ReadNumber(shown, field) || value == ReadNumber(now, field))
                continue;
            WriteNumber(now, field, value);
            changed = true;
        }
        m_shown = m_copy;
        if (changed)
            data.Set(m_item, now.As<R>());
        return changed;
    }

private:
    static ItemBytes Bytes(const R& record) {
        ItemBytes bytes;
        bytes.Store(record);
        bytes.size = sizeof record;
        return bytes;
    }

    int m_item;
    std::span<const Field> m_fields;
    R m_copy{};
    R m_shown{};  // the copy as the model held it at the load or the last collect
    bool m_loaded = false;
};
