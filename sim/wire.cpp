#include "sim/wire.h"

#include "sim/groups.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdio>

namespace {

constexpr std::array<std::string_view, 6> kSubcommands = {"GET", "SET", "DEL", "RESET", "RESETALL", "CALALL"};

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsSubcommand(std::string_view token) {
    for (auto sub : kSubcommands) {
        if (token == sub)
            return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view text, char separator) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            out.emplace_back(text.substr(start));
            return out;
        }
        out.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string JoinFields(const std::vector<std::string>& fields, char separator) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += separator;
        out += fields[i];
    }
    return out;
}

bool IsKeywordToken(std::string_view token) {
    KeywordRef ref;
    return SplitKeyword(Upper(token), ref);
}

bool ParseCommand(std::string_view line, SimCommand& out) {
    out = SimCommand{};
    std::vector<std::string> tokens = SplitFields(line);
    size_t next = 0;
    if (!IsKeywordToken(tokens[0])) {
        if (tokens.size() < 2 || !IsKeywordToken(tokens[1]))
            return false;
        out.prefix = tokens[0];
        out.hasPrefix = true;
        next = 1;
    }
    out.keyword = Upper(tokens[next++]);
    if (next < tokens.size() && IsSubcommand(Upper(tokens[next])))
        out.sub = Upper(tokens[next++]);
    out.hasFields = next < tokens.size();
    out.fields.assign(tokens.begin() + static_cast<std::ptrdiff_t>(next), tokens.end());
    return true;
}

unsigned char LineChecksum(std::string_view body) {
    unsigned char cs = 0;
    for (char c : body)
        cs ^= static_cast<unsigned char>(c);
    return cs;
}

std::string FrameReply(const std::string& keyword, const std::string& payload, bool garble) {
    const std::string body = keyword + ";" + payload;
    unsigned char cs = LineChecksum(body);
    if (garble)
        cs ^= 0x5A;
    char tail[8];
    std::snprintf(tail, sizeof tail, "^%02X\r\n", cs);
    return "$" + body + tail;
}
