#pragma once
// Device side of the line format: splitting a received command line and
// framing a reply with its checksum.

#include <string>
#include <string_view>
#include <vector>

struct SimCommand {
    std::string prefix;  // first token when it is not a keyword (a password)
    bool hasPrefix = false;
    std::string keyword;              // upper case, index included ("SERVER1")
    std::string sub;                  // GET, SET, DEL, RESET, RESETALL, CALALL or ""
    std::vector<std::string> fields;  // fields after the keyword and subcommand
    bool hasFields = false;           // a ";" followed the keyword (or subcommand): a write
};

// Splits text on ";" (an empty text gives one empty field).
std::vector<std::string> SplitFields(std::string_view text, char separator = ';');
std::string JoinFields(const std::vector<std::string>& fields, char separator = ';');

// True when the token names a keyword the device knows (stem plus optional digits).
bool IsKeywordToken(std::string_view token);

// Parses one line without "$" or CR LF ("PW;SERVER1;GET"). Returns false when
// no keyword can be found.
bool ParseCommand(std::string_view line, SimCommand& out);

// XOR of the characters between "$" and "^".
unsigned char LineChecksum(std::string_view body);

// "$" body "^" CS CR LF; garble makes the checksum wrong on purpose.
std::string FrameReply(const std::string& keyword, const std::string& payload, bool garble);
