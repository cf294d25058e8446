#include "platform/RegFileRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool SameKeys(const std::vector<ondrix::RegFileRegistry::Key>& a,
              const std::vector<ondrix::RegFileRegistry::Key>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].hive != b[k].hive || a[k].name != b[k].name || a[k].values.size() != b[k].values.size())
            return false;
        for (std::size_t v = 0; v < a[k].values.size(); ++v) {
            const auto& x = a[k].values[v];
            const auto& y = b[k].values[v];
            if (x.name != y.name || x.isDword != y.isDword ||
                (x.isDword ? x.dword != y.dword : x.text != y.text))
                return false;
        }
    }
    return true;
}

} // namespace

// The settings file as found on the disk. Whatever could be read is written again and must
// read back as a sound file with the same keys and values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<ondrix::RegFileRegistry::Key> keys;
    ondrix::RegFileRegistry::Parse(text, keys);
    const std::string written = ondrix::RegFileRegistry::Serialize(keys);
    std::vector<ondrix::RegFileRegistry::Key> again;
    if (!ondrix::RegFileRegistry::Parse(written, again) || !SameKeys(keys, again))
        std::abort();
    return 0;
}
