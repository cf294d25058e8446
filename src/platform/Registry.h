#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ondrix {

enum class Hive
{
    CurrentUser,
    LocalMachine,
    ClassesRoot,
};

// Typed keys with string and 32-bit values. A typed read of a value of the other type
// reads as absent. Writing a value creates its key.
class Registry
{
public:
    virtual ~Registry() = default;

    virtual bool KeyExists(Hive hive, const std::string& key) const = 0;
    virtual std::optional<std::string> ReadString(Hive hive, const std::string& key,
                                                  const std::string& name) const = 0;
    virtual std::optional<std::uint32_t> ReadDword(Hive hive, const std::string& key,
                                                   const std::string& name) const = 0;
    virtual void WriteString(Hive hive, const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual void WriteDword(Hive hive, const std::string& key, const std::string& name,
                            std::uint32_t value) = 0;
    virtual void DeleteValue(Hive hive, const std::string& key, const std::string& name) = 0;
    virtual void DeleteKey(Hive hive, const std::string& key) = 0;
};

} // namespace ondrix
