#include "ScreenInfo.h"

#include <charconv>

namespace ondrix {

std::optional<DesktopSize> ParseDesktopSize(std::string_view text)
{
    const auto cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return std::nullopt;
    const auto parseSide = [](std::string_view digits) -> std::optional<int> {
        int value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 65535)
            return std::nullopt;
        return value;
    };
    const auto width = parseSide(text.substr(0, cross));
    const auto height = parseSide(text.substr(cross + 1));
    if (!width || !height)
        return std::nullopt;
    return DesktopSize{*width, *height};
}

} // namespace ondrix
