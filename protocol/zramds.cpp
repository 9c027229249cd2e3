#include "protocol/zramds.h"

#include "base/boundedlock.h"
#include "model/dataserver.h"
#include "model/registry.h"
#include "protocol/handlers.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kKeywordMax = 9;
constexpr size_t kPayloadMax = 239;

enum State { kIdle = 0, kKeyword = 3, kPayload = 4, kChecksumHigh = 5, kChecksumLow = 6 };

// Dispatch order matters where one keyword begins another. The settings
// groups' keywords are the registry's; the rest are read-only or actions.
struct DispatchRow {
    const char* stem;
    bool prefix;
    Handler handler;
};

const DispatchRow kDispatch[] = {
    {"VER", false, HandleVer},
    {"BOOTVER", false, HandleBootVer},
    {Group::kHwcfg.keyword, false, HandleHwcfg},
    {Group::kDev.keyword, false, HandleDev},
    {Group::kMode.keyword, false, HandleMode},
    {Group::kPass.keyword, false, HandlePass},
    {Group::kLog.keyword, false, HandleLog},
    {Group::kDate.keyword, false, HandleDate},
    {"REP", false, HandleRep},
    {"EKEY", false, HandleEkey},
    {Group::kMsens.keyword, false, HandleMsens},
    {Group::kTilt.keyword, false, HandleTilt},
    {Group::kTsens.keyword, false, HandleTsens},
    {"GNSS", false, HandleGnss},
    {"GSM", false, HandleGsm},
    {Group::kPhone.keyword, true, HandlePhone},
    {Group::kSms.keyword, true, HandleSms},
    {"RING", false, HandleRing},
    {"AUDIO", false, HandleAudio},
    {Group::kSims.keyword, false, HandleSims},
    {"SIM", false, HandleSim1},
    {"SIM1", false, HandleSim1},
    {"SIM2", false, HandleSim2},
    {"APN", false, HandleApn1},
    {Group::kApn1.keyword, false, HandleApn1},
    {Group::kApn2.keyword, false, HandleApn2},
    {"WIFI", false, HandleWifi},
    {Group::kWifiNet.keyword, true, HandleWifinet},
    {Group::kIntrshd.keyword, true, HandleIntrshd},
    {Group::kIn.keyword, true, HandleIn},
    {"COUNTER", true, HandleCounter},
    {Group::kIgn.keyword, false, HandleIgn},
    {Group::kSos.keyword, false, HandleSos},
    {Group::kOut.keyword, true, HandleOut},
    {Group::kRs232.keyword, true, HandleRs232},
    {Group::kRs485.keyword, true, HandleRs485},
    {Group::kLls485.keyword, true, HandleLls},
    {"THERMOID", false, HandleThermoId},
    {Group::kThermo.keyword, true, HandleThermo},
    {Group::kFilter.keyword, false, HandleFilter},
    {Group::kServer.keyword, true, HandleServer},
    {"STATIST", false, HandleStatist},
    {"PRSET", true, HandlePrset},
    {"RESET", false, HandleServiceCommand},
    {"DEFAULT", false, HandleServiceCommand},
    {"ERASURE", false, HandleServiceCommand},
    {"FACTORY", false, HandleServiceCommand},
};

struct StatusWord {
    const char* word;
    int code;
};

const StatusWord kStatusWords[] = {
    {"OK", kCodecOk},      {"PC", kCodecPassChanged}, {"PE", kCodecPassError}, {"FE", kCodecFormat},
    {"CE", kCodecUnknown}, {"DE", kCodecData},        {"EE", kCodecDevError},
};

bool Matches(const DispatchRow& row, const char* keyword) {
    const size_t n = std::strlen(row.stem);
    return row.prefix ? std::strncmp(keyword, row.stem, n) == 0 : std::strcmp(keyword, row.stem) == 0;
}

uint8_t Nibble(char c) {
    const auto u = static_cast<uint8_t>(c);
    return (c >= '0' && c <= '9') ? static_cast<uint8_t>(u - '0') : static_cast<uint8_t>(u - 55);
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers of the handlers

void FieldTable::Split(const char* payload) {
    std::memset(m_fields, 0, sizeof m_fields);
    m_count = 0;
    int k = 0;
    size_t len = 0;
    for (const char* p = payload;; ++p) {
        if (*p == ';' || *p == '^' || *p == '\0') {
            m_count = k + 1;
            if (*p != ';' || ++k >= kFields)
                break;
            len = 0;
            continue;
        }
        if (len < kWidth - 1)
            m_fields[k][len++] = *p;
    }
}

const char* FieldTable::Get(int k) const { return (k >= 1 && k <= m_count) ? m_fields[k - 1] : ""; }

void LineWriter::Clear() {
    if (!m_line)
        return;
    m_line->length = 0;
    m_line->text[0] = '\0';
    m_overflow = false;
    m_fields = 0;
}

void LineWriter::Append(const char* text, size_t maxChars) {
    if (!m_line || !text)
        return;
    constexpr size_t kRoom = kLineMaxChars - 2;  // keep room for CR LF
    for (size_t i = 0; i < maxChars && text[i] != '\0'; ++i) {
        if (m_line->length >= kRoom) {
            m_overflow = true;
            break;
        }
        m_line->text[m_line->length++] = text[i];
    }
    m_line->text[m_line->length] = '\0';
}

void LineWriter::AppendV(const char* format, va_list args) {
    char buffer[128];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    Append(buffer);
}

void LineWriter::AppendF(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendV(format, args);
    va_end(args);
}

void LineWriter::DropLast() {
    if (!m_line || m_line->length == 0)
        return;
    m_line->text[--m_line->length] = '\0';
}

void LineWriter::Separator() {
    if (m_fields++ > 0)
        Append(";");
}

void LineWriter::Field(const char* format, ...) {
    Separator();
    va_list args;
    va_start(args, format);
    AppendV(format, args);
    va_end(args);
}

void LineWriter::TextField(const char* text, size_t maxChars) {
    Separator();
    Append(text, maxChars);
}

void LineWriter::Terminate() {
    if (!m_line)
        return;
    m_line->text[m_line->length++] = '\r';
    m_line->text[m_line->length++] = '\n';
    m_line->text[m_line->length] = '\0';
}

bool CodecContext::SubIs(const char* s) const { return std::strcmp(subcommand, s) == 0; }

int CodecContext::Number(size_t stemLength) const {
    if (std::strlen(keyword) <= stemLength)
        return -1;
    return static_cast<int>(ParseDecimal(keyword + stemLength));
}

int CodecContext::Digit(size_t stemLength) const {
    if (std::strlen(keyword) <= stemLength)
        return -1;
    const char d = keyword[stemLength];
    return IsDigit(d) ? d - '0' : -1;
}

// ---------------------------------------------------------------------------
// CZRAMDS

CZRAMDS::CZRAMDS(CDataServer& data) : m_data(data) {}

void CZRAMDS::RememberSubcommand(const char* subcommand) {
    CopyField(m_subcommand, subcommand ? subcommand : "", kKeywordMax);
}

int CZRAMDS::BuildCommand(int write, const char* keyword, const char* subcommand, LineBuffer& out) {
    return Build(write, false, keyword, subcommand, out);
}

int CZRAMDS::BuildFileLine(const char* keyword, const char* subcommand, LineBuffer& out) {
    return Build(1, true, keyword, subcommand, out);
}

int CZRAMDS::Build(int write, bool file, const char* keyword, const char* subcommand, LineBuffer& out) {
    // A system-clock deadline keeps the lock call visible to the thread sanitizer.
    const auto lock = LockWithin(m_lock, std::chrono::milliseconds(kLockMs));
    if (!lock.owns_lock())
        return kCodecDevError;

    m_out.Attach(&out);
    BuildLine(write, file, keyword, subcommand);
    // The caller's buffer is only ours for the length of the call.
    m_out.Attach(nullptr);
    m_fileMode = false;
    m_writeMode = false;
    return m_result;
}

void CZRAMDS::BuildLine(int write, bool file, const char* keyword, const char* subcommand) {
    m_out.Clear();
    m_result = kCodecUnexpected;
    const size_t keywordLength = keyword ? strnlen(keyword, kKeywordMax + 1) : 0;
    if (keywordLength == 0 || keywordLength > kKeywordMax) {
        m_result = kCodecUnknown;
        return;
    }
    RememberSubcommand(subcommand);
    if (!file) {
        m_out.Append("$");
        PasswordRecord password;
        if (m_data.Get(DI_PASSWORD, password) && (password.flags & PasswordFlag::kInForce)) {
            m_out.Append(password.current, sizeof password.current - 1);
            m_out.Append(";");
        }
    }
    m_out.Append(keyword);
    if (!file && m_subcommand[0] != '\0') {
        m_out.Append(";");
        m_out.Append(m_subcommand);
    }
    if (!write) {
        m_out.Terminate();
        m_result = kCodecOk;
        return;
    }
    if (file || (std::strcmp(m_subcommand, "DEL") != 0 && std::strcmp(m_subcommand, "RESET") != 0)) {
        m_out.Append(";");
    }
    m_writeMode = true;
    m_fileMode = file;
    CopyField(m_keyword, keyword, kKeywordMax);
    m_out.StartFields();
    Dispatch();
    if (m_result == kCodecDone && !m_out.Overflow()) {
        m_out.Terminate();
        return;
    }
    if (m_result == kCodecDone)
        m_result = kCodecFormat;
    m_out.Clear();
}

int CZRAMDS::ParseReply(int write, char (&keywordOut)[10], const LineBuffer& in, ParseNote* note) {
    return Parse(write, Mode::Reply, keywordOut, in, note);
}

int CZRAMDS::ParseFileLine(char (&keywordOut)[10], const LineBuffer& in) {
    return Parse(0, Mode::File, keywordOut, in);
}

int CZRAMDS::Parse(int write, Mode mode, char (&keywordOut)[10], const LineBuffer& in, ParseNote* note) {
    // A system-clock deadline keeps the lock call visible to the thread sanitizer.
    const auto lock = LockWithin(m_lock, std::chrono::milliseconds(kLockMs));
    if (!lock.owns_lock())
        return kCodecDevError;

    m_replyMode = (mode == Mode::Reply);
    m_writeMode = (write != 0);
    m_fileMode = !m_replyMode;
    if (m_fileMode)
        RememberSubcommand("GET");
    m_state = kIdle;
    m_keyword[0] = '\0';
    m_result = kCodecFormat;
    m_lineDone = false;
    m_note = ParseNote::Malformed;

    const size_t length = in.length < kLineBufferSize ? in.length : kLineBufferSize;
    for (size_t i = 0; i < length && !m_lineDone; ++i) {
        if (i == 0 && m_replyMode && in.text[0] != '$')
            break;  // a reply starts with "$"
        Feed(in.text[i]);
    }
    m_state = kIdle;
    m_writeMode = false;
    m_fileMode = false;
    CopyField(keywordOut, m_keyword, kKeywordMax);
    if (note)
        *note = m_note;
    return m_result;
}

// One character of the line parser; m_lineDone marks the return to idle.
void CZRAMDS::Feed(char c) {
    auto fail = [this] {
        m_result = kCodecFormat;
        m_state = kIdle;
        m_lineDone = true;
    };
    switch (m_state) {
    case kIdle:
        if (!m_replyMode) {
            m_checksum = 0;
            m_keyword[0] = Upper(c);
            m_keyword[1] = '\0';
            m_length = 1;
            m_state = kKeyword;
        } else if (c == '$') {
            m_checksum = 0;
            m_length = 0;
            m_keyword[0] = '\0';
            m_state = kKeyword;
        }
        return;
    case kKeyword:
        if (c == ';' || c == '^' || c == '\r' || c == '\n') {
            if (m_length == 0)
                return fail();
            m_keyword[m_length] = '\0';
            m_payload[0] = '\0';
            m_length = 0;
            if (c == ';') {
                m_checksum ^= static_cast<uint8_t>(c);
                m_state = kPayload;
            } else {
                EndPart(c);
            }
            return;
        }
        if (m_length >= kKeywordMax)
            return fail();  // a tenth character
        m_keyword[m_length++] = Upper(c);
        m_keyword[m_length] = '\0';
        m_checksum ^= static_cast<uint8_t>(Upper(c));
        return;
    case kPayload:
        if (c == '^' || c == '\r') {
            if (m_length == 0)
                return fail();
            m_payload[m_length] = '\0';
            EndPart(c);
            return;
        }
        m_checksum ^= static_cast<uint8_t>(c);
        m_payload[m_length++] = c;
        if (m_length > kPayloadMax) {
            m_payload[kPayloadMax] = '\0';
            fail();
        }
        return;
    case kChecksumHigh:
        if (c == '\r')
            return fail();
        m_received = (c == 'Q') ? static_cast<uint8_t>('Q') : static_cast<uint8_t>(Nibble(c) << 4);
        m_state = kChecksumLow;
        return;
    case kChecksumLow:
        if (c == '\r')
            return fail();
        if (c == 'Q')
            m_checksum = static_cast<uint8_t>('Q');
        else
            m_received |= Nibble(c);
        m_state = kIdle;
        m_lineDone = true;
        if (m_received != m_checksum) {
            m_note = ParseNote::BadChecksum;
            m_result = kCodecData;
        } else {
            HandleLine();
        }
        return;
    default: fail();
    }
}

// The keyword or payload ended: a checksum follows, or the line is complete.
void CZRAMDS::EndPart(char terminator) {
    if (terminator == '^') {
        m_state = kChecksumHigh;
        return;
    }
    m_state = kIdle;
    m_lineDone = true;
    HandleLine();
}

void CZRAMDS::HandleLine() {
    if (m_payload[0] == '\0') {
        m_result = kCodecFormat;
        return;
    }
    m_fields.Split(m_payload);
    const char* first = m_fields.Get(1);
    int status = -1;
    for (const StatusWord& s : kStatusWords) {
        if (std::strcmp(first, s.word) == 0)
            status = s.code;
    }
    if (status >= 0)
        m_note = ParseNote::StatusWord;
    if (m_writeMode) {
        // After a write only a status word is an answer; anything else, an
        // empty first field included, is unexpected.
        m_result = status < 0 ? kCodecUnexpected : status;
        if (status == kCodecPassChanged || status == kCodecPassError)
            ApplyPasswordReply(status);
        return;
    }
    if (status >= 0) {
        m_result = status;
        return;
    }
    // After a read an empty first field is data: it keeps the stored value.
    m_note = ParseNote::Data;
    Dispatch();
}

// A changed password brings the wanted protection in force; a refused change
// leaves the wish as what is in force.
void CZRAMDS::ApplyPasswordReply(int code) {
    PasswordRecord p;
    if (!m_data.Get(DI_PASSWORD, p))
        return;
    if (code == kCodecPassChanged) {
        if (p.next[0] != '\0') {
            CopyField(p.current, p.next);
            p.next[0] = '\0';
        }
        SetBits(p.flags, PasswordFlag::kInForce, (p.flags & PasswordFlag::kWanted) != 0);
    } else {
        CopyField(p.next, p.current);
        SetBits(p.flags, PasswordFlag::kWanted, (p.flags & PasswordFlag::kInForce) != 0);
    }
    m_data.Set(DI_PASSWORD, p);
}

void CZRAMDS::Dispatch() {
    for (const DispatchRow& row : kDispatch) {
        if (!Matches(row, m_keyword))
            continue;
        CodecContext context{m_data, m_writeMode, m_fileMode, m_keyword, m_subcommand, m_fields, m_out, m_result};
        row.handler(context);
        m_result = context.result;
        return;
    }
    m_result = kCodecUnknown;
}
