#include "RegFileRegistry.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unordered_map>
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

// The name in one letter case, for the indexes.
std::string Folded(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = Lower(c);
    return folded;
}

std::string FoldedKey(Hive hive, std::string_view name)
{
    std::string folded = Folded(name);
    folded.insert(folded.begin(), static_cast<char>('0' + static_cast<int>(hive)));
    return folded;
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
    // Most strings hold no escape: taken at once.
    const auto end = text.find_first_of("\\\"", 1);
    if (end != std::string_view::npos && text[end] == '"') {
        out.assign(text.substr(1, end - 1));
        text.remove_prefix(end + 1);
        return true;
    }
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
    // Something else in the file's place (a folder, a pipe) is not ours to move or to read.
    if (!fs::is_regular_file(status))
        return;
    std::string text;
    bool readable = true;
    try {
        text = ReadRegularFile(m_path, kMaxSettingsFileBytes, "settings file");
    } catch (const FileError&) {
        readable = false;
    }
    // An empty file has no header and counts as damaged.
    const bool sound = Parse(text, m_keys, m_keyIndex, m_valueIndex) && readable;
    if (sound)
        return;
    // The values that could be read stay; the damaged original is kept aside for the user,
    // and the file gets the sound values at once, so that a start that writes nothing
    // does not lose them.
    SetAside();
    if (m_damagedPath.empty())
        return;
    try {
        Save();
    } catch (const FileError&) {
        // The next write reports it.
    }
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
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
    return Parse(text, keys, keyIndex, valueIndex);
}

bool RegFileRegistry::Parse(std::string_view text, std::vector<Key>& keys,
                            std::unordered_map<std::string, std::size_t>& keyIndex,
                            std::vector<std::unordered_map<std::string, std::size_t>>& valueIndex)
{
    keys.clear();
    keyIndex.clear();
    valueIndex.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    // The indexes of the keys and of each key's values by folded name keep the parse linear
    // in the size of the file.
    bool sound = true;
    bool first = true;
    std::size_t current = kNoKey;
    while (!text.empty() || first) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            first = false;
            if (line == kHeader)
                continue;
            sound = false; // and the line is read as any other
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            Key key;
            if (!ParseSection(line, key)) {
                // The values below belong to a key we do not know.
                sound = false;
                current = kNoKey;
                continue;
            }
            const auto [found, added] = keyIndex.try_emplace(FoldedKey(key.hive, key.name), keys.size());
            if (added) {
                keys.push_back(std::move(key));
                valueIndex.emplace_back();
            }
            current = found->second;
            continue;
        }
        Value value;
        if (current == kNoKey || (line.front() != '"' && line.front() != '@') || !ParseValue(line, value)) {
            sound = false;
            continue;
        }
        std::vector<Value>& values = keys[current].values;
        const auto [found, added] = valueIndex[current].try_emplace(Folded(value.name), values.size());
        if (added)
            values.push_back(std::move(value));
        else
            values[found->second] = std::move(value);
    }
    return sound;
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
    if (m_batchDepth > 0) {
        m_unsaved = true;
        return;
    }
    WriteFileAtomically(m_path, Serialize(m_keys), true);
}

void RegFileRegistry::EndBatch()
{
    if (--m_batchDepth > 0 || !m_unsaved)
        return;
    m_unsaved = false;
    Save();
}

void RegFileRegistry::BuildIndex()
{
    m_keyIndex.clear();
    m_valueIndex.clear();
    m_valueIndex.resize(m_keys.size());
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
        m_keyIndex.try_emplace(FoldedKey(m_keys[k].hive, m_keys[k].name), k);
        IndexValues(k);
    }
}

void RegFileRegistry::IndexValues(std::size_t key)
{
    auto& index = m_valueIndex[key];
    index.clear();
    const std::vector<Value>& values = m_keys[key].values;
    for (std::size_t v = 0; v < values.size(); ++v)
        index.try_emplace(Folded(values[v].name), v);
}

std::size_t RegFileRegistry::FindKey(Hive hive, std::string_view key) const
{
    const auto found = m_keyIndex.find(FoldedKey(hive, key));
    return found == m_keyIndex.end() ? kNoKey : found->second;
}

RegFileRegistry::Key& RegFileRegistry::KeyForWriting(Hive hive, const std::string& key)
{
    CheckKeyName(key);
    if (const std::size_t found = FindKey(hive, key); found != kNoKey)
        return m_keys[found];
    m_keyIndex.emplace(FoldedKey(hive, key), m_keys.size());
    m_valueIndex.emplace_back();
    return m_keys.emplace_back(Key{hive, key, {}});
}

const RegFileRegistry::Value* RegFileRegistry::FindValue(Hive hive, std::string_view key,
                                                         std::string_view name) const
{
    const std::size_t k = FindKey(hive, key);
    if (k == kNoKey)
        return nullptr;
    const auto found = m_valueIndex[k].find(Folded(name));
    return found == m_valueIndex[k].end() ? nullptr : &m_keys[k].values[found->second];
}

void RegFileRegistry::SetValue(Hive hive, const std::string& key, const std::string& name, Value value)
{
    Key& k = KeyForWriting(hive, key);
    auto& index = m_valueIndex[static_cast<std::size_t>(&k - m_keys.data())];
    value.name = RegistryString(name);
    const auto [found, added] = index.try_emplace(Folded(value.name), k.values.size());
    if (added) {
        k.values.push_back(std::move(value));
    } else {
        // The name keeps the spelling it was first written with, as in the registry.
        Value& same = k.values[found->second];
        value.name = same.name;
        same = std::move(value);
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
    const std::size_t found = FindKey(hive, key);
    if (found == kNoKey)
        return;
    const auto removed =
        std::erase_if(m_keys[found].values, [&](const Value& v) { return SameName(v.name, name); });
    if (removed == 0)
        return;
    IndexValues(found);
    Save();
}

void RegFileRegistry::DeleteKey(Hive hive, const std::string& key)
{
    const auto removed = std::erase_if(m_keys, [&](const Key& k) {
        return k.hive == hive && (SameName(k.name, key) || IsBelow(k.name, key));
    });
    if (removed == 0)
        return;
    BuildIndex();
    Save();
}

} // namespace ondrix
