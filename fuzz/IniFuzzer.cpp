#include "core/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ondrix::IniFile ini = ondrix::IniFile::Parse(text);
    ini.Read("LANGUAGE_NAME", "name");
    ini.Read("section", "key", "fallback");
    return 0;
}
