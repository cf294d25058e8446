#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ondrix {

// Read-only view of an initialisation file (language files, links.ini, theme.cfg) with the
// rules of the private-profile reader: "[section]" lines open sections, "key=value" lines
// inside a section are values, section and key names match in any letter case, blanks around
// key and value are dropped, a value in matching single or double quotes loses them, at most
// 2047 characters of a value are kept, and every other line is ignored. The first of two
// equal keys in a section wins. A missing or unreadable file is an empty file, and so is
// anything that is not a regular file (a pipe, a device) or is larger than kMaxTextFileBytes.
class IniFile
{
public:
    static constexpr std::size_t kMaxValueLength = 2047;

    IniFile() = default;
    static IniFile Load(const std::string& path);
    static IniFile Parse(std::string_view text);

    std::string Read(std::string_view section, std::string_view key, std::string_view fallback = {}) const;

private:
    // Keyed by lower-cased "section" + '\n' + "key".
    std::map<std::string, std::string> m_values;
};

} // namespace ondrix
