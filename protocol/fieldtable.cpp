#include "protocol/fieldtable.h"

#include "protocol/hex.h"

#include <cstring>

namespace {

const char* TextAt(const void* record, const FieldDesc& field) {
    return static_cast<const char*>(record) + field.place.offset;
}

void BuildField(CodecContext& c, const FieldDesc& field, const void* record) {
    const int64_t value = ReadValue(record, field.place);
    switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Choice:
        if (field.traits & FieldTrait::kLowByte)
            c.out.Field("%u", static_cast<unsigned>(value & 0xFF));
        else
            c.out.Field("%lld", static_cast<long long>(value));
        break;
    case FieldKind::Flag: c.out.Field("%u", (value & field.mask) != 0 ? 1u : 0u); break;
    case FieldKind::Hex: c.out.Field("%0*llx", field.width, static_cast<unsigned long long>(value)); break;
    case FieldKind::Identifier: {
        char id[13];
        U64ToHex(static_cast<uint64_t>(value), id);
        c.out.TextField(id, sizeof id - 1);
        break;
    }
    case FieldKind::NumberText:
    case FieldKind::Text:
    case FieldKind::Ip: c.out.TextField(TextAt(record, field), field.width); break;
    }
}

void ParseField(const CodecContext& c, int k, const FieldDesc& field, void* record) {
    const char* text = c.Field(k);
    if (text[0] == '\0')
        return;
    auto* bytes = static_cast<char*>(record);
    switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Choice: WriteValue(record, field.place, ParseDecimal(text)); break;
    case FieldKind::Hex: WriteValue(record, field.place, static_cast<int64_t>(ParseHex(text))); break;
    case FieldKind::Identifier: WriteValue(record, field.place, static_cast<int64_t>(HexToU64(text))); break;
    case FieldKind::Flag: {
        const int64_t word = ReadValue(record, field.place);
        const bool on = std::strcmp(text, "1") == 0;
        WriteValue(record, field.place, on ? (word | field.mask) : (word & ~static_cast<int64_t>(field.mask)));
        break;
    }
    case FieldKind::NumberText:
    case FieldKind::Text:
    case FieldKind::Ip: CopyField(bytes + field.place.offset, field.place.size, text, field.width); break;
    }
}

}  // namespace

void BuildFields(CodecContext& c, std::span<const FieldDesc> fields, const void* record) {
    for (const FieldDesc& field : fields)
        BuildField(c, field, record);
}

void ParseFields(const CodecContext& c, std::span<const FieldDesc> fields, void* record) {
    int k = 1;
    for (const FieldDesc& field : fields)
        ParseField(c, k++, field, record);
}
