#pragma once

#include "Registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrix {

// The registry of systems that have none: a text file in the export format of the Windows
// registry editor, so that it can be read and edited by hand:
//
//   Windows Registry Editor Version 5.00
//   <blank line>
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane\Ondrix2\Options]
//   "cImg"="C:\\pictures\\a \"b\".jpg"
//   "state"=dword:00000001
//   <blank line>
//
// One section per key, each followed by a blank line; UTF-8 with LF line ends (CR LF is
// accepted on reading). Strings escape backslash and quote; a line break inside a string is
// written as \n or \r so that it cannot break the line structure. Key and value names
// match in any letter case; keys and values keep the order in which they were first
// written. Every change rewrites the whole file atomically.
//
// A file with lines that cannot be read as this format (or that cannot be read at all) is
// moved aside to "<path>.damaged" (or ".damaged-1", ".damaged-2", ... when taken); the
// registry keeps every value that could be read and writes them to a new file at once.
class RegFileRegistry final : public Registry
{
public:
    explicit RegFileRegistry(std::string path);

    // $XDG_CONFIG_HOME/Quorvane/Ondrix2.reg, or $HOME/.config/Quorvane/Ondrix2.reg when
    // XDG_CONFIG_HOME is unset, empty or not an absolute path.
    static std::string DefaultRegistryPath(const char* xdgConfigHome, const char* home);

    bool KeyExists(Hive hive, const std::string& key) const override;
    std::optional<std::string> ReadString(Hive hive, const std::string& key,
                                          const std::string& name) const override;
    std::optional<std::uint32_t> ReadDword(Hive hive, const std::string& key,
                                           const std::string& name) const override;
    void WriteString(Hive hive, const std::string& key, const std::string& name,
                     const std::string& value) override;
    void WriteDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value) override;
    void DeleteValue(Hive hive, const std::string& key, const std::string& name) override;
    // Removes the key with all its sub-keys.
    void DeleteKey(Hive hive, const std::string& key) override;

    const std::string& Path() const { return m_path; }

    // Runs work and writes what it changed to the file once, at its end, rather than at each
    // change: one rewrite instead of one per value, and no mix of old and new values on disk
    // when the program dies half-way. Changes made before an exception are still written.
    template <typename Work> void InOneWrite(Work&& work)
    {
        ++m_batchDepth;
        try {
            work();
        } catch (...) {
            try {
                EndBatch();
            } catch (...) {
            }
            throw;
        }
        EndBatch();
    }
    // Where a damaged file found at construction was moved; empty when there was none.
    const std::string& DamagedFilePath() const { return m_damagedPath; }

    struct Value
    {
        std::string name;
        bool isDword = false;
        std::string text;
        std::uint32_t dword = 0;
    };
    struct Key
    {
        Hive hive = Hive::CurrentUser;
        std::string name;
        std::vector<Value> values;
    };

    // The file text of these keys, and the keys of a file text. Parse keeps every value it
    // can read, skipping only the lines it cannot, and returns false when there were any
    // (a missing header counts as one). Linear in the size of the text.
    static std::string Serialize(const std::vector<Key>& keys);
    static bool Parse(std::string_view text, std::vector<Key>& keys);

private:
    static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);

    // Parse, keeping the indexes it builds for the registry's own lookups.
    static bool Parse(std::string_view text, std::vector<Key>& keys,
                      std::unordered_map<std::string, std::size_t>& keyIndex,
                      std::vector<std::unordered_map<std::string, std::size_t>>& valueIndex);
    void LoadFile();
    void SetAside();
    void Save() const;
    void EndBatch();
    void BuildIndex();
    void IndexValues(std::size_t key);
    std::size_t FindKey(Hive hive, std::string_view key) const;
    Key& KeyForWriting(Hive hive, const std::string& key);
    const Value* FindValue(Hive hive, std::string_view key, std::string_view name) const;
    void SetValue(Hive hive, const std::string& key, const std::string& name, Value value);

    std::string m_path;
    int m_batchDepth = 0;
    mutable bool m_unsaved = false;
    std::string m_damagedPath;
    std::vector<Key> m_keys;
    // Where each key is in m_keys, by hive and folded name; per key, where each value is.
    std::unordered_map<std::string, std::size_t> m_keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> m_valueIndex;
};

} // namespace ondrix
