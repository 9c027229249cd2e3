// One field table per settings group walked in both directions: the write
// (and settings-file) line is built from it and the configuration reply is
// parsed with it, so the two can never disagree on a field's place or form.
#pragma once

#include "model/registry.h"
#include "protocol/codec_context.h"

#include <span>

// Appends the fields of record in table order.
void BuildFields(CodecContext& c, std::span<const FieldDesc> fields, const void* record);
// Takes fields 1.. of the line into record in table order; empty fields keep
// their values.
void ParseFields(const CodecContext& c, std::span<const FieldDesc> fields, void* record);

// The same for a typed record.
template <class R> void BuildFields(CodecContext& c, std::span<const FieldDesc> fields, const R& record) {
    BuildFields(c, fields, static_cast<const void*>(&record));
}
template <class R> void ParseFields(const CodecContext& c, std::span<const FieldDesc> fields, R& record) {
    ParseFields(c, fields, static_cast<void*>(&record));
}
