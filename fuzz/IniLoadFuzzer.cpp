#include "core/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The section and key names the text seems to hold, so that the reads below hit real values.
std::vector<std::pair<std::string, std::string>> NamesIn(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> names{{"LANGUAGE_NAME", "name"}};
    std::string section;
    while (!text.empty() && names.size() < 64) {
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const auto open = line.find('[');
        const auto close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close)
            section = std::string(line.substr(open + 1, close - open - 1));
        else if (const auto equals = line.find('='); equals != std::string_view::npos)
            names.emplace_back(section, std::string(line.substr(0, equals)));
    }
    return names;
}

} // namespace

// A language file or links.ini on the disk, read through the streaming loader; it must read
// exactly as the same text parsed in memory.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/ondrix-fuzz-ini-" + std::to_string(::getpid()) + ".lng";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ondrix::IniFile loaded = ondrix::IniFile::Load(path);
    const ondrix::IniFile parsed = ondrix::IniFile::Parse(text);
    for (const auto& [section, key] : NamesIn(text)) {
        if (loaded.Read(section, key, "\x01") != parsed.Read(section, key, "\x01"))
            std::abort();
    }
    return 0;
}
