#include "DisplayMode.h"

#include "app/options.h"

#include <array>
#include <utility>

namespace ondrix {

DisplayMode DisplayModeFromNumber(std::uint8_t number)
{
    switch (number) {
    case 0:
        return DisplayMode::Stretched;
    case 2:
        return DisplayMode::Tiled;
    case 3:
        return DisplayMode::Filled;
    case 4:
        return DisplayMode::Fitted;
    default:
        return DisplayMode::Centred;
    }
}

int ResolutionClass(int width, int height)
{
    static constexpr std::array<std::pair<int, int>, 5> kThresholds{
        {{100, 75}, {200, 150}, {400, 300}, {800, 600}, {1024, 768}}};
    int sizeClass = 0;
    for (const auto& [w, h] : kThresholds) {
        if (width < w || height < h)
            break;
        ++sizeClass;
    }
    return sizeClass;
}

std::string ResolutionClassText(int sizeClass, const std::string& sizeWord)
{
    const std::string& t = sizeWord;
    switch (sizeClass) {
    case 0:
        return "100x75 > " + t;
    case 1:
        return "100x75 <= " + t + " < 200x155";
    case 2:
        return "200x150 <= " + t + " < 400x300";
    case 3:
        return "400x300 <= " + t + " < 800x600";
    case 4:
        return "800x600 <= " + t + " < 1024x768";
    default:
        return t + " => 1024x768";
    }
}

DisplayMode DisplayModeFor(const TOptions& options, int width, int height)
{
    if (options.ilShowType == 0)
        return DisplayModeFromNumber(options.ilDisplType);
    return DisplayModeFromNumber(
        options.DisplaySlots[static_cast<std::size_t>(ResolutionClass(width, height))]);
}

} // namespace ondrix
