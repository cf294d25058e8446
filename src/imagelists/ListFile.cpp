#include "ListFile.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/RegularFile.h"

#include <charconv>
#include <limits>

namespace ondrix {

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::vector<std::string> SplitListLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string JoinListLines(const std::vector<std::string>& lines)
{
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::string ReadListFileBytes(const std::string& path)
{
    return ReadRegularFile(path, kMaxListFileBytes, "list file");
}

std::vector<std::string> ReadListLines(const std::string& path)
{
    return SplitListLines(ReadListFileBytes(path));
}

void WriteListLines(const std::string& path, const std::vector<std::string>& lines)
{
    WriteFileAtomically(path, JoinListLines(lines), false);
}

std::string EntryPathOf(std::string_view line)
{
    const auto mark = line.find('?');
    return mark == std::string_view::npos ? std::string() : std::string(line.substr(0, mark));
}

std::string EntrySizeOf(std::string_view line)
{
    const auto mark = line.find('?');
    return std::string(mark == std::string_view::npos ? line : line.substr(mark + 1));
}

std::string MakeEntryLine(const std::string& picturePath, int width, int height)
{
    return picturePath + "?" + std::to_string(width) + "*" + std::to_string(height);
}

std::optional<std::int64_t> ParseCount(std::string_view count)
{
    bool negative = false;
    if (!count.empty() && (count.front() == '+' || count.front() == '-')) {
        negative = count.front() == '-';
        count.remove_prefix(1);
    }
    if (count.empty())
        return std::nullopt;
    for (char c : count) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    // Digits only from here on, so from_chars can fail only by overflow.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), magnitude);
    (void)end;
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    if (error == std::errc::result_out_of_range || magnitude > std::uint64_t{kMax})
        return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::int64_t CountValue(std::string_view count)
{
    return ParseCount(count).value_or(0);
}

int CompareEntryCounts(std::string_view a, std::string_view b)
{
    return CountValue(a) < CountValue(b) ? -1 : 1;
}

std::string AdjustCount(std::string_view count, int delta, std::size_t linesNow)
{
    const auto value = ParseCount(count);
    if (!value)
        return std::to_string(linesNow);
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t result = *value;
    if (delta > 0)
        result = result > kMax - delta ? kMax : result + delta;
    else if (delta < 0)
        result = result < kMin - delta ? kMin : result + delta;
    return std::to_string(result);
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace ondrix
