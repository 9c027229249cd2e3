// A record and a codec for table-driven protocol tests: build a command line,
// feed a reply, read items back.
#pragma once

#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <cstring>
#include <string>

struct BuiltLine {
    int result;
    std::string text;
};

class CodecHarness {
public:
    // Protection off unless a test turns it on, so lines start with "$" + keyword.
    explicit CodecHarness(int type = 0) : codec(data) {
        data.ResetToDefaults(type);
        SetProtection(false);
    }

    void SetProtection(bool on) {
        PasswordRecord p;
        data.Get(DI_PASSWORD, p);
        p.flags = on ? 3 : 0;
        data.Set(DI_PASSWORD, p);
    }

    BuiltLine Build(int write, const char* keyword, const char* subcommand) {
        LineBuffer out;
        const int result = codec.BuildCommand(write, keyword, subcommand, out);
        return {result, std::string(out.text, out.length)};
    }

    BuiltLine BuildFile(const char* keyword, const char* subcommand) {
        LineBuffer out;
        const int result = codec.BuildFileLine(keyword, subcommand, out);
        return {result, std::string(out.text, out.length)};
    }

    // Sends the request (so its subcommand is remembered) and parses the reply
    // as the device's answer to it.
    int Exchange(int write, const char* keyword, const char* subcommand, const std::string& reply) {
        Build(write, keyword, subcommand);
        char found[10];
        return codec.ParseReply(write, found, Line(reply));
    }

    int ParseFile(const std::string& line) {
        char found[10];
        return codec.ParseFileLine(found, Line(line));
    }

    template <class T> T Item(int id) {
        T value{};
        data.Get(id, value);
        return value;
    }

    static LineBuffer Line(const std::string& text) {
        LineBuffer in;
        const size_t n = text.size() < kLineMaxChars ? text.size() : kLineMaxChars;
        std::memcpy(in.text, text.data(), n);
        in.length = static_cast<uint16_t>(n);
        return in;
    }

    CDataServer data;
    CZRAMDS codec;
};
