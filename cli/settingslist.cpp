#include "cli/settingslist.h"

#include "model/records.h"
#include "model/registry.h"

#include <cctype>
#include <string>

namespace {

const char* KindText(FieldKind kind) {
    switch (kind) {
    case FieldKind::Number:
    case FieldKind::NumberText: return "number";
    case FieldKind::Text: return "text";
    case FieldKind::Ip: return "IP address";
    case FieldKind::Flag: return "flag (0/1)";
    case FieldKind::Choice: return "choice";
    case FieldKind::Hex: return "hexadecimal";
    case FieldKind::Identifier: return "identifier (12 hex digits)";
    }
    return "";
}

// "server<n>.port": the stable name with the member number as <n>.
std::string NamePattern(const GroupDesc& group, const FieldDesc& field) {
    std::string name;
    for (const char* c = group.keyword; *c; ++c)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    if (group.Family())
        name += "<n>";
    return field.name[0] ? name + "." + field.name : name;
}

std::string MemberNumbers(const GroupDesc& group) {
    switch (group.members) {
    case Members::One: return "";
    case Members::Fixed:
        return std::to_string(group.first) + (group.last > group.first ? "–" + std::to_string(group.last) : "");
    case Members::PerInput: return "1–" + std::to_string(kInputs);
    case Members::PerOutput: return "1–" + std::to_string(kOutputs);
    case Members::PerThermometer: return "1–" + std::to_string(kThermometers);
    }
    return "";
}

// What the field accepts: a range, a width or the choices.
std::string Accepts(const FieldDesc& field) {
    switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::NumberText: {
        const auto [lo, hi] = FieldRange(field);
        return std::to_string(lo) + "–" + std::to_string(hi);
    }
    case FieldKind::Text: return "≤ " + std::to_string(field.width) + " characters";
    case FieldKind::Hex: return "≤ " + std::to_string(field.width) + " digits";
    case FieldKind::Choice: {
        std::string text;
        for (const ChoiceDesc& choice : field.choices)
            text += (text.empty() ? "" : ", ") + std::to_string(choice.value);
        return text;
    }
    case FieldKind::Ip:
    case FieldKind::Flag:
    case FieldKind::Identifier: break;
    }
    return "";
}

std::string Note(const FieldDesc& field) {
    if (field.traits & FieldTrait::kNotReadBack)
        return "not read back from the device";
    if (field.traits & FieldTrait::kSecret)
        return "shown as ****";
    return "";
}

}  // namespace

void PrintSettingsList(bool markdown, std::ostream& out) {
    if (markdown)
        out << "| name | n | caption | kind | accepts | unit | note |\n|---|---|---|---|---|---|---|\n";
    for (const GroupDesc* group : Groups()) {
        if (!(group->in & InSequence::kFile))
            continue;
        for (const FieldDesc& field : group->fields) {
            const std::string columns[] = {NamePattern(*group, field),
                                           MemberNumbers(*group),
                                           field.caption,
                                           KindText(field.kind),
                                           Accepts(field),
                                           field.unit ? field.unit : "",
                                           Note(field)};
            if (markdown) {
                out << "|";
                for (const std::string& column : columns)
                    out << " " << (column.empty() ? "" : "`" + column + "`") << " |";
                out << "\n";
                continue;
            }
            bool first = true;
            for (const std::string& column : columns) {
                out << (first ? "" : "\t") << (column.empty() ? "-" : column);
                first = false;
            }
            out << "\n";
        }
    }
}
