// The codec between the settings record and the device's line protocol:
// builds command and settings-file lines, parses reply and file lines.
#pragma once

#include "protocol/codec_context.h"
#include "protocol/line.h"

#include <atomic>
#include <mutex>

class CDataServer;

// Codec result codes.
enum CodecResult : int {
    kCodecOk = 0,           // "OK", data taken, or a query built
    kCodecDone = 1,         // write line built, or data taken (some keywords)
    kCodecPassChanged = 2,  // "PC"
    kCodecPassError = 3,    // "PE"
    kCodecFormat = 4,       // "FE", malformed line, cannot be written
    kCodecUnknown = 5,      // "CE", unknown keyword, bad index or subcommand
    kCodecData = 6,         // "DE", checksum mismatch, nothing usable
    kCodecDevError = 7,     // "EE", or the codec lock not obtained
    kCodecUnexpected = 8,   // other first field after a write; nothing built
};

// How far a parsed reply got, beyond its code: it tells a transmission error
// and data the keyword's handler could not take from the device's own status
// word, which give the same codes.
enum class ParseNote {
    Malformed,    // the line ended before it could be handled
    BadChecksum,  // its checksum did not match
    StatusWord,   // it carried a status word ("OK", "DE", ...)
    Data,         // its fields went to the keyword's handler
};

class CZRAMDS {
public:
    explicit CZRAMDS(CDataServer& data);
    CZRAMDS(const CZRAMDS&) = delete;
    CZRAMDS& operator=(const CZRAMDS&) = delete;
    virtual ~CZRAMDS() = default;

    int BuildCommand(int write, const char* keyword, const char* subcommand, LineBuffer& out);
    // note, when given, tells how far the reply got (see ParseNote).
    int ParseReply(int write, char (&keywordOut)[10], const LineBuffer& in, ParseNote* note = nullptr);
    int BuildFileLine(const char* keyword, const char* subcommand, LineBuffer& out);
    int ParseFileLine(char (&keywordOut)[10], const LineBuffer& in);

    int Result() const { return m_result; }
    // The record the codec builds from and parses into.
    CDataServer& Data() { return m_data; }
    std::timed_mutex& LockForTest() { return m_lock; }

    static constexpr int kLockMs = 1000;

private:
    enum class Mode { Reply, File };
    int Build(int write, bool file, const char* keyword, const char* subcommand, LineBuffer& out);
    void BuildLine(int write, bool file, const char* keyword, const char* subcommand);
    int Parse(int write, Mode mode, char (&keywordOut)[10], const LineBuffer& in, ParseNote* note = nullptr);
    void Feed(char c);
    void EndPart(char terminator);
    void HandleLine();
    void ApplyPasswordReply(int code);
    void Dispatch();
    void RememberSubcommand(const char* subcommand);

    std::timed_mutex m_lock;
    CDataServer& m_data;
    int m_state = 0;
    uint8_t m_checksum = 0;
    uint8_t m_received = 0;
    uint16_t m_length = 0;
    char m_keyword[10] = {};
    char m_subcommand[10] = {};
    char m_payload[240] = {};
    bool m_replyMode = true;
    bool m_writeMode = false;
    bool m_fileMode = false;
    bool m_lineDone = false;
    ParseNote m_note = ParseNote::Malformed;
    FieldTable m_fields;
    LineWriter m_out;
    std::atomic<int> m_result{0};  // Result() may be read from any thread
};
