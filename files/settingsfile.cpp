#include "files/settingsfile.h"

#include "files/fileio.h"
#include "model/dataserver.h"
#include "model/registry.h"
#include "protocol/zramds.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutMark(std::string_view text) {
    return text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? text.substr(kByteOrderMark.size()) : text;
}

// The first line names the file a settings file; a text without any line end
// passes (it loads nothing).
bool HasSettingsHeader(std::string_view text) {
    text = WithoutMark(text);
    if (text.size() < kSettingsHeaderMark.size())
        return false;
    const size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos || text.substr(0, end).find(kSettingsHeaderMark) != std::string_view::npos;
}

// Hands out the lines of a text, each without its end (CR LF, LF or CR).
// Bytes after the last line end are never handed out.
class CLineSplitter {
public:
    explicit CLineSplitter(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line) {
        const size_t end = m_text.find_first_of("\r\n", m_pos);
        if (end == std::string_view::npos)
            return false;
        line = m_text.substr(m_pos, end - m_pos);
        const bool crlf = m_text[end] == '\r' && end + 1 < m_text.size() && m_text[end + 1] == '\n';
        m_pos = end + (crlf ? 2 : 1);
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// A file line as the codec takes it: cut to what a line buffer holds, CR LF at its end.
LineBuffer CodecLine(std::string_view line) {
    LineBuffer buffer;
    const size_t length = std::min(line.size(), kLineMaxChars - 2);
    std::memcpy(buffer.text, line.data(), length);
    std::memcpy(buffer.text + length, "\r\n", 3);
    buffer.length = static_cast<uint16_t>(length + 2);
    return buffer;
}

}  // namespace

SettingsFileCheck CheckSettingsBytes(std::string_view bytes) {
    if (bytes.empty())
        return SettingsFileCheck::kEmpty;
    if (bytes.size() > kSettingsMaxFileSize)
        return SettingsFileCheck::kTooLarge;
    return HasSettingsHeader(bytes) ? SettingsFileCheck::kOk : SettingsFileCheck::kNoHeader;
}

SettingsFileBytes ReadSettingsBytes(const std::string& path) {
    SettingsFileBytes file;
    file.error = fileio::ReadPrefix(path, kSettingsMaxFileSize + 1, file.bytes);
    file.check = file.error != 0 ? SettingsFileCheck::kCannotOpen : CheckSettingsBytes(file.bytes);
    if (file.check != SettingsFileCheck::kOk)
        file.bytes.clear();
    return file;
}

std::vector<std::string_view> SettingsLines(std::string_view text) {
    std::vector<std::string_view> lines;
    CLineSplitter splitter(WithoutMark(text));
    std::string_view line;
    if (!splitter.Next(line))
        return lines;  // no line end at all: nothing to load
    while (splitter.Next(line))
        lines.push_back(line);
    return lines;
}

SettingsLoad LoadSettings(std::string_view text, CZRAMDS& codec) {
    SettingsLoad load;
    if (!HasSettingsHeader(text))
        return load;
    load.loaded = true;
    char keyword[10];
    for (std::string_view line : SettingsLines(text)) {
        // Unparsed groups keep their values.
        const int result = codec.ParseFileLine(keyword, CodecLine(line));
        if (result != kCodecOk && result != kCodecDone)
            continue;
        ++load.entries;
        load.typeLoaded = load.typeLoaded || std::strcmp(keyword, Group::kHwcfg.keyword) == 0;
    }
    return load;
}

std::string ComposeSettings(CZRAMDS& codec) {
    DeviceTypeRecord type;
    codec.Data().Get(DI_DEV_TYPE, type);
    std::string content = kSettingsHeader;
    LineBuffer line;
    for (const GroupRef& group : GroupsIn(type, InSequence::kFile)) {
        codec.BuildFileLine(group.Keyword().c_str(), group.group->writeParam, line);
        content.append(line.text, line.length);  // a group the codec cannot format adds nothing
    }
    return content;
}
