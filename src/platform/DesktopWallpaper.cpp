#include "DesktopWallpaper.h"

namespace ondrix {

std::string DesktopWallpaper::SaveState()
{
    const Values values = Read();
    // The tile value is one short word without line breaks; the path follows it whole.
    return values.tileWallpaper + "\n" + values.wallpaper;
}

void DesktopWallpaper::RestoreState(const std::string& state)
{
    const auto lineEnd = state.find('\n');
    if (lineEnd == std::string::npos) {
        Write({{}, state});
        return;
    }
    Write({state.substr(lineEnd + 1), state.substr(0, lineEnd)});
}

} // namespace ondrix
