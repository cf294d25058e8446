#include "Scheduler.h"

#include "ListFile.h"
#include "core/Paths.h"

#include <algorithm>

namespace ondrix {

std::optional<std::size_t> NextIndex(std::size_t count, std::optional<std::size_t> currentIndex, bool random,
                                     std::mt19937& rng)
{
    if (count == 0)
        return std::nullopt;
    if (random)
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng);
    const std::size_t p = currentIndex && *currentIndex < count ? *currentIndex : 0;
    return p + 1 >= count ? 0 : p + 1;
}

std::optional<std::string> NextPicture(const std::vector<std::string>& lines, const std::string& cImg,
                                       bool random, std::mt19937& rng)
{
    std::optional<std::size_t> current;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (EntryPathOf(lines[i]) == cImg) {
            current = i;
            break;
        }
    }
    const auto next = NextIndex(lines.size(), current, random, rng);
    if (!next)
        return std::nullopt;
    return EntryPathOf(lines[*next]);
}

std::optional<std::string> NextTheme(const std::vector<std::string>& paths, const std::string& cadvTheme,
                                     bool random, std::mt19937& rng)
{
    if (paths.empty())
        return std::nullopt;
    if (random)
        return paths[*NextIndex(paths.size(), std::nullopt, true, rng)];
    if (cadvTheme.empty() || cadvTheme == paths.back())
        return paths.front();
    const auto found = std::find_if(paths.begin(), paths.end(), [&](const std::string& path) {
        return EqualIgnoringAsciiCase(path, cadvTheme);
    });
    if (found == paths.end())
        return paths.front();
    // The last row equal only ignoring case has no row after it: wrap to the first.
    const auto next = std::next(found);
    return next == paths.end() ? paths.front() : *next;
}

std::optional<std::size_t> CurrentListIndex(const std::vector<ImageList>& rows, const std::string& cIList)
{
    if (rows.empty())
        return std::nullopt;
    // The row of that very file first: a list named "trip\2024.lst" is not "2024.lst".
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Path == cIList)
            return i;
    }
    const std::string name = FileNamePart(cIList);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Name == name)
            return i;
    }
    return 0;
}

std::optional<std::string> NextPictureOfLists(const std::vector<ImageList>& rows, const std::string& cIList,
                                              const std::string& cImg, bool random, std::mt19937& rng)
{
    const auto row = CurrentListIndex(rows, cIList);
    if (!row)
        return std::nullopt;
    return NextPicture(ReadListLines(rows[*row].Path), cImg, random, rng);
}

} // namespace ondrix
