#include "RegFileRegistry.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace ondrix {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

constexpr std::array<std::pair<Hive, std::string_view>, 3> kHiveNames{{
    {Hive::CurrentUser, "HKEY_CURRENT_USER"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT"},
}};

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// A sub-key of parent, at any depth.
bool IsBelow(std::string_view key, std::string_view parent)
{
    return key.size() > parent.size() + 1 && key[parent.size()] == '\\' &&
           SameName(key.substr(0, parent.size()), parent);
}

std::string_view HiveName(Hive hive)
{
    for (const auto& [h, name] : kHiveNames) {
        if (h == hive)
            return name;
    }
    return kHiveNames[0].second;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

// Reads a quoted string at the start of text and removes it from text.
bool TakeQuoted(std::string_view& text, std::string& out)
{
    if (text.empty() || text.front() != '"')
        return false;
    out.clear();
    std::size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size())
                return false;
            switch (text[i + 1]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return false;
            }
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

bool TakeDword(std::string_view text, std::uint32_t& out)
{
    constexpr std::string_view kPrefix = "dword:";
    if (text.size() != kPrefix.size() + 8 || !SameName(text.substr(0, kPrefix.size()), kPrefix))
        return false;
    out = 0;
    for (char c : text.substr(kPrefix.size())) {
        const char l = Lower(c);
        std::uint32_t digit = 0;
        if (l >= '0' && l <= '9')
            digit = static_cast<std::uint32_t>(l - '0');
        else if (l >= 'a' && l <= 'f')
            digit = static_cast<std::uint32_t>(l - 'a' + 10);
        else
            return false;
        out = out * 16 + digit;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool ParseSection(std::string_view line, RegFileRegistry::Key& key)
{
    if (line.size() < 2 || line.back() != ']')
        return false;
    const std::string_view inner = line.substr(1, line.size() - 2);
    const auto cut = inner.find('\\');
    const std::string_view hive = inner.substr(0, cut);
    for (const auto& [h, name] : kHiveNames) {
        if (SameName(hive, name)) {
            key.hive = h;
            key.name = cut == std::string_view::npos ? std::string() : std::string(inner.substr(cut + 1));
            return true;
        }
    }
    return false;
}

bool ParseValue(std::string_view line, RegFileRegistry::Value& value)
{
    if (line.front() == '@') {
        value.name.clear();
        line.remove_prefix(1);
    } else if (!TakeQuoted(line, value.name)) {
        return false;
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '=')
        return false;
    line = TrimBlanks(line.substr(1));
    if (!line.empty() && line.front() == '"') {
        value.isDword = false;
        return TakeQuoted(line, value.text) && line.empty();
    }
    value.isDword = true;
    return TakeDword(line, value.dword);
}

// Registry strings end at a NUL, and a line break in a key name cannot be written.
std::string RegistryString(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

void CheckKeyName(const std::string& key)
{
    if (key.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        throw PlatformError("The registry key name \"" + key + "\" holds a line break or a NUL character.");
}

} // namespace

RegFileRegistry::RegFileRegistry(std::string path) : m_path(std::move(path))
{
    LoadFile();
}

std::string RegFileRegistry::DefaultRegistryPath(const char* xdgConfigHome, const char* home)
{
    std::string base;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        base = xdgConfigHome;
    } else if (home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.config";
    } else {
#ifndef _WIN32
        const passwd* entry = ::getpwuid(::getuid());
        if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] == '\0')
            throw PlatformError("The settings folder is unknown: neither XDG_CONFIG_HOME nor HOME is set.");
        base = std::string(entry->pw_dir) + "/.config";
#else
        throw PlatformError("The settings folder is unknown: neither XDG_CONFIG_HOME nor HOME is set.");
#endif
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (base == "/")
        base.clear();
    return base + "/Quorvane/Ondrix2.reg";
}

void RegFileRegistry::LoadFile()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(m_path, ec);
    if (ec || !fs::exists(status))
        return;
    // Something else in the file's place (a folder) is not ours to move; writes will fail.
    if (!fs::is_regular_file(status))
        return;
    std::string text;
    std::ifstream in(m_path, std::ios::binary);
    std::ostringstream content;
    // An empty file fails the copy as well; it has no header and counts as damaged.
    const bool readable = in.is_open() && static_cast<bool>(content << in.rdbuf());
    text = std::move(content).str();
    std::vector<Key> keys;
    if (readable && Parse(text, keys)) {
        m_keys = std::move(keys);
        return;
    }
    SetAside();
}

void RegFileRegistry::SetAside()
{
    namespace fs = std::filesystem;
    for (int n = 0; n < 10000; ++n) {
        const std::string candidate = m_path + (n == 0 ? ".damaged" : ".damaged-" + std::to_string(n));
        std::error_code ec;
        if (fs::exists(fs::symlink_status(candidate, ec)))
            continue;
        fs::rename(m_path, candidate, ec);
        if (!ec)
            m_damagedPath = candidate;
        return;
    }
}

bool RegFileRegistry::Parse(std::string_view text, std::vector<Key>& keys)
{
    keys.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool first = true;
    Key* current = nullptr;
    while (!text.empty() || first) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != kHeader)
                return false;
            first = false;
            continue;
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            Key key;
            if (!ParseSection(line, key))
                return false;
            auto same = std::find_if(keys.begin(), keys.end(), [&](const Key& k) {
                return k.hive == key.hive && SameName(k.name, key.name);
            });
            current = same != keys.end() ? &*same : &keys.emplace_back(std::move(key));
            continue;
        }
        if (line.front() != '"' && line.front() != '@')
            return false;
        Value value;
        if (current == nullptr || !ParseValue(line, value))
            return false;
        auto same = std::find_if(current->values.begin(), current->values.end(),
                                 [&](const Value& v) { return SameName(v.name, value.name); });
        if (same != current->values.end())
            *same = std::move(value);
        else
            current->values.push_back(std::move(value));
    }
    return true;
}

std::string RegFileRegistry::Serialize(const std::vector<Key>& keys)
{
    std::string out(kHeader);
    out += "\n\n";
    for (const Key& key : keys) {
        out += '[';
        out += HiveName(key.hive);
        if (!key.name.empty()) {
            out += '\\';
            out += key.name;
        }
        out += "]\n";
        for (const Value& value : key.values) {
            if (value.name.empty())
                out += '@';
            else
                AppendQuoted(out, value.name);
            out += '=';
            if (value.isDword) {
                char digits[9];
                std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.dword));
                out += "dword:";
                out += digits;
            } else {
                AppendQuoted(out, value.text);
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

void RegFileRegistry::Save() const
{
    WriteFileAtomically(m_path, Serialize(m_keys), true);
}

RegFileRegistry::Key* RegFileRegistry::FindKey(Hive hive, std::string_view key)
{
    for (Key& k : m_keys) {
        if (k.hive == hive && SameName(k.name, key))
            return &k;
    }
    return nullptr;
}

const RegFileRegistry::Key* RegFileRegistry::FindKey(Hive hive, std::string_view key) const
{
    for (const Key& k : m_keys) {
        if (k.hive == hive && SameName(k.name, key))
            return &k;
    }
    return nullptr;
}

RegFileRegistry::Key& RegFileRegistry::KeyForWriting(Hive hive, const std::string& key)
{
    CheckKeyName(key);
    if (Key* found = FindKey(hive, key))
        return *found;
    return m_keys.emplace_back(Key{hive, key, {}});
}

const RegFileRegistry::Value* RegFileRegistry::FindValue(Hive hive, std::string_view key,
                                                         std::string_view name) const
{
    const Key* k = FindKey(hive, key);
    if (k == nullptr)
        return nullptr;
    for (const Value& v : k->values) {
        if (SameName(v.name, name))
            return &v;
    }
    return nullptr;
}

void RegFileRegistry::SetValue(Hive hive, const std::string& key, const std::string& name, Value value)
{
    Key& k = KeyForWriting(hive, key);
    value.name = RegistryString(name);
    auto same = std::find_if(k.values.begin(), k.values.end(),
                             [&](const Value& v) { return SameName(v.name, value.name); });
    if (same != k.values.end()) {
        // The name keeps the spelling it was first written with, as in the registry.
        value.name = same->name;
        *same = std::move(value);
    } else {
        k.values.push_back(std::move(value));
    }
    Save();
}

bool RegFileRegistry::KeyExists(Hive hive, const std::string& key) const
{
    if (key.empty())
        return true;
    return std::any_of(m_keys.begin(), m_keys.end(), [&](const Key& k) {
        return k.hive == hive && (SameName(k.name, key) || IsBelow(k.name, key));
    });
}

std::optional<std::string> RegFileRegistry::ReadString(Hive hive, const std::string& key,
                                                       const std::string& name) const
{
    const Value* v = FindValue(hive, key, name);
    if (v == nullptr || v->isDword)
        return std::nullopt;
    return v->text;
}

std::optional<std::uint32_t> RegFileRegistry::ReadDword(Hive hive, const std::string& key,
                                                        const std::string& name) const
{
    const Value* v = FindValue(hive, key, name);
    if (v == nullptr || !v->isDword)
        return std::nullopt;
    return v->dword;
}

void RegFileRegistry::WriteString(Hive hive, const std::string& key, const std::string& name,
                                  const std::string& value)
{
    Value v;
    v.text = RegistryString(value);
    SetValue(hive, key, name, std::move(v));
}

void RegFileRegistry::WriteDword(Hive hive, const std::string& key, const std::string& name,
                                 std::uint32_t value)
{
    Value v;
    v.isDword = true;
    v.dword = value;
    SetValue(hive, key, name, std::move(v));
}

void RegFileRegistry::DeleteValue(Hive hive, const std::string& key, const std::string& name)
{
    Key* found = FindKey(hive, key);
    if (found == nullptr)
        return;
    const auto removed = std::erase_if(found->values, [&](const Value& v) { return SameName(v.name, name); });
    if (removed > 0)
        Save();
}

void RegFileRegistry::DeleteKey(Hive hive, const std::string& key)
{
    const auto removed = std::erase_if(m_keys, [&](const Key& k) {
        return k.hive == hive && (SameName(k.name, key) || IsBelow(k.name, key));
    });
    if (removed > 0)
        Save();
}

} // namespace ondrix
