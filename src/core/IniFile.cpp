#include "IniFile.h"

#include "Errors.h"
#include "RegularFile.h"

#include <algorithm>
#include <cstdint>

namespace ondrix {

namespace {

// A line longer than this keeps only its beginning: the value is cut at 2047 characters
// anyway, and the cap keeps a file without line ends from filling the memory.
constexpr std::size_t kMaxLineLength = 64 * 1024;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

void AppendLower(std::string& out, std::string_view text)
{
    for (char c : text)
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string MapKey(std::string_view section, std::string_view key)
{
    std::string result;
    result.reserve(section.size() + key.size() + 1);
    AppendLower(result, section);
    result += '\n';
    AppendLower(result, key);
    return result;
}

// Feeds the text piece by piece and cuts it into lines at CR, LF or CR LF.
class IniParser
{
public:
    explicit IniParser(std::map<std::string, std::string>& values) : m_values(values) {}

    void Feed(std::string_view chunk)
    {
        for (char c : chunk) {
            if (c == '\r' || c == '\n') {
                EndLine();
                continue;
            }
            if (m_line.size() < kMaxLineLength)
                m_line += c;
            if (m_firstLine && m_line.size() == 3) {
                // A UTF-8 byte-order mark at the start of the file is not part of the text.
                if (m_line == "\xEF\xBB\xBF")
                    m_line.clear();
                m_firstLine = false;
            }
        }
    }

    void Finish() { EndLine(); }

private:
    void EndLine()
    {
        std::string_view line(m_line);
        // A NUL ends the line's text, as it ends a C string.
        if (const auto nul = line.find('\0'); nul != std::string_view::npos)
            line = line.substr(0, nul);
        HandleLine(Trim(line));
        m_line.clear();
        m_firstLine = false;
    }

    void HandleLine(std::string_view line)
    {
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close == std::string_view::npos)
                return;
            m_section = std::string(Trim(line.substr(1, close - 1)));
            m_inSection = true;
            return;
        }
        if (!m_inSection)
            return;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return;
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty())
            return;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.size() > IniFile::kMaxValueLength)
            value = value.substr(0, IniFile::kMaxValueLength);
        m_values.emplace(MapKey(m_section, key), std::string(value));
    }

    std::map<std::string, std::string>& m_values;
    std::string m_line;
    std::string m_section;
    bool m_inSection = false;
    bool m_firstLine = true;
};

} // namespace

IniFile IniFile::Parse(std::string_view text)
{
    IniFile file;
    IniParser parser(file.m_values);
    parser.Feed(text);
    parser.Finish();
    return file;
}

IniFile IniFile::Load(const std::string& path)
{
    IniFile file;
    FileHandle in;
    try {
        in = OpenRegularFile(path, kMaxTextFileBytes);
    } catch (const FileError&) {
        return file; // missing, not a regular file or too large: read as empty
    }
    IniParser parser(file.m_values);
    std::string buffer(64 * 1024, '\0');
    // The bound holds for a file that grows while it is read, too.
    for (std::uint64_t left = kMaxTextFileBytes; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), left));
        const std::size_t got = std::fread(buffer.data(), 1, want, in.get());
        if (got == 0)
            break;
        parser.Feed(std::string_view(buffer.data(), got));
        left -= got;
    }
    parser.Finish();
    return file;
}

std::string IniFile::Read(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const auto found = m_values.find(MapKey(section, key));
    return found == m_values.end() ? std::string(fallback) : found->second;
}

} // namespace ondrix
