#include "imagelists/ListFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// The bytes of a list file, cut into lines and each line read as an entry or a count, the way
// the list store and the scheduler read them. Lines joined again and cut again must give the
// same lines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = ondrix::SplitListLines(bytes);
    for (const std::string& line : lines) {
        (void)ondrix::EntryPathOf(line);
        (void)ondrix::EntrySizeOf(line);
        (void)ondrix::CountValue(line);
        (void)ondrix::AdjustCount(line, 1, lines.size());
        (void)ondrix::AdjustCount(line, -1, lines.size());
    }
    if (!lines.empty()) {
        (void)ondrix::CompareEntryCounts(lines.front(), lines.back());
        (void)ondrix::EqualIgnoringAsciiCase(lines.front(), lines.back());
    }
    // A line never holds a line break, so a round trip keeps them all.
    if (ondrix::SplitListLines(ondrix::JoinListLines(lines)) != lines)
        std::abort();
    return 0;
}
