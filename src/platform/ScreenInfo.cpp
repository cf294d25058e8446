#include "ScreenInfo.h"

#include <algorithm>
#include <charconv>

namespace ondrix {

std::vector<MonitorRect> ScreenInfo::CurrentMonitors() const
{
    const DesktopSize size = CurrentDesktopSize();
    return {{0, 0, size.width, size.height}};
}

std::vector<MonitorRect> FixedScreenInfo::CurrentMonitors() const
{
    if (m_monitors.empty())
        return ScreenInfo::CurrentMonitors();
    return m_monitors;
}

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

std::vector<MonitorRect> UsableMonitors(const std::vector<MonitorRect>& monitors, DesktopSize desktop)
{
    if (desktop.width < 1 || desktop.height < 1)
        return {};
    std::vector<MonitorRect> usable;
    for (const MonitorRect& monitor : monitors) {
        // In 64 bits: a server may report anything.
        const long long left = std::max<long long>(monitor.x, 0);
        const long long top = std::max<long long>(monitor.y, 0);
        const long long right =
            std::min<long long>(static_cast<long long>(monitor.x) + monitor.width, desktop.width);
        const long long bottom =
            std::min<long long>(static_cast<long long>(monitor.y) + monitor.height, desktop.height);
        if (monitor.width < 1 || monitor.height < 1 || right <= left || bottom <= top)
            continue;
        const MonitorRect cut{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                              static_cast<int>(bottom - top)};
        usable.push_back(cut);
    }
    const auto inside = [](const MonitorRect& inner, const MonitorRect& outer) {
        return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
               inner.y + inner.height <= outer.y + outer.height;
    };
    // Of two equal ones the first stays.
    std::vector<MonitorRect> kept;
    for (std::size_t i = 0; i < usable.size(); ++i) {
        bool covered = false;
        for (std::size_t j = 0; j < usable.size() && !covered; ++j)
            covered = j != i && inside(usable[i], usable[j]) && (usable[i] != usable[j] || j < i);
        if (!covered)
            kept.push_back(usable[i]);
    }
    usable = std::move(kept);
    if (usable.empty())
        usable.push_back({0, 0, desktop.width, desktop.height});
    return usable;
}

} // namespace ondrix
